// The exclusive-message table: storing, copying, the checksum rewrite, clearing.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/exclusive_table.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

int Store(ExclusiveTable& table, int index, const Bytes& bytes) {
    return ExclusiveStore(index, table, static_cast<int>(bytes.size()), bytes.data());
}

Bytes Contents(MovableBlock& block, int length) {
    BlockLock lock(block);
    return Bytes(lock.Data(), lock.Data() + length);
}

// GS-style reset message: F0 41 10 42 12 40 00 7F 00 41 F7.
const Bytes kGsReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

}  // namespace

class ExclusiveTest : public ::testing::Test {
protected:
    std::unique_ptr<ExclusiveTable> table = std::make_unique<ExclusiveTable>();
};

TEST_F(ExclusiveTest, AStoredMessageIsCopiedBackWholeIntoACallerOwnedBlock) {
    ASSERT_EQ(Store(*table, 0, kGsReset), 0);
    EXPECT_EQ(table->count, 1);
    EXPECT_EQ(table->lengths[0], kGsReset.size());
    MovableBlock copy;
    ASSERT_EQ(ExclusiveCopy(*table, 0, copy), 11);
    EXPECT_EQ(copy.Size(), 11u);
    EXPECT_EQ(Contents(copy, 11), kGsReset);
}

TEST_F(ExclusiveTest, TheChecksumCopyRestartsAtFEAndFillsInFF) {
    const Bytes stored = {0xF0, 0x7D, 0x10, 0x42, 0x12, 0xFE, 0x40, 0x00, 0x7F, 0x00, 0xFF, 0xF7};
    Store(*table, 3, stored);
    MovableBlock copy;
    const int written = ExclusiveCopyWithChecksum(*table, 3, copy);
    ASSERT_EQ(written, 11);
    // 0x40 + 0x00 + 0x7F + 0x00 = 0xBF, and (-0xBF) & 0x7F = 0x41.
    EXPECT_EQ(Contents(copy, written), (Bytes{0xF0, 0x7D, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
}

TEST_F(ExclusiveTest, AWellFormedMessagePassesTheChecksumCopyUnchanged) {
    Store(*table, 0, kGsReset);
    MovableBlock copy;
    ASSERT_EQ(ExclusiveCopyWithChecksum(*table, 0, copy), 11);
    EXPECT_EQ(Contents(copy, 11), kGsReset);
}

TEST_F(ExclusiveTest, Entry998CanBeStoredButThereIsNoEntry999) {
    EXPECT_EQ(Store(*table, 998, kGsReset), 0);
    EXPECT_EQ(Store(*table, 999, kGsReset), -1);
    EXPECT_EQ(Store(*table, -1, kGsReset), -1);
    EXPECT_EQ(table->count, 1);
    MovableBlock copy;
    EXPECT_EQ(ExclusiveCopy(*table, 999, copy), 0);
}

TEST_F(ExclusiveTest, AnEmptyOrZeroLengthEntryCopiesNothing) {
    MovableBlock copy(8);
    EXPECT_EQ(ExclusiveCopy(*table, 5, copy), 0);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(ExclusiveCopyWithChecksum(*table, 5, copy), 0);
    EXPECT_EQ(Store(*table, 5, Bytes{}), -1);
    EXPECT_EQ(table->count, 0);
}

TEST_F(ExclusiveTest, StoringOverAnEntryReplacesItWithoutCountingItTwice) {
    Store(*table, 2, kGsReset);
    Store(*table, 2, Bytes{0xF0, 0xF7});
    EXPECT_EQ(table->count, 1);
    EXPECT_EQ(table->lengths[2], 2);
}

TEST_F(ExclusiveTest, ClearFreesEveryEntry) {
    Store(*table, 0, kGsReset);
    Store(*table, 500, kGsReset);
    ExclusiveClear(*table);
    EXPECT_EQ(table->count, 0);
    EXPECT_EQ(table->lengths[500], 0);
    EXPECT_TRUE(table->handles[500].Empty());
    MovableBlock copy;
    EXPECT_EQ(ExclusiveCopy(*table, 0, copy), 0);
}
