// Payload pools: variable-length payloads (lyric texts and a few other kinds)
// kept beside the events. A pool is a chain of blocks of up to 300 entries;
// an entry's index is block number x 300 + slot number in its block. Each
// entry belongs to exactly one event.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct TrackCursor;

constexpr int kPoolSlotsPerBlock = 300;
constexpr int kPoolBlockHeaderBytes = 22;
constexpr int kPoolBlockBytes = 1024;  // initial size and growth granularity
constexpr int kPoolEntryHeaderBytes = 4;
// The index value that refers to no entry: returned when nothing could be
// stored (an empty or oversized payload, or a pool whose 16-bit indices are used up).
constexpr std::uint16_t kPoolNoEntry = 0xFFFF;
// The longest payload an entry holds (its length is a signed 16-bit value).
constexpr int kPoolMaxPayload = 0x7FFF;

// One block of a pool: the header values and the entry bytes. Entries are
// stored back to back as u16 slot size (header included), i16 payload length
// (0 = free slot), payload.
struct PoolBlock {
    std::uint32_t slotLimit = kPoolSlotsPerBlock;
    std::int32_t usedBytes = kPoolBlockHeaderBytes;
    std::int32_t allocatedBytes = kPoolBlockBytes;
    std::int16_t granularity = kPoolBlockBytes;
    std::uint16_t slotsCreated = 0;
    std::int16_t slotsLive = 0;
    std::vector<std::uint8_t> bytes;  // allocatedBytes long; entries start at the header size
    std::vector<std::int32_t> slotOffsets;  // where each created slot starts in `bytes`
};

struct DataPool {
    std::vector<std::unique_ptr<PoolBlock>> blocks;
};

// The slot size made for a payload of `length` bytes.
constexpr int PoolSlotSize(int length) { return (length / 16) * 16 + 20; }

// Adds a payload; returns its entry index.
std::uint16_t PoolAdd(DataPool& pool, const void* data, int length);
// Replaces an entry's payload (no data or length 0 frees it); false past the chain.
bool PoolReplace(int index, DataPool& pool, const void* data, int length);
// Frees an entry that holds data; true if the index exists.
bool PoolDelete(DataPool& pool, int index);
// Copies min(length, max) bytes of the entry; false if it does not exist or is
// free (the buffer is then untouched). `length` receives the stored length.
bool PoolRead(const DataPool& pool, int index, int max, void* buffer, int* length = nullptr);
// Frees every block and starts again with one empty block.
void PoolReset(DataPool& pool);

// Adds a payload to the pool of the cursor's container that belongs to the
// event kind, counting the change for the kinds that count. Returns the index.
std::uint16_t AddEventPayload(TrackCursor& cursor, std::uint8_t kind, const void* data, int length);
// Reads entry `index` (from `source`, or the cursor's own container pool when
// null) and adds it again through AddEventPayload. False when the entry does
// not exist or is free; `newIndex` receives the new entry's index.
bool DuplicatePayload(TrackCursor& cursor, std::uint8_t kind, int index, int& newIndex,
                      const DataPool* source = nullptr);

// The largest payload record each pool kind stores (buffer size for copies).
int PayloadRecordMax(std::uint8_t kind);
// True when events of this kind (and sub-kind, for 0xEC) carry a pool index;
// `at` receives the byte offset of the index in the event.
bool PayloadIndexOffset(std::uint8_t kind, std::int8_t offsetByte, int& at);
