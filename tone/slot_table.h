// A sparse table of fixed-size records addressed by a slot index. Records
// live in blocks of 128 that are allocated when their first record is stored
// and freed when their last one is removed; each slot holds the number of its
// record (or none), and storing into an empty slot takes the lowest free
// record number. Nothing is allocated until the first record is stored.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

template <typename Record>
class SlotTable {
public:
    static constexpr int kRecordsPerBlock = 128;
    static constexpr int kMaxSlots = 32767;  // record numbers are 16-bit

    // A table of `slots` slots (at most kMaxSlots) for the page whose key is `key`.
    SlotTable(int slots, int key) : slots_(slots < 0 ? 0 : slots > kMaxSlots ? kMaxSlots : slots), key_(key) {}

    // The number of slots, the key of the page the table belongs to, and the records stored.
    int Size() const { return slots_; }
    int Key() const { return key_; }
    int RecordsInUse() const { return recordsInUse_; }

    // The record in slot `index`, or null when the slot is empty or outside the table.
    const Record* Find(int index) const {
        const int number = RecordNumber(index);
        return number < 0 ? nullptr : &RecordAt(number);
    }
    Record* Find(int index) {
        const int number = RecordNumber(index);
        return number < 0 ? nullptr : &RecordAt(number);
    }

    // The record in slot `index`, created empty when the slot had none; null
    // when the index is outside the table.
    Record* FindOrCreate(int index) {
        if (index < 0 || index >= slots_) return nullptr;
        if (Record* existing = Find(index)) return existing;
        if (recordOfSlot_.empty()) {
            recordOfSlot_.assign(static_cast<std::size_t>(slots_), kEmptySlot);
            recordUsed_.assign(static_cast<std::size_t>(slots_), 0);
            blocks_.resize(static_cast<std::size_t>((slots_ + kRecordsPerBlock - 1) / kRecordsPerBlock));
            blockUse_.assign(blocks_.size(), 0);
        }
        // The lowest free record number; one exists, as there are as many record numbers as slots.
        int number = lowestFreeHint_;
        while (recordUsed_[static_cast<std::size_t>(number)]) ++number;
        lowestFreeHint_ = number + 1;
        const std::size_t block = static_cast<std::size_t>(number / kRecordsPerBlock);
        if (!blocks_[block]) blocks_[block] = std::make_unique<Block>();
        ++blockUse_[block];
        recordUsed_[static_cast<std::size_t>(number)] = 1;
        recordOfSlot_[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(number);
        ++recordsInUse_;
        Record& record = RecordAt(number);
        record = Record{};
        return &record;
    }

    // Stores `record` in slot `index`, overwriting what the slot held.
    // Returns false (storing nothing) when the index is outside the table.
    bool Store(int index, const Record& record) {
        Record* target = FindOrCreate(index);
        if (!target) return false;
        *target = record;
        return true;
    }

    // Empties slot `index` and frees its record (and its block, when that
    // held the last record).
    void Remove(int index) {
        const int number = RecordNumber(index);
        if (number < 0) return;
        recordOfSlot_[static_cast<std::size_t>(index)] = kEmptySlot;
        recordUsed_[static_cast<std::size_t>(number)] = 0;
        if (number < lowestFreeHint_) lowestFreeHint_ = number;
        --recordsInUse_;
        const std::size_t block = static_cast<std::size_t>(number / kRecordsPerBlock);
        if (--blockUse_[block] == 0) blocks_[block].reset();
    }

    // The number of record blocks currently allocated.
    int BlocksAllocated() const {
        int count = 0;
        for (const auto& block : blocks_) count += block ? 1 : 0;
        return count;
    }

private:
    static constexpr std::int16_t kEmptySlot = -1;
    using Block = std::array<Record, kRecordsPerBlock>;

    int RecordNumber(int index) const {
        if (index < 0 || index >= slots_ || recordOfSlot_.empty()) return -1;
        return recordOfSlot_[static_cast<std::size_t>(index)];
    }
    Record& RecordAt(int number) const {
        // The blocks are owned through pointers, so a const table can still hand out its records.
        return (*blocks_[static_cast<std::size_t>(number / kRecordsPerBlock)])[static_cast<std::size_t>(number % kRecordsPerBlock)];
    }

    int slots_;
    int key_;
    int recordsInUse_ = 0;
    int lowestFreeHint_ = 0;  // no record number below it is free
    std::vector<std::int16_t> recordOfSlot_;  // record number per slot, kEmptySlot when empty
    std::vector<std::uint8_t> recordUsed_;    // in-use flag per record number
    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<int> blockUse_;               // records in use per block
};
