// The song's exclusive-message table: store, copy (plain or with the checksum
// rewrite) and clear entries held in movable blocks.
#include "model/exclusive_table.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

// Entries are allocated in whole units of this many bytes, always with room
// beyond the message itself.
constexpr int kEntryGranularity = 32;
// In the checksum copy: a byte that restarts the running sum (and is dropped)
// and a byte that is replaced by the checksum of the bytes since then.
constexpr std::uint8_t kChecksumStart = 0xFE;
constexpr std::uint8_t kChecksumPlace = 0xFF;
constexpr std::uint8_t kDataBits = 0x7F;

bool ValidIndex(int index) { return index >= 0 && index < kExclusiveEntries; }

// The entry's bytes and length, or 0 when it holds nothing.
int EntryBytes(const ExclusiveTable& table, int index, const std::uint8_t*& bytes) {
    if (!ValidIndex(index)) return 0;
    const int length = table.lengths[static_cast<std::size_t>(index)];
    const MovableBlock& block = table.handles[static_cast<std::size_t>(index)];
    if (length == 0 || block.Size() < static_cast<std::size_t>(length)) return 0;
    bytes = block.Peek();
    return length;
}

}  // namespace

int ExclusiveStore(int index, ExclusiveTable& table, int length, const std::uint8_t* bytes) {
    if (!ValidIndex(index) || length <= 0 || length > std::numeric_limits<std::uint16_t>::max() || !bytes) {
        return -1;
    }
    const auto slot = static_cast<std::size_t>(index);
    MovableBlock block;
    try {
        block = MovableBlock(static_cast<std::size_t>((length / kEntryGranularity + 1) * kEntryGranularity));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    {
        BlockLock lock(block);
        std::memcpy(lock.Data(), bytes, static_cast<std::size_t>(length));
    }
    // Storing over an entry replaces it; the count covers distinct entries.
    if (table.lengths[slot] == 0) ++table.count;
    table.handles[slot] = std::move(block);
    table.lengths[slot] = static_cast<std::uint16_t>(length);
    return 0;
}

int ExclusiveCopy(const ExclusiveTable& table, int index, MovableBlock& out) {
    out.Free();
    const std::uint8_t* bytes = nullptr;
    const int length = EntryBytes(table, index, bytes);
    if (length == 0) return 0;
    try {
        out = MovableBlock(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    BlockLock lock(out);
    std::memcpy(lock.Data(), bytes, static_cast<std::size_t>(length));
    return length;
}

int ExclusiveCopyWithChecksum(const ExclusiveTable& table, int index, MovableBlock& out) {
    const int length = ExclusiveCopy(table, index, out);
    if (length == 0) return 0;
    // Rewritten in place: the output never runs ahead of the input.
    BlockLock lock(out);
    std::uint8_t* bytes = lock.Data();
    int n = 0;
    unsigned sum = 0;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == kChecksumStart) {
            sum = 0;
        } else if (byte == kChecksumPlace) {
            bytes[n++] = static_cast<std::uint8_t>((0u - sum) & kDataBits);
        } else {
            bytes[n++] = byte;
            sum += byte;
        }
    }
    return n;
}

void ExclusiveClear(ExclusiveTable& table) {
    for (int i = 0; i < kExclusiveEntries; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        table.handles[slot].Free();
        table.secondHandles[slot].Free();
        table.lengths[slot] = 0;
    }
    table.count = 0;
}
