// The song's table of exclusive messages that 0xF0 events refer to by index.
// Entry i holds one message (0xF0 followed by the message bytes of the file)
// in a movable block of (length / 32 + 1) x 32 bytes.
#pragma once

#include <array>
#include <cstdint>

#include "platform/movable_block.h"

constexpr int kExclusiveEntries = 999;

struct ExclusiveTable {
    std::array<MovableBlock, kExclusiveEntries> handles;
    std::array<std::uint16_t, kExclusiveEntries> lengths{};
    std::array<MovableBlock, kExclusiveEntries> secondHandles;  // always empty here
    std::int32_t count = 0;
};

// Stores `length` bytes under `index`. Returns 0, or -1 when the index is
// outside the table or the block cannot be allocated.
int ExclusiveStore(int index, ExclusiveTable& table, int length, const std::uint8_t* bytes);
// Copies entry `index` into a fresh block owned by the caller; returns the
// length (0 for an empty or missing entry, with `out` left empty).
int ExclusiveCopy(const ExclusiveTable& table, int index, MovableBlock& out);
// As ExclusiveCopy, but 0xFE restarts a running sum (and is dropped) and 0xFF
// becomes the checksum (-sum) & 0x7F. Returns the number of bytes written.
int ExclusiveCopyWithChecksum(const ExclusiveTable& table, int index, MovableBlock& out);
// Frees every entry; the count becomes 0.
void ExclusiveClear(ExclusiveTable& table);
