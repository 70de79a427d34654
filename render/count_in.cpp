// Planning the count-in on the measure track's bars, opening its gap and
// putting in its clicks.
#include "render/count_in.h"

#include <algorithm>
#include <cstdint>

#include "model/measure.h"
#include "model/slots.h"
#include "model/song_container.h"

namespace {

constexpr int kDrumChannelNibble = 9;  // MIDI channel 10 in the low four bits
// The longest measure a time signature can describe (255 whole notes); a
// longer count-in can only come from corrupt values and is not inserted.
constexpr std::int64_t kMaxCountInTicks = 255LL * kTicksPerWhole;
constexpr int kMostCountInBars = 2;

// The pre-count click: a short, fixed note on the drum part.
constexpr std::uint8_t kClickNote = 37;
constexpr std::uint16_t kClickGate = 10;
constexpr int kNoteAttributeAt = 10;

// Moves the track's events from `at` on later by `gap` ticks, if the track
// reaches past `at`. With `keepFirst`, events at `at` itself stay.
void OpenGap(SongContainer& song, int slot, int at, int gap, bool keepFirst) {
    if (song.SlotTrack(slot) == nullptr) return;
    CursorGuard cursor(song, slot);
    if (at >= TrackLength(*cursor)) return;
    Seek(*cursor, keepFirst ? at + 1 : at, 0);
    AdvanceWithRest(*cursor, gap);
}

// Ticks from click to click in a counted bar of `length` ticks and meter byte `meter`.
int BeatOf(const SongOptions& options, int length, std::uint8_t meter, bool fileClick) {
    if (fileClick && static_cast<std::int64_t>(options.clicksPerMeasure) * options.clickTicks == length) {
        return options.clickTicks;
    }
    for (const int beat : {BeatTicksOf(meter), kTicksPerWhole / ((meter & 0x0F) + 1)}) {
        if (beat > 0 && length % beat == 0) return beat;
    }
    return length;
}

// Puts a pre-count click at each beat into `part`.
void PutClicks(SongContainer& render, int part, const std::vector<Beat>& beats, int velocity) {
    CursorGuard drums(render, PartSlot(part));
    TrackEvent click = MakeEvent(kClickNote);
    click.SetGate(kClickGate);
    click.SetU8(6, static_cast<std::uint8_t>(velocity));
    click.SetU8(kNoteAttributeAt, 1);
    for (const Beat& beat : beats) {
        Seek(*drums, beat.tick, 0);
        InsertAtTime(*drums, click);
    }
}

}  // namespace

std::optional<CountIn> PlanCountIn(SongContainer& render, const SongOptions& options, int firstNote, bool fileClick) {
    if (firstNote < 0 || options.clicksPerMeasure <= 0 || options.clickTicks <= 0) return std::nullopt;
    if (static_cast<std::int64_t>(options.clicksPerMeasure) * options.clickTicks > kMaxCountInTicks) return std::nullopt;
    const int measure = TickToMeasure(render, firstNote);
    const int at = MeasureToTick(render, measure);
    int length = MeasureToTick(render, measure + 1) - at;
    std::uint8_t meter = TimeSignatureAt(render, measure);
    int anacrusis = 0;  // ticks the short opening bar lacks
    if (measure == 1) {
        const int next = MeasureToTick(render, 3) - MeasureToTick(render, 2);
        if (next > length) {
            anacrusis = next - length;
            length = next;
            meter = TimeSignatureAt(render, 2);
        }
    }
    if (length <= 0) return std::nullopt;
    const int bars = std::clamp(options.countInMeasures, 1, kMostCountInBars);
    const std::int64_t gap = static_cast<std::int64_t>(bars) * length + anacrusis;
    if (gap > kMaxCountInTicks) return std::nullopt;
    CountIn countIn;
    countIn.at = at;
    countIn.gap = static_cast<int>(gap);
    countIn.beat = BeatOf(options, length, meter, fileClick);
    countIn.bar = length;
    countIn.clicksEnd = firstNote + countIn.gap;
    return countIn;
}

void OpenCountInGap(SongContainer& render, const CountIn& countIn) {
    OpenGap(render, kTempoSlot, countIn.at, countIn.gap, true);
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) OpenGap(render, slot, countIn.at, countIn.gap, false);
}

std::vector<Beat> CountInBeats(const CountIn& countIn) {
    std::vector<Beat> beats;
    if (countIn.beat <= 0) return beats;
    for (int at = 0; countIn.at + at < countIn.clicksEnd; at += countIn.beat) {
        beats.push_back({countIn.at + at, at % countIn.bar == 0});
    }
    return beats;
}

bool InsertPreCountClicks(SongContainer& render, const std::vector<Beat>& beats, int velocity) {
    for (int part = 0; part < kPartCount; ++part) {
        if ((render.partChannel[part] & 0x0F) != kDrumChannelNibble) continue;
        PutClicks(render, part, beats, velocity);
        return true;
    }
    return false;
}

bool InsertPreCountClicksApart(SongContainer& render, const std::vector<Beat>& beats, int velocity) {
    for (int part = kPartCount - 1; part >= 0; --part) {
        const Track* track = render.SlotTrack(PartSlot(part));
        if (track != nullptr && track->count > 1) continue;
        render.partChannel[part] = kDrumChannelNibble;
        PutClicks(render, part, beats, velocity);
        return true;
    }
    return false;
}
