// The song timeline: every measure timed as measure 1, the song length, and
// a fresh measurement after Invalidate.
#include <gtest/gtest.h>

#include "engine_harness.h"
#include "sequencer/song_timeline.h"

namespace {

using seqtest::SetMeasures;
using seqtest::SetTempos;

// Makes a timeline the program's one for the lifetime of the fixture.
class Timeline : public ::testing::Test {
protected:
    Timeline() { g_pSongTimeline = &timeline; }
    ~Timeline() override { g_pSongTimeline = nullptr; }

    SongContainer song{1};
    SongTimeline timeline{song};
};

// A measure track of n measures ends at the start of measure n + 1, which
// therefore is the song's last measure: its length counts n + 1 measures.
TEST_F(Timeline, NineMeasuresOf44At120BpmGiveTwentySeconds) {
    SetMeasures(song, std::vector<std::uint8_t>(9, 0x33));
    ASSERT_EQ(LastMeasure(song), 10);
    EXPECT_EQ(SongLengthMs(song), 20000);
}

TEST_F(Timeline, AFirstMeasureOf34TimesEveryMeasureAt1500Ms) {
    SetMeasures(song, {0x23, 0x23, 0x23});
    EXPECT_DOUBLE_EQ(timeline.MeasureDurationMs(0), 1500.0);
    EXPECT_DOUBLE_EQ(timeline.MeasureDurationMs(7), 1500.0);
    EXPECT_EQ(SongLengthMs(song), 4 * 1500);
    EXPECT_EQ(timeline.MeasureRecordFor(5).timeSignature, 0x23);
}

TEST_F(Timeline, ATempoChangeAfterMeasure1DoesNotChangeTheLength) {
    SetMeasures(song, {0x33, 0x33, 0x33});
    SetTempos(song, {{0, 12000}, {1920, 6000}});
    EXPECT_EQ(SongLengthMs(song), 4 * 2000);
}

TEST_F(Timeline, TimeOfPositionAddsTheTicksIntoTheMeasure) {
    SetMeasures(song, {0x33, 0x33});
    EXPECT_EQ(TimeOfPosition(song, 1, 0), 0);
    EXPECT_EQ(TimeOfPosition(song, 2, 1920 + 480), 2000 + 500);
}

TEST_F(Timeline, TheMeasuredDurationIsKeptUntilInvalidated) {
    SetMeasures(song, {0x23, 0x23});
    EXPECT_EQ(SongLengthMs(song), 3 * 1500);

    // The same song object refilled for the next conversion, in 4/4.
    {
        CursorGuard cursor(song, kMeasureSlot);
        ClearTrack(*cursor->track);
    }
    SetMeasures(song, {0x33, 0x33});
    EXPECT_EQ(SongLengthMs(song), 3 * 1500);
    timeline.Invalidate();
    EXPECT_EQ(SongLengthMs(song), 3 * 2000);
}

TEST(TimelineAbsent, WithoutATimelineEveryMeasureLastsTwoSeconds) {
    ASSERT_EQ(g_pSongTimeline, nullptr);
    SongContainer song{1};
    SetMeasures(song, {0x23, 0x23, 0x23});
    EXPECT_DOUBLE_EQ(MeasureDurationMs(3), 2000.0);
    EXPECT_EQ(SongLengthMs(song), 4 * 2000);
}

}  // namespace
