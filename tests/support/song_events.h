// Test helpers shared by the test areas: song events built field by field and
// put into a track at an absolute tick.
#pragma once

#include <cstdint>

#include "model/measure.h"
#include "model/track.h"
#include "model/track_containers.h"

namespace songtest {

// A note: gate, velocity at +6 and byte +10 = 1; `offset` shifts it in time.
inline TrackEvent Note(std::uint8_t note, std::uint16_t gate, std::uint8_t velocity = 100, std::int8_t offset = 0) {
    TrackEvent event = MakeEvent(note);
    event.SetOffset(offset);
    event.SetGate(gate);
    event.SetU8(6, velocity);
    event.SetU8(10, 1);
    return event;
}

// A channel event of `kind` with its two data bytes at +4 and +5.
inline TrackEvent ChannelEvent(std::uint8_t kind, std::uint8_t data1, std::uint8_t data2 = 0) {
    TrackEvent event = MakeEvent(kind);
    event.SetU8(4, data1);
    event.SetU8(5, data2);
    return event;
}

inline TrackEvent Control(std::uint8_t controller, std::uint8_t value) {
    return ChannelEvent(EventKind::kControl, controller, value);
}

inline TrackEvent Program(std::uint8_t program) { return ChannelEvent(EventKind::kProgram, program); }

// A tempo event in hundredths of a BPM.
inline TrackEvent Tempo(std::int32_t hundredthsBpm) {
    TrackEvent event = MakeEvent(EventKind::kTempo);
    event.SetI32(4, hundredthsBpm);
    return event;
}

// An exclusive event naming entry `index` of the song's exclusive table.
inline TrackEvent Exclusive(std::uint16_t index) {
    TrackEvent event = MakeEvent(EventKind::kExclusive);
    event.SetU16(4, index);
    return event;
}

inline TrackEvent Measure(std::uint8_t timeSignature = kDefaultTimeSignature) {
    TrackEvent event = MakeEvent(EventKind::kMeasure);
    event.SetU8(4, 0xFF);
    event.SetU8(5, timeSignature);
    return event;
}

// Inserts `event` at `tick` into the track in `slot`.
inline void Put(TrackContainers& song, int slot, int tick, TrackEvent event) {
    CursorGuard cursor(song, slot);
    event.SetStep(0);
    Seek(*cursor, tick, 0);
    InsertAtTime(*cursor, event);
}

}  // namespace songtest
