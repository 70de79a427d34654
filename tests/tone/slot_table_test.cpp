// The sparse record table behind tone pages and drum-key tables.
#include "tone/slot_table.h"

#include <gtest/gtest.h>

#include "tone/tone_records.h"

namespace {

ToneNameRecord Named(const char* name) {
    ToneNameRecord record;
    record.SetName(name);
    return record;
}

TEST(SlotTable, StoresFindsAndOverwritesRecordsBySlot) {
    SlotTable<ToneNameRecord> table(300, 7);
    EXPECT_EQ(table.Key(), 7);
    EXPECT_EQ(table.Find(5), nullptr);
    EXPECT_EQ(table.BlocksAllocated(), 0);
    ASSERT_TRUE(table.Store(5, Named("Five")));
    ASSERT_TRUE(table.Store(5, Named("Five again")));
    EXPECT_EQ(table.Find(5)->Name(), "Five again");
    EXPECT_EQ(table.RecordsInUse(), 1);
}

TEST(SlotTable, RefusesSlotsOutsideTheTable) {
    SlotTable<ToneNameRecord> table(300, 0);
    EXPECT_FALSE(table.Store(300, Named("x")));
    EXPECT_FALSE(table.Store(-1, Named("x")));
    EXPECT_EQ(table.Find(300), nullptr);
    EXPECT_EQ(table.Find(-1), nullptr);
    EXPECT_EQ(table.RecordsInUse(), 0);
}

TEST(SlotTable, AllocatesBlocksOfRecordsAsNeededAndFreesThemWhenEmptied) {
    SlotTable<ToneNameRecord> table(1000, 0);
    for (int slot = 0; slot < 129; ++slot) table.Store(999 - slot, Named("r"));
    EXPECT_EQ(table.BlocksAllocated(), 2);  // 129 records need two blocks of 128
    table.Remove(999 - 128);                // record number 128 is alone in the second block
    EXPECT_EQ(table.BlocksAllocated(), 1);
    EXPECT_EQ(table.RecordsInUse(), 128);
    table.Remove(999 - 128);  // removing an empty slot changes nothing
    EXPECT_EQ(table.RecordsInUse(), 128);
}

TEST(SlotTable, ReusesTheLowestFreeRecordNumber) {
    SlotTable<ToneNameRecord> table(1000, 0);
    for (int slot = 0; slot < 200; ++slot) table.Store(slot, Named("r"));
    table.Remove(3);   // frees record 3 (first block)
    table.Store(500, Named("reused"));
    for (int slot = 128; slot < 200; ++slot) table.Remove(slot);  // empties the second block
    EXPECT_EQ(table.BlocksAllocated(), 1);  // so record 500 took number 3
    EXPECT_EQ(table.Find(500)->Name(), "reused");
}

TEST(DrumKeyRecord, KeepsItsFieldsInTheirBytes) {
    DrumKeyRecord record;
    record.SetName("Acoustic Snare");
    record.SetPosition(0x1234);
    record.SetShownNote(38);
    record.SetCheck(1);
    EXPECT_EQ(record.bytes[24], 0x34);
    EXPECT_EQ(record.bytes[25], 0x12);
    EXPECT_EQ(record.bytes[26], 38);
    EXPECT_EQ(record.bytes[28], 1);
    EXPECT_EQ(record.Name(), "Acoustic Snare");
    EXPECT_EQ(record.Position(), 0x1234);
}

}  // namespace
