// Test helpers: build songs event by event at absolute ticks and list a
// track's events with their ticks.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "model/measure.h"
#include "model/song_container.h"
#include "model/track.h"

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

inline TrackEvent Note(std::uint8_t note, std::uint16_t gate, std::uint8_t velocity = 100) {
    TrackEvent event = MakeEvent(note);
    event.SetGate(gate);
    event.SetU8(6, velocity);
    event.SetU8(10, 1);
    return event;
}

inline TrackEvent Control(std::uint8_t controller, std::uint8_t value) {
    TrackEvent event = MakeEvent(EventKind::kControl);
    event.SetU8(4, controller);
    event.SetU8(5, value);
    return event;
}

inline TrackEvent Program(std::uint8_t program) {
    TrackEvent event = MakeEvent(EventKind::kProgram);
    event.SetU8(4, program);
    return event;
}

inline TrackEvent Tempo(std::int32_t hundredthsBpm) {
    TrackEvent event = MakeEvent(EventKind::kTempo);
    event.SetI32(4, hundredthsBpm);
    return event;
}

inline TrackEvent Exclusive(std::uint16_t index) {
    TrackEvent event = MakeEvent(EventKind::kExclusive);
    event.SetU16(4, index);
    return event;
}

inline TrackEvent Measure(std::uint8_t timeSignature = 0x33) {
    TrackEvent event = MakeEvent(EventKind::kMeasure);
    event.SetU8(4, 0xFF);
    event.SetU8(5, timeSignature);
    return event;
}

// Inserts `event` at `tick` into the track in `slot`.
inline void Put(SongContainer& song, int slot, int tick, TrackEvent event) {
    CursorGuard cursor(song, slot);
    event.SetStep(0);
    Seek(*cursor, tick, 0);
    InsertAtTime(*cursor, event);
}

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
