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

TEST(TempoClock, EveryTempoAFileCanStateIsPlayedAsItIs) {
    EXPECT_EQ(ClockAt(800).TickToMs(480), 7500);   // a fermata's 8.00 BPM: 7.5 s a beat
    EXPECT_EQ(ClockAt(357).TickToMs(480), 16807);  // 3.57 BPM, 16,777,215 us a quarter, truncated to 0.01 BPM
    EXPECT_EQ(ClockAt(200000).TickToMs(960), 60);  // 2000.00 BPM
}

TEST(TempoClock, TemposAboveAQuarterAMillisecondPlayAtThatLimit) {
    EXPECT_EQ(ClockAt(kMaxEffectiveTempo).TickToMs(480 * 1000), 1000);
    EXPECT_EQ(ClockAt(kMaxEffectiveTempo * 3).TickToMs(480 * 1000), 1000);
}

TEST(TempoClock, TheScaleSlowsEveryTempoDownToOneHundredthOfABpm) {
    TempoClock clock;
    clock.tempoScale = 50;
    clock.StartClock(0, 0, 12000);  // 60.00 BPM
    EXPECT_EQ(clock.TickToMs(480), 1000);
    clock.tempoScale = 1;
    clock.StartClock(0, 0, 800);  // 0.08 BPM: 750 s a beat
    EXPECT_EQ(clock.TickToMs(480), 750000);
    clock.StartClock(0, 0, 50);  // 0.005 BPM is held at 0.01 BPM
    EXPECT_EQ(clock.TickToMs(1), 12500);
    clock.tempoScale = 999;
    clock.StartClock(0, 0, kMaxEffectiveTempo);
    EXPECT_EQ(clock.TickToMs(480), 1);
}

TEST(TempoClock, ARescaleKeepsWhatHasPlayedAndSlowsWhatFollows) {
    TempoClock clock = ClockAt(12000);  // a quarter (480 ticks) every 500 ms
    EXPECT_EQ(clock.MsToTick(1000), 960);
    clock.Rescale(50, 1000);            // half speed from 1 s on
    EXPECT_EQ(clock.TickToMs(960), 1000);
    EXPECT_EQ(clock.TickToMs(1440), 2000);  // the next quarter takes 1000 ms
    EXPECT_EQ(clock.MsToTick(2000), 1440);
    EXPECT_EQ(clock.tempoScale, 50);
    // Between ticks the new segment starts on the tick before: nothing moves back.
    clock.Rescale(100, 2001);
    EXPECT_EQ(clock.TickToMs(1440), 2000);
    EXPECT_EQ(clock.TickToMs(1920), 2500);
    EXPECT_EQ(clock.MsToTick(0), 1440);  // before the segment: its first tick
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
    EXPECT_EQ(ClockAt(kMinEffectiveTempo).TickToMs(0x7FFFFFFF), 0x7FFFFFFF);
    EXPECT_EQ(ClockAt(kMinEffectiveTempo, 0x7FFFFFF0).TickToMs(1), 0x7FFFFFFF);
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
    EXPECT_EQ(TicksToMs(song, 0, 48, 100), 48 * 12500);
}

TEST_F(TempoTrack, AFermataAtTheSlowestTempoIsTimedAlsoAtOnePercent) {
    // One beat at 3.57 BPM between beats at 120.00 BPM. At 1 % the tempo
    // keeps its steps of 0.01 BPM: 3.57 becomes 0.03 BPM.
    SetTempos(song, {{0, 12000}, {480, 357}, {960, 12000}});
    EXPECT_EQ(TicksToMs(song, 0, 1440, 100), 500 + 16806 + 500);
    EXPECT_EQ(TicksToMs(song, 0, 1440, 1), 50000 + 2000000 + 50000);
    EXPECT_NEAR(TickRangeMs(song, 0, 1440), 500 + 480 * 12500.0 / 357 + 500, 1e-6);
}

TEST_F(TempoTrack, ASongOfSlowTemposLongerThanTheIntRangeIsCutAtItsEnd) {
    SetTempos(song, {{0, 1}});
    EXPECT_EQ(TicksToMs(song, 0, 1 << 24, 1), 0x7FFFFFFF);
}

}  // namespace
