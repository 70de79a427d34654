// Track editing: searching, erasing into rests, merging rests and copying
// events with their payloads.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/data_pool.h"
#include "model/track_containers.h"
#include "model/track_editing.h"
#include "model_test_util.h"

namespace {

using Items = std::vector<std::string>;

// Overwrites the track with exactly these events.
void Fill(TrackCursor& c, const std::vector<TrackEvent>& events) {
    c.position = 0;
    InsertSlots(c, -c.track->count, false);
    for (const TrackEvent& ev : events) Write(c, ev, true);
    c.position = 0;
    c.positionTick = 0;
    c.targetTick = 0;
}

TrackEvent Rest(int step) { return MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(step)); }
TrackEvent End() { return MakeEvent(EventKind::kEnd); }

FindPattern KindIs(std::uint8_t kind) { return FindPattern{2, kind}; }

// Adds a lyric at an absolute tick; returns the pool index it got.
int AddLyric(TrackCursor& c, int tick, const std::string& text) {
    std::vector<std::uint8_t> payload(4 + text.size() + 1, 0);
    std::copy(text.begin(), text.end(), payload.begin() + 4);
    Seek(c, tick, 0);
    const int stored = InsertWithPayload(static_cast<int>(payload.size()), c, MakeEvent(EventKind::kLyric), payload.data());
    return c.track->events[stored].U16(4);
}

std::string LyricText(const TrackContainers& song, int index) {
    char buffer[64] = {};
    if (!PoolRead(song.Pool(PoolId::kText), index, sizeof buffer - 1, buffer)) return "<none>";
    return std::string(buffer + 4);
}

}  // namespace

class FindTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Events at ticks 0, 100, 200 and the end marker at 300.
        Fill(*c, {Note(60, 10, 100, 100), Control(7, 1, 100), Note(62, 10, 100, 100), End()});
    }
    TrackContainers song{1, 1};
    CursorGuard c{song, PartSlot(0)};
};

TEST_F(FindTest, AnUnlimitedForwardSearchRunsToTheEnd) {
    EXPECT_TRUE(Find(*c, KindIs(EventKind::kEnd), kUnlimitedBudget, true, nullptr));
    EXPECT_EQ(c->position, 3);
    EXPECT_EQ(c->positionTick, 300);
    Seek(*c, 0, 0);
    EXPECT_FALSE(Find(*c, KindIs(EventKind::kProgram), kUnlimitedBudget, true, nullptr));
    EXPECT_EQ(c->position, 3);  // stopped on the last event
}

TEST_F(FindTest, AForwardSearchWithBudgetZeroTestsOnlyThePosition) {
    int remaining = -1;
    EXPECT_FALSE(Find(*c, KindIs(EventKind::kControl), 0, true, &remaining));
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(remaining, 0);
    EXPECT_TRUE(Find(*c, KindIs(60), 0, true, nullptr));
}

TEST_F(FindTest, AForwardSearchStopsWhenItsBudgetIsSpent) {
    EXPECT_FALSE(Find(*c, KindIs(62), 150, true, nullptr));  // 150 - 100 - 100 < 1
    Seek(*c, 0, 0);
    int remaining = -1;
    EXPECT_TRUE(Find(*c, KindIs(62), 250, true, &remaining));
    EXPECT_EQ(c->position, 2);
    EXPECT_EQ(c->positionTick, 200);
    EXPECT_EQ(remaining, 50);
}

TEST_F(FindTest, ABackwardSearchCountsTheStepsOfTheEventsItPasses) {
    Seek(*c, 200, 0);
    EXPECT_FALSE(Find(*c, KindIs(60), 150, false, nullptr));
    Seek(*c, 200, 0);
    int remaining = -1;
    EXPECT_TRUE(Find(*c, KindIs(60), 200, false, &remaining));
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(c->positionTick, 0);
    EXPECT_EQ(remaining, 0);
}

TEST_F(FindTest, ANegativeBudgetOrAPatternOutsideTheEventFailsAtOnce) {
    Seek(*c, 100, 0);
    EXPECT_FALSE(Find(*c, KindIs(EventKind::kControl), -5, true, nullptr));
    EXPECT_FALSE(Find(*c, FindPattern{12, 0}, kUnlimitedBudget, true, nullptr));
    EXPECT_EQ(c->position, 1);
}

class EraseTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Two notes at 0, then one note each at 100, 200 and 300.
        InsertAt(*c, 0, Note(60, 10));
        InsertAt(*c, 0, Note(61, 10));
        InsertAt(*c, 100, Note(62, 10));
        InsertAt(*c, 200, Note(63, 10));
        InsertAt(*c, 300, Note(64, 10));
        ASSERT_EQ(Describe(*c->track), (Items{"3C:0", "3D:100", "3E:100", "3F:100", "40:0", "FC:0"}));
    }
    TrackContainers song{1, 1};
    CursorGuard c{song, PartSlot(0)};
};

TEST_F(EraseTest, EraseAfterWithZeroTicksErasesExactlyTheEventsAtTheTarget) {
    Seek(*c, 0, 0);
    EXPECT_TRUE(EraseAfter(*c, 0));
    EXPECT_EQ(Describe(*c->track), (Items{"F8:0", "F8:100", "3E:100", "3F:100", "40:0", "FC:0"}));
}

TEST_F(EraseTest, EraseAfterWithTicksKeepsTheTargetEventsAndErasesUpToTargetPlusTicks) {
    Seek(*c, 0, 0);
    EXPECT_TRUE(EraseAfter(*c, 200));
    EXPECT_EQ(Describe(*c->track), (Items{"3C:0", "3D:100", "F8:100", "F8:100", "40:0", "FC:0"}));
    EXPECT_EQ(c->position, 0);
    EXPECT_EQ(c->targetTick, 200);
}

TEST_F(EraseTest, EraseAfterNeverErasesTheEndMarker) {
    Seek(*c, 200, 0);
    EXPECT_TRUE(EraseAfter(*c, 5000));
    EXPECT_EQ(Describe(*c->track), (Items{"3C:0", "3D:100", "3E:100", "3F:100", "F8:0", "FC:0"}));
}

TEST_F(EraseTest, EraseAfterOnTheEndMarkerOnlyMovesTheTarget) {
    Seek(*c, 1000, 0);
    EXPECT_FALSE(EraseAfter(*c, 100));
    EXPECT_EQ(c->targetTick, 1100);
    EXPECT_EQ(c->track->events[4].Kind(), 64);
}

TEST_F(EraseTest, EraseRangeSplitsASpanningNoteAndKeepsItsGate) {
    CursorGuard d(song, PartSlot(1));
    InsertAt(*d, 0, Note(60, 480));
    InsertAt(*d, 1000, Note(62, 10));
    EXPECT_TRUE(EraseRange(100, 200, *d));
    EXPECT_EQ(Describe(*d->track), (Items{"3C:100", "F8:100", "F8:800", "3E:0", "FC:0"}));
    EXPECT_EQ(d->track->events[0].Gate(), 480);
}

TEST_F(EraseTest, EraseRangeErasesTheEventsThatStartInsideIt) {
    EXPECT_TRUE(EraseRange(100.0, 300.0, *c));
    EXPECT_EQ(Describe(*c->track), (Items{"3C:0", "3D:100", "F8:100", "F8:100", "40:0", "FC:0"}));
}

TEST_F(EraseTest, EraseRangeBeyondTheEndOrEmptyChangesNothing) {
    const Items before = Describe(*c->track);
    EXPECT_FALSE(EraseRange(2000, 3000, *c));
    EXPECT_FALSE(EraseRange(150, 150, *c));
    EXPECT_FALSE(EraseRange(200, 100, *c));
    EXPECT_EQ(Describe(*c->track), before);
}

TEST(EraseLyricTest, ErasingALyricReleasesItsTextEntry) {
    TrackContainers song{1, 1};
    CursorGuard c(song, kLyricSlot);
    const int index = AddLyric(*c, 0, "la");
    Seek(*c, 0, 0);
    EXPECT_TRUE(EraseAfter(*c, 0));
    EXPECT_EQ(LyricText(song, index), "<none>");
}

class MergeRestsTest : public ::testing::Test {
protected:
    TrackContainers song{1, 1};
    CursorGuard c{song, PartSlot(0)};
};

TEST_F(MergeRestsTest, RestsAfterANoteFillItsStepTo1920AndTheRemainderStaysARest) {
    Fill(*c, {Note(60, 10), Rest(1000), Rest(1000), Rest(1000), End()});
    MergeRests(*c, 0, 10000);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:1920", "F8:1080", "FC:0"}));
}

TEST_F(MergeRestsTest, MergingKeepsTheTimeOfTheFollowingEvents) {
    Fill(*c, {Note(60, 10, 100, 100), Rest(1920), Rest(1920), Rest(500), Note(62, 10), End()});
    MergeRests(*c, 0, 10000);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:1920", "F8:1920", "F8:600", "3E:0", "FC:0"}));
    EXPECT_EQ(StartTicks(*c->track)[3], 4440);
}

TEST_F(MergeRestsTest, RestsAtOrAfterTheEndTickAreLeftAlone) {
    Fill(*c, {Note(60, 10, 100, 1920), Note(61, 10, 100, 100), Rest(100), Note(62, 10, 100, 1920), Rest(100),
              Rest(100), End()});
    MergeRests(*c, 0, 2100);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:1920", "3D:200", "3E:1920", "F8:100", "F8:100", "FC:0"}));
}

class CopyTest : public ::testing::Test {
protected:
    TrackContainers source{1, 1};
    TrackContainers destination{1, 1};
};

TEST_F(CopyTest, CopyEventsBetweenTracksOfDifferentEventSizesCopiesNothing) {
    CursorGuard from(source, PartSlot(0));
    CursorGuard to(destination, PartSlot(0));
    InsertAt(*from, 0, Note(60, 10));
    from->track->eventSize = 16;
    EXPECT_EQ(CopyEvents(1, *to, *from, true), 0);
    EXPECT_EQ(Describe(*to->track), (Items{"FC:0"}));
}

TEST_F(CopyTest, CopyEventsIsCutToTheEventsLeftInTheSource) {
    CursorGuard from(source, PartSlot(0));
    CursorGuard to(destination, PartSlot(0));
    Fill(*from, {Note(60, 10, 100, 100), Note(62, 10), End()});
    from->position = 1;
    EXPECT_EQ(CopyEvents(10, *to, *from, true), 2);
    EXPECT_EQ(Describe(*to->track), (Items{"3E:0", "FC:0"}));
    EXPECT_EQ(to->position, 2);
    EXPECT_EQ(from->position, 3);
}

TEST_F(CopyTest, InsertCopiesOfLyricsBetweenSongsGivesTheDestinationItsOwnEntries) {
    CursorGuard from(source, kLyricSlot);
    const int a = AddLyric(*from, 0, "one");
    const int b = AddLyric(*from, 480, "two");
    const int d = AddLyric(*from, 960, "three");
    CursorGuard to(destination, kLyricSlot);
    from->position = 0;
    to->position = 0;

    EXPECT_EQ(InsertCopies(*to, *from, 3, true), 3);
    EXPECT_EQ(Describe(*to->track), (Items{"F5:480", "F5:480", "F5:0", "FC:0"}));
    EXPECT_EQ(LyricText(destination, to->track->events[0].U16(4)), "one");
    EXPECT_EQ(LyricText(destination, to->track->events[1].U16(4)), "two");
    EXPECT_EQ(LyricText(destination, to->track->events[2].U16(4)), "three");
    // The source keeps its entries, and no new ones.
    EXPECT_EQ(LyricText(source, a), "one");
    EXPECT_EQ(LyricText(source, b), "two");
    EXPECT_EQ(LyricText(source, d), "three");
    EXPECT_EQ(LyricText(source, 3), "<none>");
}

TEST_F(CopyTest, InsertCopiesWithinOneSongDuplicatesEveryEntry) {
    CursorGuard from(source, kLyricSlot);
    const int original = AddLyric(*from, 0, "la");
    CursorGuard to(source, PartSlot(5));
    from->position = 0;
    to->position = 0;
    ASSERT_EQ(InsertCopies(*to, *from, 1, false), 1);
    const int copy = to->track->events[0].U16(4);
    EXPECT_NE(copy, original);
    ReleasePayload(to->track->events[0], *to);
    EXPECT_EQ(LyricText(source, original), "la");
}

TEST_F(CopyTest, AnEventWhoseEntryIsMissingIsCopiedReferringToNoEntry) {
    CursorGuard from(source, kLyricSlot);
    TrackEvent dangling = MakeEvent(EventKind::kLyric);
    dangling.SetU16(4, 77);
    Fill(*from, {dangling, End()});
    CursorGuard to(destination, kLyricSlot);
    AddLyric(*to, 0, "mine");  // entry 77 does not exist, entry 0 does
    to->position = 0;
    ASSERT_EQ(InsertCopies(*to, *from, 1, false), 1);
    EXPECT_EQ(to->track->events[0].U16(4), kPoolNoEntry);
}

TEST_F(CopyTest, InsertCopiesWithinOneTrackCopiesTheEventsAsTheyWereBefore) {
    CursorGuard from(source, PartSlot(0));
    Fill(*from, {Note(60, 10, 100, 100), Note(62, 10, 100, 100), End()});
    CursorGuard to(source, PartSlot(0));
    from->position = 0;
    to->position = 1;
    EXPECT_EQ(InsertCopies(*to, *from, 2, false), 2);
    EXPECT_EQ(Describe(*to->track), (Items{"3C:100", "3C:100", "3E:100", "3E:100", "FC:0"}));
}

TEST_F(CopyTest, InsertCopiesOpensOnlyAsManySlotsAsThereAreEventsToCopy) {
    CursorGuard from(source, PartSlot(0));
    Fill(*from, {Note(60, 10, 100, 100), End()});
    CursorGuard to(destination, PartSlot(0));
    from->position = 1;
    EXPECT_EQ(InsertCopies(*to, *from, 50, true), 1);
    EXPECT_EQ(to->track->count, 2);
}
