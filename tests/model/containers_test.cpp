// Track containers: when tracks come and go, counters, observers, clearing.
#include <gtest/gtest.h>

#include "model/track_containers.h"
#include "model_test_util.h"

class ContainersTest : public ::testing::Test {
protected:
    TrackContainers song{1, 1};
};

TEST_F(ContainersTest, OpeningAndClosingOnAnEmptySlotLeavesNoTraceAndNoCount) {
    const auto before = song.Counters();
    {
        CursorGuard c(song, PartSlot(5));
        ASSERT_NE(song.SlotTrack(PartSlot(5)), nullptr);
    }
    EXPECT_EQ(song.SlotTrack(PartSlot(5)), nullptr);
    EXPECT_EQ(song.Counters(), before);
}

TEST_F(ContainersTest, TheNoEndMarkerSlotGetsAnEmptyTrack) {
    CursorGuard c(song, kNoEndMarkerSlot);
    EXPECT_EQ(c->track->count, 0);
}

TEST_F(ContainersTest, OnlyTheLastCursorToCloseFreesAnEmptyTrack) {
    TrackCursor first;
    TrackCursor second;
    song.OpenCursor(first, PartSlot(0));
    song.OpenCursor(second, PartSlot(0));
    EXPECT_EQ(first.track, second.track);
    CloseCursor(first);
    EXPECT_NE(song.SlotTrack(PartSlot(0)), nullptr);
    CloseCursor(second);
    EXPECT_EQ(song.SlotTrack(PartSlot(0)), nullptr);
    CloseCursor(second);  // closing twice is harmless
}

TEST_F(ContainersTest, AModifiedEmptyTrackSurvivesUntilClearOrPrune) {
    {
        CursorGuard c(song, PartSlot(1));
        InsertAt(*c, 0, Note(60, 10));
        c->position = 0;
        InsertSlots(*c, -1, true);  // back to the end marker alone, but modified
    }
    ASSERT_NE(song.SlotTrack(PartSlot(1)), nullptr);
    song.Prune();
    EXPECT_EQ(song.SlotTrack(PartSlot(1)), nullptr);

    {
        CursorGuard c(song, PartSlot(2));
        InsertAt(*c, 0, Note(60, 10));
    }
    ASSERT_NE(song.SlotTrack(PartSlot(2)), nullptr);
    song.Clear();
    EXPECT_EQ(song.SlotTrack(PartSlot(2)), nullptr);
}

TEST_F(ContainersTest, ATrackWithEventsSurvivesItsLastCursor) {
    {
        CursorGuard c(song, PartSlot(3));
        InsertAt(*c, 0, Note(60, 10));
    }
    ASSERT_NE(song.SlotTrack(PartSlot(3)), nullptr);
    EXPECT_EQ(song.SlotTrack(PartSlot(3))->count, 2);
}

TEST_F(ContainersTest, ClearKeepsATrackThatACursorStillHoldsButEmptiesIt) {
    CursorGuard held(song, PartSlot(4));
    InsertAt(*held, 0, Note(60, 10));
    song.Clear();
    ASSERT_NE(song.SlotTrack(PartSlot(4)), nullptr);
    EXPECT_EQ(Describe(*held->track), (std::vector<std::string>{"FC:0"}));
}

TEST_F(ContainersTest, ClearWithAnObserverAndAMeasureTrackReportsTheWholeLayout) {
    SongObserver observer;
    song.AttachObserver(observer);
    CursorGuard measure(song, kMeasureSlot);
    song.Clear();
    EXPECT_EQ(observer.firstRange16[kMeasureSlot], 1);
    EXPECT_EQ(observer.lastRange16[kMeasureSlot], 999);
    EXPECT_EQ(observer.pairs[ObserverPair::kClearedOrLayout][0], kMeasureSlot);
    TrackContainers::DetachObserver(observer);
    EXPECT_EQ(observer.owner, nullptr);
}

TEST_F(ContainersTest, ObserversCollectTheChangedIndexRangePerSlot) {
    SongObserver observer;
    song.AttachObserver(observer);
    {
        CursorGuard c(song, PartSlot(0));
        InsertAt(*c, 0, Note(60, 10));
        InsertAt(*c, 100, Note(61, 10));
    }
    EXPECT_EQ(observer.firstIndex[PartSlot(0)], 0);
    EXPECT_EQ(observer.lastIndex[PartSlot(0)], 1);
    EXPECT_EQ(observer.pairs[ObserverPair::kEvents][0], PartSlot(0));
    EXPECT_EQ(observer.pairs[ObserverPair::kEvents][1], PartSlot(0));
    TrackContainers::DetachObserver(observer);
}

TEST_F(ContainersTest, ChangesToTheUncountedSlotRaiseNoCounter) {
    CursorGuard c(song, kUncountedSlot);
    const auto before = song.CounterValue(Counter::kTotal);
    InsertAt(*c, 0, Note(60, 10));
    EXPECT_EQ(song.CounterValue(Counter::kTotal), before);
}

TEST_F(ContainersTest, ClearingASelectionRemovesTheMarksOfItsEvents) {
    {
        CursorGuard c(song, PartSlot(0));
        TrackEvent marked = Note(60, 10);
        marked.SetU8(11, 0x85);
        InsertAt(*c, 0, marked);
        InsertAt(*c, 100, marked);
    }
    Selection& selection = song.SelectionRecord();
    selection.active = 1;
    selection.mode = 3;
    selection.firstSlot = selection.lastSlot = PartSlot(0);
    selection.SetSlotBit(PartSlot(0));
    selection.fromTick = 50;  // only the second note is inside
    SelectionExport exported;
    ASSERT_TRUE(song.ExportSelection(exported));
    EXPECT_EQ(exported.slots[PartSlot(0)], 1);
    EXPECT_TRUE(song.SelectionIncludes(*song.SlotTrack(PartSlot(0))));

    song.ClearSelection();
    const Track& track = *song.SlotTrack(PartSlot(0));
    EXPECT_EQ(track.events[0].U8(11), 0x85);
    EXPECT_EQ(track.events[1].U8(11), 0x05);
    EXPECT_FALSE(song.ExportSelection(exported));
    EXPECT_EQ(exported.active, 0);
}

TEST_F(ContainersTest, MarkerSearchesByKeyAndReplacesEqualKinds) {
    song.InsertMarker(1, 0, 0, "");
    song.InsertMarker(2, 5, 7, "five");
    song.InsertMarker(2, 5, 8, "again");
    MarkerList& markers = song.Markers();
    EXPECT_EQ(markers.Entries().size(), 2u);
    ASSERT_NE(markers.Find(5), nullptr);
    EXPECT_EQ(markers.Find(5)->value, 8);
    EXPECT_EQ(markers.Find((9u << 16) | 3u)->text, "again");
    EXPECT_EQ(markers.Find((8u << 16) | 7u), nullptr);
    EXPECT_EQ(markers.Find(0)->kind, 1);
}

TEST(ContainerLifetime, ACursorOrObserverOutlivingItsContainerIsLeftDetached) {
    TrackCursor cursor;
    SongObserver observer;
    {
        TrackContainers song{1, 1};
        song.AttachObserver(observer);
        song.OpenCursor(cursor, PartSlot(0));
    }
    EXPECT_EQ(cursor.track, nullptr);
    EXPECT_EQ(observer.owner, nullptr);
    CloseCursor(cursor);
    TrackContainers::DetachObserver(observer);
}

TEST_F(ContainersTest, ReopeningAnAttachedCursorClosesItFirst) {
    TrackCursor cursor;
    song.OpenCursor(cursor, PartSlot(0));
    song.OpenCursor(cursor, PartSlot(1));
    EXPECT_EQ(song.SlotTrack(PartSlot(0)), nullptr);  // its only cursor left, so it was freed
    CloseCursor(cursor);
    EXPECT_EQ(song.SlotTrack(PartSlot(1)), nullptr);
}

TEST_F(ContainersTest, ASelectionNamingAnImpossibleSlotCountsAsNoSelection) {
    Selection& selection = song.SelectionRecord();
    selection.active = 1;
    selection.mode = 2;
    selection.firstSlot = selection.lastSlot = 400;
    SelectionExport exported;
    EXPECT_FALSE(song.ExportSelection(exported));
    const auto before = song.CounterValue(Counter::kSelection);
    song.ClearSelection();
    EXPECT_EQ(song.CounterValue(Counter::kSelection), before + 1);
    EXPECT_EQ(song.SelectionRecord().active, 0);
    EXPECT_EQ(song.SelectionRecord().firstSlot, -1);
}
