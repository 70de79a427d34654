// Meter normalisation, the time-signature history and the pre-count choice.
#include "import/time_signature.h"

#include <algorithm>

#include "model/track_event.h"

namespace {
constexpr int kLargestDenominatorPower = 4;  // 16
constexpr int kLargestNumerator = 16;
constexpr int kDenominatorPowerCap = 30;     // keeps 2^p inside an int
constexpr int kMidiClocksPerQuarter = 24;
constexpr int kPreCountMeasures = 5;
}  // namespace

Meter ReduceMeter(Meter meter) {
    while (meter.power > kLargestDenominatorPower && meter.numerator % 2 == 0 && meter.numerator != 0) {
        meter.numerator /= 2;
        --meter.power;
    }
    return meter;
}

bool MeterRefused(Meter meter) {
    if (meter.power > kLargestDenominatorPower) return true;
    if (meter.numerator <= 0 || meter.numerator > kLargestNumerator) return true;
    return meter.numerator >= 2 * (1 << meter.power);
}

std::uint8_t TimeSignatureByte(Meter meter) {
    meter = ReduceMeter(meter);
    if (MeterRefused(meter)) meter = Meter{};
    return static_cast<std::uint8_t>(((meter.numerator - 1) << 4) | ((1 << meter.power) - 1));
}

std::uint8_t KeyByte(int sharpsFlats, bool minor) {
    const int clamped = std::clamp(sharpsFlats, -kMaxSharpsFlats, kMaxSharpsFlats);
    return static_cast<std::uint8_t>(((clamped + kMaxSharpsFlats) & 0x7F) | (minor ? 0x80 : 0));
}

int MeasuresUntil(const TimeSigEntry& entry, int tick) {
    const int measureTicks = entry.numerator * (kTicksPerWhole / entry.denominator);
    if (measureTicks <= 0) return 0;
    return (tick - entry.startTick) / measureTicks;
}

void RecordTimeSignature(std::deque<TimeSigEntry>& history, Meter reduced, int clocksPerClick, int tick) {
    if (!history.empty()) history.back().measures = MeasuresUntil(history.back(), tick);
    TimeSigEntry entry;
    entry.numerator = reduced.numerator;
    entry.denominator = 1 << std::min(reduced.power, kDenominatorPowerCap);
    entry.clocksPerClick = clocksPerClick;
    entry.startTick = tick;
    history.push_back(entry);
}

PreCount ComputePreCount(std::deque<TimeSigEntry>& history, int endTick) {
    PreCount result;
    if (history.empty()) return result;
    history.back().measures = MeasuresUntil(history.back(), endTick);

    // Walk entries until the ones walked cover more than five measures; the
    // entry that crosses the line is still walked.
    const TimeSigEntry* chosen = nullptr;
    int walked = 0;
    for (const TimeSigEntry& entry : history) {
        if (walked > kPreCountMeasures) break;
        walked += entry.measures;
        if (chosen == nullptr || entry.measures > chosen->measures) chosen = &entry;
    }
    const int click = static_cast<int>(static_cast<double>(chosen->clocksPerClick) / kMidiClocksPerQuarter *
                                       kTicksPerQuarter);
    if (click <= 0) return result;  // a meter without clicks keeps the defaults
    result.clickTicks = click;
    result.clicksPerMeasure = (kTicksPerWhole / chosen->denominator) * chosen->numerator / click;
    return result;
}
