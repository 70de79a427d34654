// Beats from the measure track, and the click part.
#include "render/metronome.h"

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

std::vector<Beat> SongBeats(SongContainer& song) {
    std::vector<Beat> beats;
    const int last = LastMeasure(song);
    for (int measure = 1; measure <= last; ++measure) {
        const int start = MeasureToTick(song, measure);
        const int length = MeasureToTick(song, measure + 1) - start;
        const int beat = BeatTicksOf(TimeSignatureAt(song, measure));
        if (beat <= 0) continue;
        for (int at = 0; at < length; at += beat) beats.push_back({start + at, at == 0});
    }
    return beats;
}

void ShiftBeats(std::vector<Beat>& beats, int first, int gap) {
    for (Beat& beat : beats) {
        if (beat.tick >= first) beat.tick += gap;
    }
}

bool InsertClicks(SongContainer& render, const std::vector<Beat>& beats) {
    for (int part = 0; part < kPartCount; ++part) {
        const int slot = PartSlot(part);
        const Track* track = render.SlotTrack(slot);
        if (track != nullptr && track->count > 1) continue;
        render.partChannel[part] = kDrumChannel;
        CursorGuard clicks(render, slot);
        for (const Beat& beat : beats) {
            TrackEvent click = MakeEvent(kClickNote);
            click.SetGate(kClickGate);
            click.SetU8(6, beat.accented ? kAccentVelocity : kBeatVelocity);
            Seek(*clicks, beat.tick, 0);
            InsertAtTime(*clicks, click);
        }
        return true;
    }
    return false;
}
