// Channel information: drum channels from the rhythm-part messages, the reset
// mode from the order of the reset messages, and program names from each
// part's first events.
#include "tone/channel_info.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "model/song_options.h"
#include "model/song_container.h"
#include "model/track_containers.h"
#include "tone/tone_library.h"
#include "tone/tone_lookup.h"

namespace {

constexpr std::uint8_t kEndOfExclusive = 0xF7;
// Where a pattern byte matches any stored byte.
constexpr int kAnyByte = -1;

// The rhythm-part message F0 41 10 42 12 40 x 15: x names the part.
constexpr std::array<int, 8> kRhythmPartPattern = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, kAnyByte, 0x15};
constexpr int kRhythmPartIndex = 6;
constexpr std::size_t kRhythmValueIndex = 8;
constexpr std::uint8_t kNormalPart = 0;
constexpr std::array<int, 11> kVendorResetPattern = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40,
                                                     0x00, 0x7F, 0x00, 0x41, 0xF7};
constexpr std::array<int, 6> kGmSystemOnPattern = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::array<int, 6> kGm2SystemOnPattern = {0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7};

constexpr int kVendorMode = 1;
constexpr int kGmMode = 0;

constexpr std::uint8_t kBankSelectMsb = 0;
constexpr std::uint8_t kBankSelectLsb = 32;
constexpr int kGm2DrumBank = 120;   // bank-select MSB of the General MIDI Level 2 drum kits
constexpr int kVendorDrumPage = kDrumPageKeyBase;  // drum kits: drum page 0 of "QNS"

// One stored exclusive message: its bytes, as far as they lie in its block.
std::span<const std::uint8_t> StoredMessage(const ExclusiveTable& table, int index) {
    const MovableBlock& block = table.handles[index];
    const std::size_t length = std::min<std::size_t>(table.lengths[index], block.Size());
    return block.Empty() ? std::span<const std::uint8_t>{} : std::span(block.Peek(), length);
}

// True when `message` agrees with `pattern` byte by byte, or ends with its
// own F7 before a difference. A message that stops without F7 before the
// pattern's end does not match.
template <std::size_t N>
bool Matches(std::span<const std::uint8_t> message, const std::array<int, N>& pattern) {
    for (std::size_t i = 0; i < N; ++i) {
        if (i >= message.size()) return false;
        if (message[i] == kEndOfExclusive && pattern[i] != kEndOfExclusive) return true;
        if (pattern[i] != kAnyByte && message[i] != pattern[i]) return false;
    }
    return true;
}

// The index of the first stored message matching `pattern`, or -1.
template <std::size_t N>
int FirstMatch(const ExclusiveTable& table, const std::array<int, N>& pattern) {
    for (int i = 0; i < kExclusiveEntries; ++i) {
        if (Matches(StoredMessage(table, i), pattern)) return i;
    }
    return -1;
}

// Marks the drum channels that rhythm-part messages name, and clears the
// mark of a part set back to normal. The part number's low four bits count
// parts 10, 1-9, 11-16, so 0 is MIDI channel 10 and 1-9 stand one channel
// lower than 10-15.
void MarkRhythmParts(const ExclusiveTable& table, SongOptions& options) {
    for (int i = 0; i < kExclusiveEntries; ++i) {
        const std::span<const std::uint8_t> message = StoredMessage(table, i);
        if (!Matches(message, kRhythmPartPattern)) continue;
        // A message that ends before naming a part marks nothing.
        if (message.size() <= kRhythmPartIndex || message[kRhythmPartIndex] == kEndOfExclusive) continue;
        const int part = message[kRhythmPartIndex] & 0x0F;
        const int channel = part == 0 ? kDrumChannelIndex : part <= 9 ? part - 1 : part;
        // The value 0 makes the part a normal one again; 1 and 2 (the two
        // drum maps) make it a rhythm part, as does a message without a value.
        const bool normal = message.size() > kRhythmValueIndex && message[kRhythmValueIndex] == kNormalPart;
        options.drumChannel[channel] = normal ? 0 : 1;
    }
}

// GM mode when the General MIDI (Level 2) System On whose first occurrence
// comes last is later than the first vendor reset; vendor mode otherwise.
int ResetMode(const ExclusiveTable& table) {
    const int vendor = FirstMatch(table, kVendorResetPattern);
    const int gm = FirstMatch(table, kGmSystemOnPattern);
    const int gm2 = FirstMatch(table, kGm2SystemOnPattern);
    const bool gmLatest = (gm2 > vendor && gm2 > gm) || (gm > vendor && gm > gm2);
    return gmLatest ? kGmMode : kVendorMode;
}

// The name of `program` on a channel with the given drum role and banks.
std::string ProgramName(const ToneLibrary* library, int mode, bool drum, int msb, int lsb, int program) {
    if (mode == kVendorMode) {
        return drum ? LookupToneName(library, kVendorMapName, kVendorDrumPage, 0, program)
                    : LookupToneName(library, kVendorMapName, 0, msb, program);
    }
    // A drum channel without a bank select plays the General MIDI Level 2
    // drum bank, so its kits are named from there rather than from the
    // melodic names of bank 0.
    if (drum) return LookupToneName(library, kGm2MapName, msb == 0 ? kGm2DrumBank : msb, 0, program);
    return LookupToneName(library, kGm2MapName, msb, lsb, program);
}

// Reads the first events of one part up to its first note.
void ScanPart(SongContainer& song, int part, int mode, SongOptions& options, const ToneLibrary* library) {
    const int ch = song.partChannel[part] & 0x0F;
    CursorGuard cursor(song, PartSlot(part));
    int msb = 0;
    int lsb = 0;
    TrackEvent event;
    while (Read(*cursor, &event, 1, true) == 1) {
        if (event.IsEnd()) return;
        if (event.IsNote()) {
            options.channelUsed[ch] = 1;
            return;
        }
        if (event.Kind() == EventKind::kControl) {
            const std::uint8_t controller = event.U8(4);
            const std::uint8_t value = event.U8(5);
            if (controller == kBankSelectMsb) {
                msb = value;
                if (mode == kGmMode && value == kGm2DrumBank) options.drumChannel[ch] = 1;
            } else if (controller == kBankSelectLsb) {
                lsb = value;
            }
        } else if (event.Kind() == EventKind::kProgram) {
            const int program = event.U8(4);
            options.toneName[ch] = ProgramName(library, mode, options.drumChannel[ch] != 0, msb, lsb, program);
            options.program[ch] = program;
        }
    }
}

}  // namespace

void ChannelInfoPass(SongContainer& song, SongOptions& options, const ToneLibrary* library) {
    int mode = kVendorMode;
    if (song.exclusiveTable) {
        MarkRhythmParts(*song.exclusiveTable, options);
        mode = ResetMode(*song.exclusiveTable);
    }
    options.resetMode = mode;
    for (int part = 0; part < kPartCount; ++part) {
        const bool portZero = (song.partChannel[part] >> 4) == 0;
        if (portZero && song.SlotTrack(PartSlot(part)) != nullptr) ScanPart(song, part, mode, options, library);
    }
}
