// The engine's output record: one MIDI message (or engine notice) and the
// code that says where it came from, before it is routed to the module.
#pragma once

#include <cstdint>

// Codes of an output event besides the track slots 0..275.
namespace OutputCode {
constexpr int kSongEnd = 0x2001;       // raises the module's end-of-song flag
constexpr int kMeasureStart = 0x2010;  // time signature in bits 0-15, measure counter in bits 16-31
constexpr int kTempoChange = 0x2012;   // message = tempo in hundredths of BPM
constexpr int kSongPosition = 0x2014;  // a 0xF2 event's 32-bit value
constexpr int kRangeMarker = 0x3003;   // 2 at the start of a play range, 0 at its end
}  // namespace OutputCode

// Status bytes the engine produces.
constexpr std::uint8_t kNoteOnStatus = 0x90;
// The song-end message: 0xFC with 2 in bits 16-31.
constexpr std::uint32_t kSongEndMessage = 0xFCu | (2u << 16);

struct OutputEvent {
    // Status byte in bits 0-7, data bytes in bits 8-15 and 16-23; for 0xF0
    // and 0xFE bits 16-31 hold the exclusive-table or payload-pool index.
    std::uint32_t message = 0;
    std::int16_t code = 0;   // track slot, or an OutputCode
    std::uint16_t extra = 0; // 0xFE: the event's second 16-bit value
};

// Packs a status and two data bytes into a message.
constexpr std::uint32_t ShortMessage(std::uint8_t status, std::uint8_t data1 = 0, std::uint8_t data2 = 0) {
    return static_cast<std::uint32_t>(status) | (static_cast<std::uint32_t>(data1) << 8) |
           (static_cast<std::uint32_t>(data2) << 16);
}
