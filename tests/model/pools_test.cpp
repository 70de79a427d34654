// Payload pools: the entry index scheme, slot reuse and growth, reads, and the
// event-side add, duplicate and release operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/data_pool.h"
#include "model/track_containers.h"
#include "model_test_util.h"

namespace {

std::vector<std::uint8_t> Bytes(int length, std::uint8_t fill) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(length), fill);
}

std::uint16_t Add(DataPool& pool, int length, std::uint8_t fill) {
    const auto data = Bytes(length, fill);
    return PoolAdd(pool, data.data(), length);
}

// The entry's bytes, or an empty vector when it cannot be read.
std::vector<std::uint8_t> ReadAll(const DataPool& pool, int index) {
    int length = 0;
    if (!PoolRead(pool, index, 0, nullptr, &length)) return {};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    PoolRead(pool, index, length, out.data());
    return out;
}

// A lyric payload as the importer stores it: i32 flag 0, then the text and its terminator.
std::vector<std::uint8_t> LyricPayload(const std::string& text) {
    std::vector<std::uint8_t> out(4 + text.size() + 1, 0);
    std::copy(text.begin(), text.end(), out.begin() + 4);
    return out;
}

TrackEvent Lyric() { return MakeEvent(EventKind::kLyric); }

}  // namespace

TEST(PoolIndexTest, TheFirstBlockHoldsIndices0To299AndThe301stEntryStartsASecondBlock) {
    DataPool pool;
    for (int i = 0; i < kPoolSlotsPerBlock; ++i) ASSERT_EQ(Add(pool, 8, static_cast<std::uint8_t>(i)), i);
    EXPECT_EQ(pool.blocks.size(), 1u);
    EXPECT_EQ(Add(pool, 8, 0xAA), 300);
    EXPECT_EQ(pool.blocks.size(), 2u);
    EXPECT_EQ(ReadAll(pool, 299), Bytes(8, static_cast<std::uint8_t>(299)));
    EXPECT_EQ(ReadAll(pool, 300), Bytes(8, 0xAA));
}

TEST(PoolIndexTest, AFreedEntryInAFullFirstBlockIsReusedBeforeTheSecondBlock) {
    DataPool pool;
    for (int i = 0; i <= kPoolSlotsPerBlock; ++i) Add(pool, 8, 1);
    ASSERT_TRUE(PoolDelete(pool, 17));
    EXPECT_EQ(Add(pool, 8, 2), 17);
    EXPECT_EQ(Add(pool, 8, 3), 301);
}

TEST(PoolIndexTest, APoolRefusesAnEntryOnceItsSixteenBitIndicesAreUsedUp) {
    DataPool pool;
    for (int i = 0; i < kPoolNoEntry; ++i) ASSERT_EQ(Add(pool, 1, 7), i);
    EXPECT_EQ(Add(pool, 1, 7), kPoolNoEntry);
    // A freed entry can still be taken again.
    PoolDelete(pool, 1000);
    EXPECT_EQ(Add(pool, 1, 9), 1000);
}

TEST(PoolSlotTest, AFreedSlotIsReusedByAPayloadThatFits) {
    DataPool pool;
    for (int i = 0; i < 10; ++i) Add(pool, 20, static_cast<std::uint8_t>(i));
    ASSERT_TRUE(PoolDelete(pool, 5));
    EXPECT_EQ(Add(pool, 30, 0x55), 5);  // slot of 20 bytes is 36 long: room for 32
    EXPECT_EQ(ReadAll(pool, 5), Bytes(30, 0x55));
}

TEST(PoolSlotTest, ALargerPayloadEnlargesTheFirstFreeSlotAndKeepsTheLaterEntries) {
    DataPool pool;
    for (int i = 0; i < 10; ++i) Add(pool, 20, static_cast<std::uint8_t>(i));
    PoolDelete(pool, 5);
    PoolDelete(pool, 7);
    EXPECT_EQ(Add(pool, 100, 0x77), 5);
    EXPECT_EQ(ReadAll(pool, 5), Bytes(100, 0x77));
    for (int i : {4, 6, 8, 9}) EXPECT_EQ(ReadAll(pool, i), Bytes(20, static_cast<std::uint8_t>(i))) << i;
    EXPECT_TRUE(ReadAll(pool, 7).empty());
}

TEST(PoolSlotTest, ABlockGrowsToTheNextMultipleOf1024StrictlyAboveItsUse) {
    DataPool pool;
    // Slots of 36 bytes after a 22-byte header: the 28th would reach 1030 bytes.
    for (int i = 0; i < 27; ++i) Add(pool, 20, 1);
    EXPECT_EQ(pool.blocks[0]->allocatedBytes, 1024);
    Add(pool, 20, 1);
    EXPECT_EQ(pool.blocks[0]->usedBytes, 22 + 28 * 36);
    EXPECT_EQ(pool.blocks[0]->allocatedBytes, 2048);
}

TEST(PoolSlotTest, EmptyOrOversizedPayloadsAreNotStored) {
    DataPool pool;
    const auto big = Bytes(kPoolMaxPayload + 1, 1);
    EXPECT_EQ(PoolAdd(pool, big.data(), kPoolMaxPayload + 1), kPoolNoEntry);
    EXPECT_EQ(PoolAdd(pool, big.data(), 0), kPoolNoEntry);
    EXPECT_TRUE(pool.blocks.empty());
}

TEST(PoolReadTest, ReadsCopyAtMostTheRequestedBytesAndReportTheStoredLength) {
    DataPool pool;
    Add(pool, 12, 0x12);
    std::vector<std::uint8_t> buffer(20, 0xEE);
    int length = 0;
    ASSERT_TRUE(PoolRead(pool, 0, 5, buffer.data(), &length));
    EXPECT_EQ(length, 12);
    EXPECT_EQ(buffer[4], 0x12);
    EXPECT_EQ(buffer[5], 0xEE);
}

TEST(PoolReadTest, AFreeEntryOrAnIndexBeyondTheChainReadsNothing) {
    DataPool pool;
    Add(pool, 4, 1);
    Add(pool, 4, 2);
    PoolDelete(pool, 0);
    std::uint8_t buffer[4] = {9, 9, 9, 9};
    EXPECT_FALSE(PoolRead(pool, 0, 4, buffer));
    EXPECT_FALSE(PoolRead(pool, 2, 4, buffer));
    EXPECT_FALSE(PoolRead(pool, 300, 4, buffer));
    EXPECT_FALSE(PoolRead(pool, -1, 4, buffer));
    EXPECT_EQ(buffer[0], 9);
}

TEST(PoolReplaceTest, ReplacingWithALongerPayloadGrowsTheSlotInPlace) {
    DataPool pool;
    for (int i = 0; i < 3; ++i) Add(pool, 10, static_cast<std::uint8_t>(i));
    const auto longer = Bytes(200, 0x42);
    ASSERT_TRUE(PoolReplace(1, pool, longer.data(), 200));
    EXPECT_EQ(ReadAll(pool, 1), longer);
    EXPECT_EQ(ReadAll(pool, 2), Bytes(10, 2));
}

TEST(PoolReplaceTest, ReplacingWithNoDataFreesTheEntryAndBeyondTheChainFails) {
    DataPool pool;
    Add(pool, 10, 1);
    EXPECT_TRUE(PoolReplace(0, pool, nullptr, 0));
    EXPECT_TRUE(ReadAll(pool, 0).empty());
    EXPECT_EQ(pool.blocks[0]->slotsLive, 0);
    const auto data = Bytes(4, 1);
    EXPECT_FALSE(PoolReplace(1, pool, data.data(), 4));
    EXPECT_FALSE(PoolDelete(pool, 1));
}

class EventPayloadTest : public ::testing::Test {
protected:
    TrackContainers song{1, 1};
};

TEST_F(EventPayloadTest, ALyricOf32CharactersIsStoredWith37BytesAndDuplicatedWhole) {
    CursorGuard c(song, kLyricSlot);
    const auto payload = LyricPayload(std::string(32, 'x'));
    ASSERT_EQ(payload.size(), 37u);
    const int stored = InsertWithPayload(37, *c, Lyric(), payload.data());
    const int index = c->track->events[stored].U16(4);
    EXPECT_EQ(ReadAll(song.Pool(PoolId::kText), index), payload);

    int copy = -1;
    ASSERT_TRUE(DuplicatePayload(*c, EventKind::kLyric, index, copy));
    EXPECT_NE(copy, index);
    EXPECT_EQ(ReadAll(song.Pool(PoolId::kText), copy), payload);
}

TEST_F(EventPayloadTest, AnEntryLongerThanItsKindsRecordIsDuplicatedWhole) {
    CursorGuard c(song, kLyricSlot);
    const auto payload = Bytes(200, 0x31);
    const int index = AddEventPayload(*c, EventKind::kLyric, payload.data(), 200);
    int copy = -1;
    ASSERT_TRUE(DuplicatePayload(*c, EventKind::kLyric, index, copy));
    EXPECT_EQ(ReadAll(song.Pool(PoolId::kText), copy), payload);
}

TEST_F(EventPayloadTest, DuplicatingAFreeEntryFailsAndLeavesTheIndexAlone) {
    CursorGuard c(song, kLyricSlot);
    int copy = 12345;
    EXPECT_FALSE(DuplicatePayload(*c, EventKind::kLyric, 3, copy));
    EXPECT_EQ(copy, 12345);
}

TEST_F(EventPayloadTest, AnF1PayloadIsACountedChangeOfTheWholeTrack) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    const auto before = c->track->changeCounters;
    const auto total = song.CounterValue(Counter::kTotal);
    const auto contents = song.CounterValue(Counter::kTrackContents);
    c->firstChanged = c->lastChanged = -1;
    c->changeFlags = 0;

    const auto record = Bytes(60, 1);
    AddEventPayload(*c, EventKind::kPayloadF1, record.data(), 60);
    EXPECT_EQ(c->track->changeCounters[TrackCounter::kPayloadF1], before[TrackCounter::kPayloadF1] + 1);
    EXPECT_EQ(c->track->changeCounters[TrackCounter::kAny], before[TrackCounter::kAny] + 1);
    EXPECT_EQ(song.CounterValue(Counter::kTrackContents), contents + 1);
    EXPECT_EQ(song.CounterValue(Counter::kTotal), total + 1);
    EXPECT_EQ(c->changeFlags, ChangeKind::kPayloadF1);
    EXPECT_EQ(c->firstChanged, 0);
    EXPECT_EQ(c->lastChanged, c->track->count - 1);
}

TEST_F(EventPayloadTest, ALyricPayloadIsAddedWithoutCounting) {
    CursorGuard c(song, kLyricSlot);
    const auto counters = song.Counters();
    const auto payload = LyricPayload("la");
    AddEventPayload(*c, EventKind::kLyric, payload.data(), static_cast<int>(payload.size()));
    EXPECT_EQ(song.Counters(), counters);
}

TEST_F(EventPayloadTest, ReleasingAnEventWithoutPayloadTouchesNoPool) {
    CursorGuard c(song, kLyricSlot);
    const auto payload = LyricPayload("la");
    InsertWithPayload(static_cast<int>(payload.size()), *c, Lyric(), payload.data());
    TrackEvent note = Note(60, 10);
    note.SetU16(4, 0);  // looks like an index, but a note has no payload
    EXPECT_FALSE(ReleasePayload(note, *c));
    EXPECT_FALSE(ReleasePayload(MakeEvent(EventKind::kRest, 10), *c));
    TrackEvent withoutPayload = MakeEvent(EventKind::kPayloadEC);
    withoutPayload.SetOffset(0x45);  // sub-kind 5 (low 6 bits): no payload
    EXPECT_FALSE(ReleasePayload(withoutPayload, *c));
    EXPECT_FALSE(ReadAll(song.Pool(PoolId::kText), 0).empty());
}

TEST_F(EventPayloadTest, ReleasingALyricFreesItsEntry) {
    CursorGuard c(song, kLyricSlot);
    const auto payload = LyricPayload("la");
    const int stored = InsertWithPayload(static_cast<int>(payload.size()), *c, Lyric(), payload.data());
    EXPECT_TRUE(ReleasePayload(c->track->events[stored], *c));
    EXPECT_TRUE(ReadAll(song.Pool(PoolId::kText), 0).empty());
}
