// The section cut: every track is read into timed events, rebuilt from
// them, and written back in tick order.
#include "render/song_section.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/measure.h"
#include "model/slots.h"
#include "sequencer/tempo_clock.h"

namespace {

constexpr std::uint8_t kSustainController = 64;
constexpr int kLongestGate = 0xFFFF;

struct TimedEvent {
    std::int64_t tick = 0;
    TrackEvent event;
};

// The span kept, in the song's ticks: [start, end).
struct Span {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// The events of a track up to its end marker, each with its tick.
std::vector<TimedEvent> ReadTimed(const Track& track) {
    std::vector<TimedEvent> events;
    std::int64_t tick = 0;
    for (int i = 0; i < track.count && !EventAt(track, i).IsEnd(); ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (!event.IsRest()) events.push_back({tick, event});
        tick += event.Step();
    }
    return events;
}

// Replaces the track's events by `events` (ticks from the span's start,
// in order; events of one tick keep their order).
void WriteTimed(SongContainer& song, int slot, const std::vector<TimedEvent>& events) {
    CursorGuard cursor(song, slot);
    Track& track = *cursor->track;
    int keep = track.count;
    if (keep > 0 && EventAt(track, keep - 1).IsEnd()) --keep;
    Seek(*cursor, 0, 0);
    if (keep > 0) InsertSlots(*cursor, -keep, true);
    for (const TimedEvent& timed : events) {
        TrackEvent event = timed.event;
        event.SetStep(0);  // the insertion computes the steps around it
        Seek(*cursor, static_cast<int>(timed.tick), 0);
        InsertAtTime(*cursor, event);
    }
}

// Events a chase leaves behind: they say nothing about the state at the span's start.
bool IsMoment(const TrackEvent& event) {
    return event.Kind() == EventKind::kLyric || event.Kind() == EventKind::kSongPosition ||
           event.Kind() == EventKind::kPolyPressure;
}

// A part's events cut to the span: the chase at 0, then the span's events.
std::vector<TimedEvent> CutPart(const std::vector<TimedEvent>& events, Span span) {
    std::vector<TimedEvent> cut;
    for (const TimedEvent& timed : events) {
        if (timed.tick >= span.end) break;
        const TrackEvent& event = timed.event;
        if (timed.tick >= span.start) {
            cut.push_back({timed.tick - span.start, event});
        } else if (event.IsNote()) {
            const std::int64_t left = timed.tick + event.Gate() - span.start;
            if (left <= 0) continue;
            TrackEvent remainder = event;
            remainder.SetGate(static_cast<std::uint16_t>(std::min<std::int64_t>(left, kLongestGate)));
            remainder.SetOffset(0);
            cut.push_back({0, remainder});
        } else if (!IsMoment(event)) {
            cut.push_back({0, event});
        }
    }
    // Chased events first, then the notes that were sounding, then the span.
    std::stable_sort(cut.begin(), cut.end(), [](const TimedEvent& a, const TimedEvent& b) {
        if (a.tick != b.tick) return a.tick < b.tick;
        return a.tick == 0 && !a.event.IsNote() && b.event.IsNote();
    });
    // The pedal is let go on the span's last tick. This event also marks
    // where the part ends: the song's length counts to a part's last event,
    // so the song ends with the last measure, not before it.
    TrackEvent release = MakeEvent(EventKind::kControl);
    release.SetU8(4, kSustainController);
    cut.push_back({span.end - span.start - 1, release});
    return cut;
}

// The tempo track cut to the span: the tempo in effect at its start, then its own events.
std::vector<TimedEvent> CutTempo(const std::vector<TimedEvent>& events, Span span) {
    std::vector<TimedEvent> cut;
    const TimedEvent* inEffect = nullptr;
    for (const TimedEvent& timed : events) {
        if (timed.tick >= span.end) break;
        if (timed.tick >= span.start) {
            cut.push_back({timed.tick - span.start, timed.event});
        } else if (timed.event.Kind() == EventKind::kTempo) {
            inEffect = &timed;
        }
    }
    if (inEffect != nullptr && (cut.empty() || cut.front().tick > 0 || cut.front().event.Kind() != EventKind::kTempo)) {
        cut.insert(cut.begin(), {0, inEffect->event});
    }
    return cut;
}

// The measure track for measures first..last: a measure event for each,
// except the last when it keeps the meter (the engine repeats the last
// event past the track's end), so that the measures' total ends inside the
// last measure and the song ends with it.
std::vector<TimedEvent> CutMeasures(SongContainer& song, int first, int last, Span span, bool lastPass = true) {
    TrackEvent model = MakeEvent(EventKind::kMeasure);
    model.SetU8(4, 0xFF);
    if (song.SlotTrack(kMeasureSlot) != nullptr) {
        CursorGuard cursor(song, kMeasureSlot);
        const Track& track = *cursor->track;
        for (int i = 0; i < track.count; ++i) {
            if (EventAt(track, i).IsMeasure()) {
                model = EventAt(track, i);
                break;
            }
        }
    }
    std::vector<TimedEvent> cut;
    for (int measure = first; measure <= last; ++measure) {
        const std::uint8_t meter = MeterOf(song, measure);
        if (lastPass && measure == last && measure > first && cut.back().event.U8(5) == meter) break;
        TrackEvent event = model;
        event.SetU8(5, meter);
        cut.push_back({MeasureToTick(song, measure) - span.start, event});
    }
    return cut;
}

// Every pass of a part: the section's events moved to the pass's start, a
// note that would sound into the next pass let go a tick before it.
std::vector<TimedEvent> RepeatPart(const std::vector<TimedEvent>& section, std::int64_t length, int passes) {
    std::vector<TimedEvent> repeated;
    for (int pass = 0; pass < passes; ++pass) {
        for (TimedEvent timed : section) {
            if (timed.event.IsNote() && timed.tick + timed.event.Gate() >= length) {
                timed.event.SetGate(static_cast<std::uint16_t>(std::max<std::int64_t>(length - timed.tick - 1, 1)));
            }
            timed.tick += pass * length;
            repeated.push_back(timed);
        }
    }
    return repeated;
}

// Every pass of the tempo track, each at its own percentage of the raw
// tempos; a pass starts with the tempo in effect at the section's start.
std::vector<TimedEvent> RepeatTempo(const std::vector<TimedEvent>& section, std::int64_t length,
                                    const std::vector<int>& passTempos) {
    std::vector<TimedEvent> repeated;
    for (std::size_t pass = 0; pass < passTempos.size(); ++pass) {
        const std::int64_t start = static_cast<std::int64_t>(pass) * length;
        if (section.empty() || section.front().tick > 0 || section.front().event.Kind() != EventKind::kTempo) {
            TrackEvent tempo = MakeEvent(EventKind::kTempo);
            tempo.SetI32(4, EffectiveTempo(kDefaultTempo, passTempos[pass]));
            repeated.push_back({start, tempo});
        }
        for (TimedEvent timed : section) {
            if (timed.event.Kind() == EventKind::kTempo) timed.event.SetI32(4, EffectiveTempo(timed.event.I32(4), passTempos[pass]));
            timed.tick += start;
            repeated.push_back(timed);
        }
    }
    return repeated;
}

}  // namespace

std::uint8_t MeterOf(SongContainer& song, int measure) { return TimeSignatureAt(song, measure); }

bool CutToMeasures(SongContainer& render, int first, int last, int songLast, const std::vector<int>& passTempos) {
    if (first < 1 || first > songLast || last < first) return false;
    last = std::min(last, songLast);
    const Span span{MeasureToTick(render, first), MeasureToTick(render, last + 1)};
    const std::int64_t length = span.end - span.start;
    const int passes = std::max<int>(1, static_cast<int>(passTempos.size()));
    if (passes * length >= kLongestLoopTicks) return false;
    std::vector<TimedEvent> measures;
    for (int pass = 0; pass < passes; ++pass) {
        for (TimedEvent timed : CutMeasures(render, first, last, span, pass == passes - 1)) {
            timed.tick += pass * length;
            measures.push_back(timed);
        }
    }
    for (int slot = kFirstPartSlot; slot <= kLastPartSlot; ++slot) {
        if (render.SlotTrack(slot) == nullptr) continue;
        std::vector<TimedEvent> events;
        {
            CursorGuard cursor(render, slot);
            events = ReadTimed(*cursor->track);
        }
        if (!events.empty()) WriteTimed(render, slot, RepeatPart(CutPart(events, span), length, passes));
    }
    if (render.SlotTrack(kTempoSlot) != nullptr) {
        std::vector<TimedEvent> events;
        {
            CursorGuard cursor(render, kTempoSlot);
            events = ReadTimed(*cursor->track);
        }
        const std::vector<TimedEvent> section = CutTempo(events, span);
        WriteTimed(render, kTempoSlot, passTempos.empty() ? section : RepeatTempo(section, length, passTempos));
    }
    WriteTimed(render, kMeasureSlot, measures);
    // The last measure event lasts its whole measure: an end marker on the
    // same tick would make the engine count that measure twice.
    CursorGuard cursor(render, kMeasureSlot);
    SeekOrExtend(*cursor, static_cast<int>(measures.back().tick) + MeasureLengthOf(measures.back().event.U8(5)));
    return true;
}
