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

// Ticks from one beat to the next in a measure of `numerator`/`denominator`.
int BeatTicks(int numerator, int denominator) {
    const int unit = kTicksPerWhole / denominator;
    const bool compound =
        denominator >= kLowestCompoundDenominator && numerator > kCompoundGrouping && numerator % kCompoundGrouping == 0;
    return compound ? unit * kCompoundGrouping : unit;
}

}  // namespace

std::vector<Beat> SongBeats(SongContainer& song) {
    std::vector<Beat> beats;
    const int last = LastMeasure(song);
    for (int measure = 1; measure <= last; ++measure) {
        const std::uint8_t signature = TimeSignatureAt(song, measure);
        const int numerator = (signature >> 4) + 1;
        const int denominator = (signature & 0x0F) + 1;
        const int start = MeasureToTick(song, measure);
        const int length = MeasureToTick(song, measure + 1) - start;
        const int beat = BeatTicks(numerator, denominator);
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
