// Small builders shared by the model tests.
#pragma once

#include <string>
#include <vector>

#include "model/track_containers.h"

// A note event: kind = note number, gate at +4, velocity at +6, byte +10 = 1.
inline TrackEvent Note(int note, int gate, int velocity = 100, int step = 0) {
    TrackEvent ev = MakeEvent(static_cast<std::uint8_t>(note), static_cast<std::uint16_t>(step));
    ev.SetGate(static_cast<std::uint16_t>(gate));
    ev.SetU8(6, static_cast<std::uint8_t>(velocity));
    ev.SetU8(10, 1);
    return ev;
}

inline TrackEvent Control(int controller, int value, int step = 0) {
    TrackEvent ev = MakeEvent(EventKind::kControl, static_cast<std::uint16_t>(step));
    ev.SetU8(4, static_cast<std::uint8_t>(controller));
    ev.SetU8(5, static_cast<std::uint8_t>(value));
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
