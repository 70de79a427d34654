// Event storage: insertion, seeking, padding with rests, lengths.
#include <gtest/gtest.h>

#include <random>

#include "model/track_containers.h"
#include "model_test_util.h"

using Items = std::vector<std::string>;

class TrackTest : public ::testing::Test {
protected:
    TrackContainers song{1, 1};
};

TEST_F(TrackTest, ANewSongTrackHoldsOnlyAnEndMarkerAndHasLengthZero) {
    CursorGuard c(song, PartSlot(0));
    EXPECT_EQ(Describe(*c->track), (Items{"FC:0"}));
    EXPECT_EQ(TrackLength(*c), 0);
    EXPECT_EQ(c->track->capacity, 5);
}

TEST_F(TrackTest, InsertingBeyondTheEndPadsWithRestsOfAtMost1920Ticks) {
    CursorGuard c(song, PartSlot(0));
    const int index = InsertAt(*c, 5000, Note(60, 480));
    EXPECT_EQ(Describe(*c->track), (Items{"F8:1920", "F8:1920", "F8:1160", "3C:0", "FC:0"}));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(StartTicks(*c->track)[3], 5000);
}

TEST_F(TrackTest, EventsOfOneTickKeepArrivalOrderAndTheLastCarriesTheStep) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 1000, Note(70, 10));  // the later event, inserted first
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 0, Note(61, 10));
    InsertAt(*c, 0, Note(62, 10));
    EXPECT_EQ(Describe(*c->track), (Items{"3C:0", "3D:0", "3E:1000", "46:0", "FC:0"}));
}

TEST_F(TrackTest, InsertingWhereARestStartsReplacesTheRestAndKeepsItsStep) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 5000, Note(60, 10));  // rests at 0, 1920, 3840
    const int before = c->track->count;
    InsertAt(*c, 1920, Control(7, 100));
    EXPECT_EQ(c->track->count, before);
    EXPECT_EQ(Describe(*c->track), (Items{"F8:1920", "B0:1920", "F8:1160", "3C:0", "FC:0"}));
}

TEST_F(TrackTest, InsertingInsideASpanSplitsIt) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 1000, Note(62, 10));  // note 60 now spans 0..1000
    InsertAt(*c, 400, Control(10, 64));
    EXPECT_EQ(Describe(*c->track), (Items{"3C:400", "B0:600", "3E:0", "FC:0"}));
}

TEST_F(TrackTest, ARestGivenToInsertAtTimeOnlyMovesTheTarget) {
    CursorGuard c(song, PartSlot(0));
    Seek(*c, 100, 0);
    EXPECT_EQ(InsertAtTime(*c, MakeEvent(EventKind::kRest, 50)), -1);
    EXPECT_EQ(c->targetTick, 150);
    EXPECT_EQ(InsertAtTime(*c, MakeEvent(EventKind::kEnd)), -1);
    EXPECT_EQ(Describe(*c->track), (Items{"FC:0"}));
}

TEST_F(TrackTest, SeekBeyondTheEndLandsOnTheEndMarker) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 700, Note(62, 10));
    EXPECT_EQ(Seek(*c, 99999, 0), 700);
    EXPECT_EQ(c->position, 2);
    EXPECT_TRUE(c->track->events[c->position].IsEnd());
    EXPECT_EQ(c->targetTick, 99999);
}

TEST_F(TrackTest, SeekToATickInsideASpanLandsOnTheSoundingEvent) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 0, Note(64, 10));
    InsertAt(*c, 500, Note(62, 10));
    EXPECT_EQ(Seek(*c, 0, 0), 0);
    EXPECT_EQ(c->position, 0);  // the first event of the tick
    EXPECT_EQ(Seek(*c, 300, 0), 0);
    EXPECT_EQ(c->position, 1);  // the event whose span holds tick 300
    EXPECT_EQ(Seek(*c, 200, 1), 500);  // relative: target 300 + 200
    EXPECT_EQ(c->position, 2);
}

TEST_F(TrackTest, InsertSlotsRemovingMoreThanFollowCutsAtThePosition) {
    CursorGuard c(song, PartSlot(0));
    for (int i = 0; i < 4; ++i) InsertAt(*c, i * 10, Note(60 + i, 5));
    c->position = 2;
    InsertSlots(*c, -10, true);
    EXPECT_EQ(c->track->count, 2);
    c->position = 0;
    InsertSlots(*c, -1, true);
    EXPECT_EQ(Describe(*c->track), (Items{"3D:10"}));
}

TEST_F(TrackTest, StepsStayWithin1920AndEveryEventLandsAtItsTick) {
    CursorGuard c(song, PartSlot(0));
    std::mt19937 random(7);
    std::multiset<int> wanted;
    for (int i = 0; i < 300; ++i) {
        const int tick = static_cast<int>(random() % 20000);
        InsertAt(*c, tick, Note(1 + i % 100, 5));
        wanted.insert(tick);
    }
    std::multiset<int> found;
    const auto ticks = StartTicks(*c->track);
    for (int i = 0; i < c->track->count; ++i) {
        EXPECT_LE(c->track->events[i].Step(), kMaxRestStep);
        if (c->track->events[i].IsNote()) found.insert(ticks[i]);
    }
    EXPECT_EQ(found, wanted);
    EXPECT_TRUE(c->track->events[c->track->count - 1].IsEnd());
}

TEST_F(TrackTest, TrackLengthEndsWithTheLongestNoteNotTheTrailingRest) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 480));
    EXPECT_EQ(TrackLength(*c), 479);
    SeekOrExtend(*c, 3000);  // rests of 1920 and 1080 before the end marker
    EXPECT_EQ(TickOfIndex(*c, c->track->count - 1), 3000);
    EXPECT_EQ(TrackLength(*c), 1920);  // the last rest does not count
}

TEST_F(TrackTest, NoteZeroNeverCountsTowardsTheLength) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(0, 900));
    EXPECT_EQ(TrackLength(*c), 0);
}

TEST_F(TrackTest, SeekOrExtendLetsThePreviousEventAbsorbTheGapThenAddsRests) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 100, Note(62, 10));
    const int position = SeekOrExtend(*c, 100 + 1920 + 2000);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:100", "3E:1920", "F8:1920", "F8:80", "FC:0"}));
    EXPECT_EQ(position, 4);
    EXPECT_EQ(c->positionTick, 4020);
}

TEST_F(TrackTest, AdvanceWithRestMovesEverythingFromTheTargetLater) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 1000, Note(62, 10));
    Seek(*c, 400, 0);  // inside the span of note 60
    AdvanceWithRest(*c, 100);
    const auto ticks = StartTicks(*c->track);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:400", "F8:700", "3E:0", "FC:0"}));
    EXPECT_EQ(ticks[2], 1100);
    EXPECT_EQ(c->positionTick, 1100);
}

TEST_F(TrackTest, GrowthKeepsCapacityOnMultiplesOf100) {
    CursorGuard c(song, PartSlot(0));
    for (int i = 0; i < 250; ++i) InsertAt(*c, i, Note(60, 1));
    EXPECT_EQ(c->track->count, 251);
    EXPECT_EQ(c->track->capacity, 300);
}

TEST_F(TrackTest, WriteCountsTheChangeAndMarksTheCursorRange) {
    CursorGuard c(song, PartSlot(0));
    const auto before = song.CounterValue(Counter::kTrackContents);
    c->position = 0;
    Write(*c, Note(60, 5), true);
    EXPECT_EQ(song.CounterValue(Counter::kTrackContents), before + 1);
    EXPECT_EQ(c->firstChanged, 0);
    EXPECT_EQ(c->lastChanged, 0);
    EXPECT_EQ(c->changeFlags & ChangeKind::kEvents, ChangeKind::kEvents);
    EXPECT_EQ(c->position, 1);
}

TEST_F(TrackTest, ClearTrackKeepsTheEndMarkerAndFlagsEveryCursor) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 50, Note(62, 10));
    ClearTrack(*c->track);
    EXPECT_EQ(Describe(*c->track), (Items{"FC:0"}));
    EXPECT_EQ(c->firstChanged16, 1);
    EXPECT_EQ(c->lastChanged16, 999);
    EXPECT_TRUE(c->changeFlags & ChangeKind::kCleared);
}

TEST_F(TrackTest, InsertingAtANegativeTickPutsTheEventAtTickZeroAndKeepsLaterTiming) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    InsertAt(*c, 480, Note(62, 10));
    Seek(*c, -5, 0);
    const int index = InsertAtTime(*c, Control(7, 100));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:0", "B0:480", "3E:0", "FC:0"}));
}

TEST_F(TrackTest, AdvanceWithRestFromPastTheEndPadsBeforeTheEndMarker) {
    CursorGuard c(song, PartSlot(0));
    InsertAt(*c, 0, Note(60, 10));
    Seek(*c, 0, 0);
    TrackEvent buffer[4];
    Read(*c, buffer, 4, true);  // the position now stands past the end marker
    AdvanceWithRest(*c, 2000);
    EXPECT_EQ(Describe(*c->track), (Items{"3C:0", "F8:1920", "F8:80", "FC:0"}));
}
