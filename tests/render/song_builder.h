// Test helpers: build songs event by event at absolute ticks (the builders
// of tests/support) and list a track's events with their ticks.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "model/measure.h"
#include "model/song_container.h"
#include "model/track.h"
#include "tests/support/song_events.h"

struct TimedEvent {
    int tick = 0;
    TrackEvent event;  // with its step cleared
    friend bool operator==(const TimedEvent&, const TimedEvent&) = default;
};

inline void PrintTo(const TimedEvent& timed, std::ostream* out) {
    *out << "@" << timed.tick << " kind " << int(timed.event.Kind()) << " [";
    for (int i = 3; i < 12; ++i) *out << " " << int(timed.event.U8(i));
    *out << " ]";
}

using namespace songtest;

// Empties the tempo track to its end marker (a fresh song holds 120.00 BPM).
inline void ClearTempoTrack(SongContainer& song) {
    CursorGuard cursor(song, 3);
    const int n = cursor->track->count - 1;
    if (n > 0) InsertSlots(*cursor, -n, true);
}

// The events of a track other than rests and its end marker, with their ticks.
inline std::vector<TimedEvent> EventsOf(SongContainer& song, int slot) {
    std::vector<TimedEvent> events;
    if (song.SlotTrack(slot) == nullptr) return events;
    CursorGuard cursor(song, slot);
    const Track& track = *cursor->track;
    int tick = 0;
    for (int i = 0; i < track.count; ++i) {
        TrackEvent event = EventAt(track, i);
        const int step = event.Step();
        if (!event.IsRest() && !event.IsEnd()) {
            event.SetStep(0);
            events.push_back({tick, event});
        }
        tick += step;
    }
    return events;
}

// Adds a measure of the given time signature at `tick`, with rests up to its end.
inline void PutMeasure(SongContainer& song, int tick, std::uint8_t timeSignature) {
    Put(song, 2, tick, Measure(timeSignature));
    CursorGuard cursor(song, 2);
    SeekOrExtend(*cursor, tick + MeasureTrackRuleLength(timeSignature));
}
