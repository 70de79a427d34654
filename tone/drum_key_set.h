// A drum-key set: per drum kit, the names of its keys and how they are
// displayed, in tables keyed by bank + page x 128 with (column, note) slots.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "tone/slot_table.h"
#include "tone/tone_records.h"

constexpr int kDrumKeyColumns = 128;
constexpr int kDrumKeyTableSlots = kDrumKeyColumns * 128;  // 128 columns of 128 notes
// Tables one set may hold; further tables of a file are not stored, which
// bounds the memory a broken or hostile file can claim.
constexpr int kMaxDrumKeyTables = 64;

using DrumKeyTable = SlotTable<DrumKeyRecord>;

// The key of the table of `bank` within `page`.
constexpr int DrumKeyTableKey(int bank, int page) { return bank + page * 128; }

class DrumKeySet {
public:
    // A set named `setName` (cut to 9 characters).
    explicit DrumKeySet(std::string_view setName);

    // The set's name: the name of its map.
    const std::string& Name() const { return name_; }
    // The table with `key`, or null.
    const DrumKeyTable* FindTable(int key) const;
    // The table with `key`, created when missing; null when the set already
    // holds its maximum number of tables.
    DrumKeyTable* TableForKey(int key);
    int TableCount() const { return static_cast<int>(tables_.size()); }

    std::string drumKeyFileTitle;  // drum-key file name without extension, at most 11 characters

private:
    std::string name_;
    std::map<int, std::unique_ptr<DrumKeyTable>> tables_;
};
