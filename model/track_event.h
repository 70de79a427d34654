// The 12-byte event record every track is made of. The bytes are kept as an
// array and read and written little-endian through the accessors, so the
// layout is the same on every machine.
//
//   +0 u16 step     ticks from this event to the next event of the track
//   +2 u8  kind     0x00-0x7F note number, else one of the EventKind values
//   +3 i8  offset   the event is due this many ticks after its stored tick
//   +4 8 bytes of kind-dependent data
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace EventKind {
constexpr std::uint8_t kNoteLast = 0x7F;  // 0x00-0x7F: notes, kind = note number
constexpr std::uint8_t kPolyPressure = 0xA0;
constexpr std::uint8_t kControl = 0xB0;
constexpr std::uint8_t kProgram = 0xC0;
constexpr std::uint8_t kChannelPressure = 0xD0;
constexpr std::uint8_t kPitchBend = 0xE0;
constexpr std::uint8_t kPayloadEA = 0xEA;  // pool index at +8
constexpr std::uint8_t kPayloadEB = 0xEB;  // pool index at +4
constexpr std::uint8_t kPayloadEC = 0xEC;  // pool index at +6, sub-kind 6 only
constexpr std::uint8_t kExclusive = 0xF0;  // +4 u16 exclusive-table index
constexpr std::uint8_t kPayloadF1 = 0xF1;  // pool index at +4
constexpr std::uint8_t kSongPosition = 0xF2;
constexpr std::uint8_t kLyric = 0xF5;      // +4 u16 text-pool index
constexpr std::uint8_t kTempo = 0xF6;      // +4 i32 tempo, BPM x 100
constexpr std::uint8_t kRest = 0xF8;
constexpr std::uint8_t kMeasure = 0xFB;    // +4 0xFF, +5 time signature, +6 key
constexpr std::uint8_t kEnd = 0xFC;
constexpr std::uint8_t kPayloadFE = 0xFE;  // pool index at +4
constexpr std::uint8_t kSubKindWithPayload = 6;  // low 6 bits of +3 for kind 0xEC
}  // namespace EventKind

// Ticks per quarter note and per whole note (one 4/4 measure).
constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerWhole = 1920;
// The longest step that filling and merging produce; longer gaps become rests.
constexpr int kMaxRestStep = 1920;

// Note state bits of a note whose gate is still provisional (+8 u16).
constexpr std::uint16_t kNoteOpenBits = 0x0F00;
// Bit 7 of byte +11: the event is selected; clearing keeps bits 0-2.
constexpr std::uint8_t kSelectedMark = 0x80;
constexpr std::uint8_t kMarksKeptOnDeselect = 0x07;

struct TrackEvent {
    std::array<std::uint8_t, 12> bytes{};

    std::uint16_t Step() const { return U16(0); }
    void SetStep(std::uint16_t step) { SetU16(0, step); }
    std::uint8_t Kind() const { return bytes[2]; }
    void SetKind(std::uint8_t kind) { bytes[2] = kind; }
    std::int8_t Offset() const { return static_cast<std::int8_t>(bytes[3]); }
    void SetOffset(std::int8_t offset) { bytes[3] = static_cast<std::uint8_t>(offset); }

    std::uint8_t U8(int at) const { return bytes[at]; }
    void SetU8(int at, std::uint8_t v) { bytes[at] = v; }
    std::uint16_t U16(int at) const {
        return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    }
    void SetU16(int at, std::uint16_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    std::int32_t I32(int at) const { return static_cast<std::int32_t>(U32(at)); }
    std::uint32_t U32(int at) const {
        return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
               (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
               (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    }
    void SetI32(int at, std::int32_t v) { SetU32(at, static_cast<std::uint32_t>(v)); }
    void SetU32(int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

    bool IsNote() const { return Kind() <= EventKind::kNoteLast; }
    bool IsEnd() const { return Kind() == EventKind::kEnd; }
    bool IsRest() const { return Kind() == EventKind::kRest; }
    bool IsMeasure() const { return Kind() == EventKind::kMeasure; }

    // Note fields.
    std::uint16_t Gate() const { return U16(4); }
    void SetGate(std::uint16_t gate) { SetU16(4, gate); }
    std::uint8_t Velocity() const { return bytes[6]; }

    friend bool operator==(const TrackEvent&, const TrackEvent&) = default;
};
static_assert(sizeof(TrackEvent) == 12, "a track event is exactly 12 bytes");

// Builds an event of the given kind and step with all data bytes zero.
inline TrackEvent MakeEvent(std::uint8_t kind, std::uint16_t step = 0) {
    TrackEvent ev;
    ev.SetKind(kind);
    ev.SetStep(step);
    return ev;
}
