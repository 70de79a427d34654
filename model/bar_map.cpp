// Bars laid out from meter changes, or read from the measure track.
#include "model/bar_map.h"

#include <algorithm>
#include <iterator>

#include "model/measure.h"
#include "model/song_container.h"

namespace {

constexpr int kCommonNumerator = 4;
constexpr int kCommonDenominator = 4;
// The widest a measure-track byte can make a measure: 16 of its unit.
constexpr int kMostUnitsInAByte = 16;
constexpr int kByteDenominators[] = {1, 2, 4, 8, 16};
// For a bar cut short: quarters first, as most meters count.
constexpr int kCutBarDenominators[] = {4, 8, 16, 2, 1};

struct Meter {
    int numerator = kCommonNumerator;
    int denominator = kCommonDenominator;
    int length = kTicksPerWhole;
};

// The meter of a change, 4/4 when its bar is no whole number of ticks.
Meter MeterOf(const MeterChange& change) {
    if (change.numerator <= 0 || change.denominator <= 0) return {};
    const long long ticks = static_cast<long long>(kTicksPerWhole) * change.numerator;
    if (ticks % change.denominator != 0 || ticks / change.denominator <= 0) return {};
    return {change.numerator, change.denominator, static_cast<int>(ticks / change.denominator)};
}

// The changes in tick order, the later of two at one tick kept.
std::vector<MeterChange> Ordered(std::vector<MeterChange> changes) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const MeterChange& a, const MeterChange& b) { return a.tick < b.tick; });
    std::vector<MeterChange> ordered;
    for (const MeterChange& change : changes) {
        if (change.tick < 0) continue;
        if (!ordered.empty() && ordered.back().tick == change.tick) ordered.pop_back();
        ordered.push_back(change);
    }
    return ordered;
}

}  // namespace

std::vector<Bar> LayOutBars(std::vector<MeterChange> changes, int endTick) {
    const std::vector<MeterChange> ordered = Ordered(std::move(changes));
    std::vector<Bar> bars;
    Meter meter;
    std::size_t next = 0;
    int start = 0;
    for (;;) {
        while (next < ordered.size() && ordered[next].tick <= start) meter = MeterOf(ordered[next++]);
        int length = meter.length;
        // A different meter inside this bar ends it where it comes.
        for (std::size_t later = next; later < ordered.size() && ordered[later].tick < start + length; ++later) {
            const Meter coming = MeterOf(ordered[later]);
            if (coming.numerator != meter.numerator || coming.denominator != meter.denominator) {
                length = ordered[later].tick - start;
                break;
            }
        }
        bars.push_back({static_cast<int>(bars.size()) + 1, start, length, meter.numerator, meter.denominator});
        start += length;
        if (start >= endTick) break;
    }
    return bars;
}

std::vector<Bar> SongBars(SongContainer& song, int endTick) {
    if (!song.fileMeters.empty()) return LayOutBars(song.fileMeters, endTick);
    return MeasureTrackBars(song, endTick);
}

BarPlace PlaceOfTick(const std::vector<Bar>& bars, int tick) {
    const auto after = std::upper_bound(bars.begin(), bars.end(), tick,
                                        [](int at, const Bar& bar) { return at < bar.start; });
    if (bars.empty()) {
        const int whole = std::max(tick, 0);
        return {whole / kTicksPerWhole + 1, whole % kTicksPerWhole};
    }
    if (after == bars.begin()) return {1, 0};
    const Bar& bar = *std::prev(after);
    const int length = bar.length > 0 ? bar.length : kTicksPerWhole;
    if (after != bars.end() || tick < bar.start + length) return {bar.number, tick - bar.start};
    const int beyond = (tick - bar.start) / length;
    return {bar.number + beyond, tick - bar.start - beyond * length};
}

int BarStartTick(const std::vector<Bar>& bars, int number) {
    if (bars.empty()) return (std::max(number, 1) - 1) * kTicksPerWhole;
    if (number <= bars.front().number) return bars.front().start;
    if (number <= bars.back().number) return bars[static_cast<std::size_t>(number - bars.front().number)].start;
    const Bar& last = bars.back();
    return last.start + (number - last.number) * (last.length > 0 ? last.length : kTicksPerWhole);
}

std::vector<Bar> MeasureTrackBars(SongContainer& song, int endTick) {
    std::vector<Bar> bars;
    for (int measure = 1;; ++measure) {
        const int start = MeasureToTick(song, measure);
        const int length = MeasureToTick(song, measure + 1) - start;
        const std::uint8_t byte = TimeSignatureAt(song, measure);
        if (length <= 0) break;
        bars.push_back({measure, start, length, (byte >> 4) + 1, (byte & 0x0F) + 1});
        if (start + length >= endTick) break;
    }
    return bars;
}

std::optional<std::uint8_t> MeasureByteFor(const Bar& bar) {
    for (const int denominator : kByteDenominators) {
        if (denominator == bar.denominator && bar.numerator >= 1 && bar.numerator <= kMostUnitsInAByte &&
            bar.length == kTicksPerWhole / denominator * bar.numerator) {
            return static_cast<std::uint8_t>(((bar.numerator - 1) << 4) | (denominator - 1));
        }
    }
    // A bar cut short by a meter change: a unit that measures it.
    for (const int denominator : kCutBarDenominators) {
        const int unit = kTicksPerWhole / denominator;
        const int units = bar.length / unit;
        if (bar.length % unit == 0 && units >= 1 && units <= kMostUnitsInAByte) {
            return static_cast<std::uint8_t>(((units - 1) << 4) | (denominator - 1));
        }
    }
    return std::nullopt;
}
