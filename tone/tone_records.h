// The two 30-byte records of the tone library: a tone name, and a drum key
// (name, display position, shown note, check value). The bytes are kept as
// an array and reached through accessors, 16-bit values little-endian.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int kToneRecordBytes = 30;
constexpr int kToneNameChars = 28;     // longest tone name a file can store
constexpr int kDrumKeyNameBytes = 24;  // name field of a drum-key record
constexpr int kDrumKeyNameChars = 23;  // longest drum-key name a file can store

namespace detail {
// The zero-terminated text at the start of `bytes`, at most `limit` characters.
template <std::size_t N>
std::string TextOf(const std::array<std::uint8_t, N>& bytes, std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < std::min(limit, N) && bytes[i] != 0; ++i) text += static_cast<char>(bytes[i]);
    return text;
}
// Copies at most `limit` characters of `text` to the start of `bytes` and
// zero-fills the rest of the first `limit` + 1 bytes.
template <std::size_t N>
void SetTextOf(std::array<std::uint8_t, N>& bytes, std::string_view text, std::size_t limit) {
    static_assert(N > 0);
    const std::size_t field = std::min(limit + 1, N);
    const std::size_t length = std::min({text.size(), limit, field - 1});
    for (std::size_t i = 0; i < field; ++i) bytes[i] = i < length ? static_cast<std::uint8_t>(text[i]) : 0;
}
}  // namespace detail

// A tone name: zero-terminated text in 30 bytes.
struct ToneNameRecord {
    std::array<std::uint8_t, kToneRecordBytes> bytes{};

    // The stored name, at most `limit` characters.
    std::string Name(std::size_t limit = kToneRecordBytes - 1) const { return detail::TextOf(bytes, limit); }
    // Stores `name` cut to 28 characters.
    void SetName(std::string_view name) { detail::SetTextOf(bytes, name, kToneNameChars); }
};
static_assert(sizeof(ToneNameRecord) == kToneRecordBytes, "a tone name record is 30 bytes");

// A drum key:
//   +0  24 bytes  name, zero-terminated, at most 23 characters
//   +24 u16       position in the display order
//   +26 u16       shown note
//   +28 u8        check value
//   +29 u8        spare
struct DrumKeyRecord {
    std::array<std::uint8_t, kToneRecordBytes> bytes{};

    // The stored name; the display position, shown note and check value follow.
    std::string Name() const { return detail::TextOf(bytes, kDrumKeyNameChars); }
    // Stores `name` cut to 23 characters.
    void SetName(std::string_view name) { detail::SetTextOf(bytes, name, kDrumKeyNameChars); }
    std::uint16_t Position() const { return U16(kPositionAt); }
    void SetPosition(std::uint16_t position) { SetU16(kPositionAt, position); }
    std::uint16_t ShownNote() const { return U16(kShownNoteAt); }
    void SetShownNote(std::uint16_t note) { SetU16(kShownNoteAt, note); }
    std::uint8_t Check() const { return bytes[kCheckAt]; }
    void SetCheck(std::uint8_t check) { bytes[kCheckAt] = check; }

private:
    static constexpr int kPositionAt = kDrumKeyNameBytes;
    static constexpr int kShownNoteAt = kDrumKeyNameBytes + 2;
    static constexpr int kCheckAt = kDrumKeyNameBytes + 4;

    std::uint16_t U16(int at) const { return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8)); }
    void SetU16(int at, std::uint16_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
};
static_assert(sizeof(DrumKeyRecord) == kToneRecordBytes, "a drum-key record is 30 bytes");
