// Small builders shared by the model tests: the events of tests/support with
// their steps, and track listings.
#pragma once

#include <string>
#include <vector>

#include "model/track_containers.h"
#include "tests/support/song_events.h"

// A note event: kind = note number, gate at +4, velocity at +6, byte +10 = 1.
inline TrackEvent Note(int note, int gate, int velocity = 100, int step = 0) {
    TrackEvent ev = songtest::Note(static_cast<std::uint8_t>(note), static_cast<std::uint16_t>(gate),
                                   static_cast<std::uint8_t>(velocity));
    ev.SetStep(static_cast<std::uint16_t>(step));
    return ev;
}

// A control change with its step.
inline TrackEvent Control(int controller, int value, int step = 0) {
    TrackEvent ev = songtest::Control(static_cast<std::uint8_t>(controller), static_cast<std::uint8_t>(value));
    ev.SetStep(static_cast<std::uint16_t>(step));
    return ev;
}

// The track as "kind:step" items, e.g. {"F8:1920", "3C:0", "FC:0"}.
inline std::vector<std::string> Describe(const Track& track) {
    std::vector<std::string> out;
    static const char* hex = "0123456789ABCDEF";
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& ev = track.events[i];
        std::string item{hex[ev.Kind() >> 4], hex[ev.Kind() & 15]};
        out.push_back(item + ":" + std::to_string(ev.Step()));
    }
    return out;
}

// Absolute start tick of every event of the track.
inline std::vector<int> StartTicks(const Track& track) {
    std::vector<int> ticks;
    int tick = 0;
    for (int i = 0; i < track.count; ++i) {
        ticks.push_back(tick);
        tick += track.events[i].Step();
    }
    return ticks;
}

// Inserts the event at an absolute tick through a relative seek, as the
// event writer does.
inline int InsertAt(TrackCursor& cursor, int tick, const TrackEvent& ev) {
    Seek(cursor, tick, 0);
    return InsertAtTime(cursor, ev);
}
