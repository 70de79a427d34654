// Beats from the measure track, and the click part.
#include "render/metronome.h"

#include <algorithm>
#include <cmath>

#include "model/measure.h"
#include "model/slots.h"

namespace {

constexpr std::uint8_t kClickNote = 37;  // the pre-count's click
constexpr std::uint16_t kClickGate = 10;
// Softer than the pre-count (100): a guide under the music, not over it.
constexpr std::uint8_t kAccentVelocity = 80;
constexpr std::uint8_t kBeatVelocity = 55;
constexpr std::uint8_t kDrumChannel = 9;  // MIDI channel 10
constexpr int kCompoundGrouping = 3;
// A note's level follows the square of its velocity: 40 dB a tenfold velocity.
constexpr double kVelocityDecibelsPerDecade = 40.0;
constexpr int kSoftestVelocity = 1;
constexpr int kLoudestVelocity = 127;
constexpr int kLowestCompoundDenominator = 8;

int Numerator(std::uint8_t signature) { return (signature >> 4) + 1; }
int Denominator(std::uint8_t signature) { return (signature & 0x0F) + 1; }

}  // namespace

int BeatTicksOf(std::uint8_t signature) {
    const int numerator = Numerator(signature);
    const int denominator = Denominator(signature);
    const int unit = kTicksPerWhole / denominator;
    const bool compound =
        denominator >= kLowestCompoundDenominator && numerator > kCompoundGrouping && numerator % kCompoundGrouping == 0;
    return compound ? unit * kCompoundGrouping : unit;
}

int MeasureTicksOf(std::uint8_t signature) { return kTicksPerWhole / Denominator(signature) * Numerator(signature); }

std::vector<Beat> SongBeats(SongContainer& song, int lastMeasure) {
    std::vector<Beat> beats;
    for (int measure = 1; measure <= lastMeasure; ++measure) {
        const int start = MeasureToTick(song, measure);
        const int length = MeasureToTick(song, measure + 1) - start;
        const int beat = BeatTicksOf(TimeSignatureAt(song, measure));
        if (beat <= 0) continue;
        for (int at = 0; at < length; at += beat) beats.push_back({start + at, at == 0});
    }
    return beats;
}

void ShiftBeats(std::vector<Beat>& beats, int first, int gap) {
    std::erase_if(beats, [first](const Beat& beat) { return beat.tick < first; });
    for (Beat& beat : beats) beat.tick += gap;
}

int ClickVelocity(int velocity, double levelDb) {
    const double scaled = velocity * std::pow(10.0, levelDb / kVelocityDecibelsPerDecade);
    return std::clamp(static_cast<int>(scaled + 0.5), kSoftestVelocity, kLoudestVelocity);
}

bool InsertClicks(SongContainer& render, const std::vector<Beat>& beats, double levelDb) {
    for (int part = 0; part < kPartCount; ++part) {
        const int slot = PartSlot(part);
        const Track* track = render.SlotTrack(slot);
        if (track != nullptr && track->count > 1) continue;
        render.partChannel[part] = kDrumChannel;
        CursorGuard clicks(render, slot);
        for (const Beat& beat : beats) {
            TrackEvent click = MakeEvent(kClickNote);
            click.SetGate(kClickGate);
            click.SetU8(6, static_cast<std::uint8_t>(
                               ClickVelocity(beat.accented ? kAccentVelocity : kBeatVelocity, levelDb)));
            Seek(*clicks, beat.tick, 0);
            InsertAtTime(*clicks, click);
        }
        return true;
    }
    return false;
}
