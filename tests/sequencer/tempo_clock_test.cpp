// The running clock's clamps and rounding, and the conversions over the tempo track.
#include <gtest/gtest.h>

#include "engine_harness.h"
#include "sequencer/tempo_clock.h"

namespace {

using seqtest::SetTempos;

TempoClock ClockAt(int tempo, int startMs = 0, int startTick = 0) {
    TempoClock clock;
    clock.StartClock(startMs, startTick, tempo);
    return clock;
}

TEST(TempoClock, AMeasureAt120BpmLastsTwoSeconds) { EXPECT_EQ(ClockAt(12000).TickToMs(1920), 2000); }

TEST(TempoClock, TemposBelow10BpmPlayAt10Bpm) {
    EXPECT_EQ(ClockAt(500).TickToMs(48), 600);   // 5.00 BPM plays as 10.00: 12.5 ms a tick
    EXPECT_EQ(ClockAt(1000).TickToMs(48), 600);  // 10.00 BPM itself is kept
}

TEST(TempoClock, TemposAbove1000BpmPlayAt1000Bpm) {
    EXPECT_EQ(ClockAt(200000).TickToMs(960), 120);  // 2000.00 BPM plays as 1000.00: 0.125 ms a tick
    EXPECT_EQ(ClockAt(100000).TickToMs(960), 120);
}

TEST(TempoClock, TheScaleIsAppliedBeforeTheClamp) {
    TempoClock clock;
    clock.tempoScale = 50;
    clock.StartClock(0, 0, 12000);  // 60.00 BPM
    EXPECT_EQ(clock.TickToMs(480), 1000);
    clock.tempoScale = 5;
    clock.StartClock(0, 0, 12000);  // 6.00 BPM, clamped to 10.00
    EXPECT_EQ(clock.TickToMs(48), 600);
}

TEST(TempoClock, HalfMillisecondsRoundUp) {
    const TempoClock clock = ClockAt(25000);  // 0.5 ms a tick
    EXPECT_EQ(clock.TickToMs(1), 1);
    EXPECT_EQ(clock.TickToMs(3), 2);
    EXPECT_EQ(clock.TickToMs(4), 2);
}

TEST(TempoClock, TicksBeforeTheTickBaseMapToTheMsBase) {
    const TempoClock clock = ClockAt(12000, 700, 960);
    EXPECT_EQ(clock.TickToMs(0), 700);
    EXPECT_EQ(clock.TickToMs(959), 700);
    EXPECT_EQ(clock.TickToMs(960 + 480), 700 + 500);
}

TEST(TempoClock, ATempoChangeStartsANewSegmentAtTheCurrentTick) {
    TempoClock clock = ClockAt(12000);
    clock.currentTick = 1920;
    clock.currentMs = clock.TickToMs(1920);
    clock.rawTempo = 6000;
    clock.ApplyTempo();
    EXPECT_EQ(clock.TickToMs(1920), 2000);
    EXPECT_EQ(clock.TickToMs(1920 + 480), 3000);
}

TEST(TempoClock, TheFarthestTickStaysInsideTheIntRange) {
    EXPECT_EQ(ClockAt(1000).TickToMs(0x7FFFFFFF), 0x7FFFFFFF);
}

class TempoTrack : public ::testing::Test {
protected:
    SongContainer song{1};
};

TEST_F(TempoTrack, ASongWithoutTempoEventsIsAt120Bpm) {
    SetTempos(song, {});
    EXPECT_EQ(TempoAt(song, 5000), 12000);
    EXPECT_EQ(TicksToMs(song, 0, 1920, 100), 2000);
}

TEST_F(TempoTrack, TempoAtTakesTheLastEventAtOrBeforeTheTick) {
    SetTempos(song, {{0, 12000}, {1920, 6000}});
    EXPECT_EQ(TempoAt(song, 1919), 12000);
    EXPECT_EQ(TempoAt(song, 1920), 6000);
    EXPECT_EQ(TempoAt(song, 99999), 6000);
}

TEST_F(TempoTrack, TicksToMsSumsEachTempoSegment) {
    SetTempos(song, {{0, 12000}, {1920, 6000}});
    EXPECT_EQ(TicksToMs(song, 0, 3840, 100), 2000 + 4000);
    EXPECT_EQ(TicksToMs(song, 960, 2880, 100), 1000 + 2000);
    EXPECT_EQ(TicksToMs(song, 0, 3840, 200), 1000 + 2000);
    EXPECT_EQ(TicksToMs(song, 2000, 2000, 100), 0);
}

TEST_F(TempoTrack, TicksToMsTruncatesWhileTickRangeMsDoesNot) {
    SetTempos(song, {{0, 12000}});
    EXPECT_EQ(TicksToMs(song, 0, 1, 100), 1);                // 1.0417 ms
    EXPECT_DOUBLE_EQ(TickRangeMs(song, 0, 1), 12500.0 / 12000.0);
    EXPECT_DOUBLE_EQ(TickRangeMs(song, 7, 7), 0.0);
}

TEST_F(TempoTrack, ATempoOfZeroIsTimedAtTheSlowestPlayableTempo) {
    SetTempos(song, {{0, 0}});
    EXPECT_EQ(TicksToMs(song, 0, 48, 100), 600);
}

}  // namespace
