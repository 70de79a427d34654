// Payload pools: block chains of back-to-back entries addressed by a global
// index (block number x 300 + slot number), and the event-side operations
// that add, duplicate and release the payload of one event.
#include "model/data_pool.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "model/track.h"
#include "model/track_containers.h"

namespace {

// Largest payload record of each pool kind.
constexpr int kTextRecordMax = 37;  // i32 flag, 32 characters, terminator
constexpr int kF1RecordMax = 308;
constexpr int kFERecordMax = 312;
constexpr int kECRecordMax = 100;
constexpr int kEBRecordMax = 310;
constexpr int kEARecordMax = 294;

// Payloads up to this size are duplicated through a stack buffer.
constexpr int kDuplicateStackBytes = 512;

// Bit mask of the sub-kind in the offset byte of kind 0xEC events.
constexpr std::uint8_t kSubKindMask = 0x3F;

int SlotSizeAt(const PoolBlock& block, int at) {
    return block.bytes[at] | (block.bytes[at + 1] << 8);
}

int LengthAt(const PoolBlock& block, int at) {
    return static_cast<std::int16_t>(block.bytes[at + 2] | (block.bytes[at + 3] << 8));
}

void SetSlotSize(PoolBlock& block, int at, int size) {
    block.bytes[at] = static_cast<std::uint8_t>(size);
    block.bytes[at + 1] = static_cast<std::uint8_t>(size >> 8);
}

void SetLength(PoolBlock& block, int at, int length) {
    block.bytes[at + 2] = static_cast<std::uint8_t>(length);
    block.bytes[at + 3] = static_cast<std::uint8_t>(length >> 8);
}

// Stores a payload into the slot at `at` (its capacity already suffices).
void StorePayload(PoolBlock& block, int at, const void* data, int length) {
    std::uint8_t* payload = block.bytes.data() + at + kPoolEntryHeaderBytes;
    if (data) {
        std::memcpy(payload, data, static_cast<std::size_t>(length));
    } else {
        std::memset(payload, 0, static_cast<std::size_t>(length));
    }
    SetLength(block, at, length);
}

std::unique_ptr<PoolBlock> NewBlock() {
    auto block = std::make_unique<PoolBlock>();
    block->bytes.assign(static_cast<std::size_t>(block->allocatedBytes), 0);
    return block;
}

// Makes room for `needed` used bytes: a block whose use would reach its
// allocation grows to the next multiple of the granularity strictly above.
void EnsureBlockBytes(PoolBlock& block, int needed) {
    if (needed >= block.allocatedBytes) {
        block.allocatedBytes = block.granularity * (needed / block.granularity + 1);
    }
    if (block.bytes.size() < static_cast<std::size_t>(block.allocatedBytes)) {
        block.bytes.resize(static_cast<std::size_t>(block.allocatedBytes), 0);
    }
}

// Grows slot `slot` (at byte `at`) to `newSize` bytes, moving the block's
// later bytes and slots up.
void EnlargeSlot(PoolBlock& block, int slot, int at, int newSize) {
    const int oldSize = SlotSizeAt(block, at);
    const int growth = newSize - oldSize;
    EnsureBlockBytes(block, block.usedBytes + growth);
    std::uint8_t* base = block.bytes.data();
    std::memmove(base + at + newSize, base + at + oldSize,
                 static_cast<std::size_t>(block.usedBytes - (at + oldSize)));
    std::memset(base + at + oldSize, 0, static_cast<std::size_t>(growth));
    SetSlotSize(block, at, newSize);
    block.usedBytes += growth;
    for (std::size_t later = static_cast<std::size_t>(slot) + 1; later < block.slotOffsets.size(); ++later) {
        block.slotOffsets[later] += growth;
    }
}

// Finds entry `index`: its block, its slot number there and the byte offset
// of its header. False when the index lies beyond the chain.
bool Locate(const DataPool& pool, int index, const PoolBlock*& found, int& slot, int& at) {
    if (index < 0) return false;
    std::size_t blockNumber = 0;
    while (blockNumber < pool.blocks.size() &&
           static_cast<std::uint32_t>(index) >= pool.blocks[blockNumber]->slotLimit) {
        index -= static_cast<int>(pool.blocks[blockNumber]->slotLimit);
        ++blockNumber;
    }
    if (blockNumber >= pool.blocks.size()) return false;
    const PoolBlock& block = *pool.blocks[blockNumber];
    if (index >= block.slotsCreated) return false;
    found = &block;
    slot = index;
    at = block.slotOffsets[static_cast<std::size_t>(index)];
    return true;
}

bool Locate(DataPool& pool, int index, PoolBlock*& found, int& slot, int& at) {
    const PoolBlock* block = nullptr;
    if (!Locate(static_cast<const DataPool&>(pool), index, block, slot, at)) return false;
    found = const_cast<PoolBlock*>(block);
    return true;
}

bool IsFull(const PoolBlock& block) {
    return block.slotsCreated >= block.slotLimit && block.slotsLive >= block.slotsCreated;
}

// Puts a payload into a block that has room; returns its slot number there.
int AddToBlock(PoolBlock& block, const void* data, int length) {
    if (block.slotsLive >= block.slotsCreated) {
        const int size = PoolSlotSize(length);
        const int at = block.usedBytes;
        EnsureBlockBytes(block, block.usedBytes + size);
        SetSlotSize(block, at, size);
        StorePayload(block, at, data, length);
        block.usedBytes += size;
        block.slotOffsets.push_back(at);
        ++block.slotsLive;
        return block.slotsCreated++;
    }
    int firstFree = -1;
    for (int slot = 0; slot < block.slotsCreated; ++slot) {
        const int offset = block.slotOffsets[static_cast<std::size_t>(slot)];
        if (LengthAt(block, offset) != 0) continue;
        if (SlotSizeAt(block, offset) - kPoolEntryHeaderBytes >= length) {
            StorePayload(block, offset, data, length);
            ++block.slotsLive;
            return slot;
        }
        if (firstFree < 0) firstFree = slot;
    }
    const int firstFreeAt = block.slotOffsets[static_cast<std::size_t>(firstFree)];
    EnlargeSlot(block, firstFree, firstFreeAt, PoolSlotSize(length));
    StorePayload(block, firstFreeAt, data, length);
    ++block.slotsLive;
    return firstFree;
}

void FreeEntry(PoolBlock& block, int at) {
    if (LengthAt(block, at) == 0) return;
    SetLength(block, at, 0);
    --block.slotsLive;
}

// Track and cursor change counter and change flag of the counted payload kinds.
bool CountedPayloadKind(std::uint8_t kind, int& counter, std::uint32_t& flag) {
    switch (kind) {
        case EventKind::kPayloadF1: counter = TrackCounter::kPayloadF1; flag = ChangeKind::kPayloadF1; return true;
        case EventKind::kPayloadEB: counter = TrackCounter::kPayloadEB; flag = ChangeKind::kPayloadEB; return true;
        case EventKind::kPayloadEA: counter = TrackCounter::kPayloadEA; flag = ChangeKind::kPayloadEA; return true;
        case EventKind::kPayloadEC: counter = TrackCounter::kPayloadEC; flag = ChangeKind::kPayloadEC; return true;
        default: return false;
    }
}

}  // namespace

std::uint16_t PoolAdd(DataPool& pool, const void* data, int length) {
    if (length <= 0 || length > kPoolMaxPayload) return kPoolNoEntry;
    int base = 0;
    PoolBlock* chosen = nullptr;
    for (auto& block : pool.blocks) {
        if (!IsFull(*block)) {
            chosen = block.get();
            break;
        }
        base += static_cast<int>(block->slotLimit);
    }
    // A slot appended now would take the index after the last one created.
    const int appendIndex = base + (chosen ? chosen->slotsCreated : 0);
    const bool appends = !chosen || chosen->slotsLive >= chosen->slotsCreated;
    if (appends && appendIndex >= kPoolNoEntry) return kPoolNoEntry;
    if (!chosen) {
        pool.blocks.push_back(NewBlock());
        chosen = pool.blocks.back().get();
    }
    return static_cast<std::uint16_t>(base + AddToBlock(*chosen, data, length));
}

bool PoolReplace(int index, DataPool& pool, const void* data, int length) {
    PoolBlock* block = nullptr;
    int slot = 0;
    int at = 0;
    if (!Locate(pool, index, block, slot, at)) return false;
    if (!data || length <= 0) {
        FreeEntry(*block, at);
        return true;
    }
    if (length > kPoolMaxPayload) return false;
    if (SlotSizeAt(*block, at) - kPoolEntryHeaderBytes < length) EnlargeSlot(*block, slot, at, PoolSlotSize(length));
    if (LengthAt(*block, at) == 0) ++block->slotsLive;
    StorePayload(*block, at, data, length);
    return true;
}

bool PoolDelete(DataPool& pool, int index) {
    PoolBlock* block = nullptr;
    int slot = 0;
    int at = 0;
    if (!Locate(pool, index, block, slot, at)) return false;
    FreeEntry(*block, at);
    return true;
}

bool PoolRead(const DataPool& pool, int index, int max, void* buffer, int* length) {
    const PoolBlock* block = nullptr;
    int slot = 0;
    int at = 0;
    if (!Locate(pool, index, block, slot, at)) return false;
    const int stored = LengthAt(*block, at);
    if (stored <= 0) return false;
    const int n = std::min(stored, max);
    if (n > 0 && buffer) std::memcpy(buffer, block->bytes.data() + at + kPoolEntryHeaderBytes, static_cast<std::size_t>(n));
    if (length) *length = stored;
    return true;
}

void PoolReset(DataPool& pool) {
    pool.blocks.clear();
    pool.blocks.push_back(NewBlock());
}

std::uint16_t AddEventPayload(TrackCursor& cursor, std::uint8_t kind, const void* data, int length) {
    Track* track = cursor.track;
    if (!track || !track->owner) return kPoolNoEntry;
    TrackContainers& owner = *track->owner;
    DataPool* pool = owner.PoolForKind(kind);
    if (!pool) return kPoolNoEntry;
    const std::uint16_t index = PoolAdd(*pool, data, length);
    int counter = 0;
    std::uint32_t flag = 0;
    if (index != kPoolNoEntry && CountedPayloadKind(kind, counter, flag)) {
        if (!(kind == EventKind::kPayloadF1 && track->slot == kUncountedSlot)) {
            ++track->changeCounters[counter];
            ++track->changeCounters[TrackCounter::kAny];
        }
        owner.RaiseCounter(Counter::kTrackContents);
        MarkChanged(*track, 0, track->count - 1, flag);
    }
    return index;
}

bool DuplicatePayload(TrackCursor& cursor, std::uint8_t kind, int index, int& newIndex, const DataPool* source) {
    if (!source) {
        if (!cursor.track || !cursor.track->owner) return false;
        source = cursor.track->owner->PoolForKind(kind);
        if (!source) return false;
    }
    // The whole stored entry is copied, whatever the kind's usual record size.
    int length = 0;
    if (!PoolRead(*source, index, 0, nullptr, &length)) return false;
    // Payload records fit the stack buffer; longer entries get a heap copy.
    std::array<std::uint8_t, kDuplicateStackBytes> small;
    std::vector<std::uint8_t> large;
    std::uint8_t* buffer = small.data();
    if (length > kDuplicateStackBytes) {
        large.resize(static_cast<std::size_t>(length));
        buffer = large.data();
    }
    PoolRead(*source, index, length, buffer);
    const std::uint16_t added = AddEventPayload(cursor, kind, buffer, length);
    if (added == kPoolNoEntry) return false;
    newIndex = added;
    return true;
}

int PayloadRecordMax(std::uint8_t kind) {
    switch (kind) {
        case EventKind::kLyric: return kTextRecordMax;
        case EventKind::kPayloadF1: return kF1RecordMax;
        case EventKind::kPayloadFE: return kFERecordMax;
        case EventKind::kPayloadEC: return kECRecordMax;
        case EventKind::kPayloadEB: return kEBRecordMax;
        case EventKind::kPayloadEA: return kEARecordMax;
        default: return 0;
    }
}

bool PayloadIndexOffset(std::uint8_t kind, std::int8_t offsetByte, int& at) {
    switch (kind) {
        case EventKind::kLyric:
        case EventKind::kPayloadF1:
        case EventKind::kPayloadFE:
        case EventKind::kPayloadEB:
            at = 4;
            return true;
        case EventKind::kPayloadEA:
            at = 8;
            return true;
        case EventKind::kPayloadEC:
            if ((static_cast<std::uint8_t>(offsetByte) & kSubKindMask) != EventKind::kSubKindWithPayload) return false;
            at = 6;
            return true;
        default:
            return false;
    }
}

bool ReleasePayload(const TrackEvent& event, TrackCursor& cursor) {
    int at = 0;
    if (!PayloadIndexOffset(event.Kind(), event.Offset(), at)) return false;
    if (cursor.track && cursor.track->owner) {
        if (DataPool* pool = cursor.track->owner->PoolForKind(event.Kind())) PoolDelete(*pool, event.U16(at));
    }
    return true;
}
