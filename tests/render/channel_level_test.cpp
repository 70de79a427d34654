// Levels in decibels as factors on a channel's volume, expression and
// velocities: each value maps to about 40 * log10(value / 127) dB.
#include "render/channel_level.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Db(double factor) { return 40.0 * std::log10(factor); }
double TotalDb(const LevelScaling& s) { return Db(s.volume) + Db(s.expression) + Db(s.velocity); }

TEST(ChannelLevel, ACutIsSharedByVolumeAndExpressionAndLeavesVelocitiesAlone) {
    for (const double db : {-0.5, -6.0, -20.0, -60.0}) {
        const LevelScaling s = PlanLevel(db, ChannelPeaks{});
        EXPECT_NEAR(TotalDb(s), db, 1e-9) << db;
        EXPECT_DOUBLE_EQ(s.volume, s.expression) << db;
        EXPECT_EQ(s.velocity, 1.0) << db;
        EXPECT_DOUBLE_EQ(s.reachedDb, db);
        EXPECT_FALSE(s.capped);
    }
    // -6 dB: 10^(-6/80) on each controller.
    EXPECT_NEAR(PlanLevel(-6.0, ChannelPeaks{}).volume, 0.8414, 1e-4);
}

TEST(ChannelLevel, ABoostRaisesVolumeThenExpressionThenVelocityUpTo127) {
    // Volume at most 100 gives 40 * log10(127 / 100) = 4.15 dB of room,
    // expression at 127 none, velocities at most 90 another 5.98 dB.
    const LevelScaling small = PlanLevel(3.0, ChannelPeaks{100, 127, 90});
    EXPECT_NEAR(Db(small.volume), 3.0, 1e-9);
    EXPECT_EQ(small.expression, 1.0);
    EXPECT_EQ(small.velocity, 1.0);

    const LevelScaling large = PlanLevel(8.0, ChannelPeaks{100, 127, 90});
    EXPECT_NEAR(large.volume, 1.27, 1e-9);
    EXPECT_EQ(large.expression, 1.0);
    EXPECT_NEAR(TotalDb(large), 8.0, 1e-9);
    EXPECT_FALSE(large.capped);

    const LevelScaling expression = PlanLevel(8.0, ChannelPeaks{127, 80, 127});
    EXPECT_EQ(expression.volume, 1.0);
    EXPECT_NEAR(Db(expression.expression), 8.0, 1e-9);
}

TEST(ChannelLevel, ABoostPastWhatTheValuesCanRiseIsCapped) {
    const LevelScaling s = PlanLevel(12.0, ChannelPeaks{100, 127, 100});
    EXPECT_TRUE(s.capped);
    EXPECT_NEAR(s.reachedDb, 2 * Db(127.0 / 100), 1e-9);
    EXPECT_NEAR(TotalDb(s), s.reachedDb, 1e-9);
    EXPECT_NEAR(s.volume * 100, 127.0, 1e-9);
    EXPECT_NEAR(s.velocity * 100, 127.0, 1e-9);

    const LevelScaling full = PlanLevel(6.0, ChannelPeaks{127, 127, 127});
    EXPECT_TRUE(full.capped);
    EXPECT_EQ(full.reachedDb, 0.0);
}

TEST(ChannelLevel, ScaledValuesAreRoundedKeptAbove0AndAtMost127) {
    EXPECT_EQ(ScaledValue(100, 0.8414), 84);
    EXPECT_EQ(ScaledValue(127, 0.8414), 107);
    EXPECT_EQ(ScaledValue(3, 0.01), 1);     // a sounding value never becomes silence
    EXPECT_EQ(ScaledValue(0, 2.0), 0);      // silence stays silence
    EXPECT_EQ(ScaledValue(120, 1.27), 127);
}

TEST(ChannelLevel, OnlyVelocitiesVolumeAndExpressionAreScaled) {
    const LevelScaling s{0.5, 0.25, 2.0, 0.0, false};
    TrackEvent note = MakeEvent(60);
    note.SetU8(6, 50);
    ScaleForLevel(note, s);
    EXPECT_EQ(note.Velocity(), 100);
    for (const auto& [controller, before, after] : {std::tuple{7, 100, 50}, std::tuple{11, 100, 25}, std::tuple{10, 100, 100}}) {
        TrackEvent control = MakeEvent(EventKind::kControl);
        control.SetU8(4, static_cast<std::uint8_t>(controller));
        control.SetU8(5, static_cast<std::uint8_t>(before));
        ScaleForLevel(control, s);
        EXPECT_EQ(control.U8(5), after) << "controller " << controller;
    }
    TrackEvent program = MakeEvent(EventKind::kProgram);
    program.SetU8(4, 7);
    ScaleForLevel(program, s);
    EXPECT_EQ(program.U8(4), 7);
}

}  // namespace
