// The true-peak limiter and the loudness it serves: peaks between samples
// are seen, the curve never lets a peak through and moves smoothly, a song
// with peaks far above its loudness still reaches the target, and a song
// that needs no limiting is only scaled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/loudness_meter.h"
#include "render/loudness.h"
#include "render/normalize.h"
#include "render/true_peak_limiter.h"

namespace {

constexpr double kRate = 44100.0;

void Put(std::vector<std::uint8_t>& frames, double left, double right) {
    for (double value : {left, right}) {
        const auto sample = static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 32767.0 / 32768) * 32768));
        frames.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        frames.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
    }
}

// A sine of `hertz` at `amplitude` (1.0 = full scale) starting at `phase`.
std::vector<std::uint8_t> Sine(double seconds, double hertz, double amplitude, double phase = 0) {
    std::vector<std::uint8_t> frames;
    for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * hertz * i / kRate + phase);
        Put(frames, value, value);
    }
    return frames;
}

// A quiet bed of 220 Hz with a loud 3 ms click of 2 kHz every half second:
// peaks 26 dB above the bed, like a practice track's count-in clicks.
std::vector<std::uint8_t> BedWithClicks(double seconds) {
    std::vector<std::uint8_t> frames;
    const int clickFrames = static_cast<int>(0.003 * kRate);
    for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
        const double t = i / kRate;
        double value = 0.04 * std::sin(2 * std::numbers::pi * 220 * t);
        if (i % 22050 < clickFrames) value += 0.8 * std::sin(2 * std::numbers::pi * 2000 * t);
        Put(frames, value, value * 0.9);
    }
    return frames;
}

double Decibels(double factor) { return 20 * std::log10(factor); }

TEST(TruePeakLimiter, SeesThePeaksBetweenSamples) {
    // A quarter of the sample rate at 45 degrees: every sample lies at
    // 0.707 of the wave's true peak of 0.5.
    const std::vector<float> peaks = FramePeaks(Sine(0.5, kRate / 4, 0.5, std::numbers::pi / 4));
    const float middle = *std::max_element(peaks.begin() + 1000, peaks.end() - 1000);
    EXPECT_NEAR(middle, 0.5, 0.01);
    EXPECT_GT(middle, 0.5 * 0.707 + 0.1);
    // A plain low sine: its samples are its peaks.
    const std::vector<float> low = FramePeaks(Sine(0.5, 100, 0.25));
    EXPECT_NEAR(*std::max_element(low.begin(), low.end()), 0.25, 0.001);
}

TEST(TruePeakLimiter, TheCurveHoldsEveryPeakUnderTheCeilingAndMovesSmoothly) {
    std::vector<float> peaks(20000, 0.1f);
    peaks[10000] = 0.9f;  // one peak, 2 at the gain below
    const double gain = 2.0;
    const double ceiling = 0.8;
    const LimiterTiming timing{100, 2000};
    const std::vector<float> curve = LimiterCurve(peaks, gain, ceiling, timing);
    ASSERT_EQ(curve.size(), peaks.size());
    for (std::size_t i = 0; i < curve.size(); ++i) {
        ASSERT_LE(peaks[i] * gain * curve[i], ceiling * (1 + 1e-6)) << i;
        ASSERT_LE(curve[i], 1.0f);
    }
    EXPECT_NEAR(curve[10000], ceiling / (0.9 * gain), 1e-4);
    // Untouched well before the attack; back close to 1 five release times after.
    EXPECT_EQ(curve[9899], 1.0f);
    EXPECT_LT(curve[9950], 1.0f);
    EXPECT_GT(curve[19999], 0.99f);
    // No step larger than the attack's slope or the release's.
    for (std::size_t i = 1; i < curve.size(); ++i) {
        ASSERT_LT(std::abs(curve[i] - curve[i - 1]), 0.01f) << i;
    }
    // Nothing over the ceiling: no curve; just over it: limited just enough.
    EXPECT_TRUE(LimiterCurve(peaks, 0.5, ceiling, timing).empty());
    const std::vector<float> barely = LimiterCurve(peaks, 0.82 / 0.9, ceiling, timing);
    ASSERT_EQ(barely.size(), peaks.size());
    EXPECT_NEAR(barely[10000], 0.8 / 0.82, 1e-4);
}

TEST(TruePeakLimiter, ASongsLastFramesAreLimitedAsIfSilenceFollowed) {
    // The frames after the song allow everything: a quiet end is back at 1
    // after a quick release, and a peak at the very end is released.
    std::vector<float> peaks(500, 0.1f);
    peaks[300] = 0.9f;
    const LimiterTiming timing{100, 10};
    const std::vector<float> curve = LimiterCurve(peaks, 2.0, 0.8, timing);
    std::vector<float> followed = peaks;
    followed.resize(peaks.size() + 300, 0.0f);
    std::vector<float> longer = LimiterCurve(followed, 2.0, 0.8, timing);
    longer.resize(peaks.size());
    EXPECT_EQ(curve, longer);
    EXPECT_NEAR(curve.back(), 1.0f, 1e-5);
    peaks[499] = 0.9f;
    const std::vector<float> ending = LimiterCurve(peaks, 2.0, 0.8, timing);
    followed[499] = 0.9f;
    longer = LimiterCurve(followed, 2.0, 0.8, timing);
    longer.resize(peaks.size());
    EXPECT_EQ(ending, longer);
}

TEST(TruePeakLimiter, TheCurveScalesEachFrameOnTopOfTheGain) {
    std::vector<std::uint8_t> frames;
    for (int i = 0; i < 4; ++i) Put(frames, 0.25, -0.25);
    ApplyGainCurve(frames, 2.0, {1.0f, 0.5f});
    std::vector<std::uint8_t> expected;
    Put(expected, 0.5, -0.5);
    Put(expected, 0.25, -0.25);
    Put(expected, 0.5, -0.5);  // past the curve: the gain alone
    Put(expected, 0.5, -0.5);
    EXPECT_EQ(frames, expected);
    // Each sample goes to the nearest value, within the 16-bit range.
    std::vector<std::uint8_t> odd = {3, 0, 0xFD, 0xFF, 0x30, 0x75, 0xD0, 0x8A};  // 3, -3, 30000, -30000
    ApplyGainCurve(odd, 1.5, {1.0f, 1.0f});
    EXPECT_EQ(odd, (std::vector<std::uint8_t>{5, 0, 0xFB, 0xFF, 0xFF, 0x7F, 0x00, 0x80}));  // 4.5 is 5; held at the ends
}

TEST(Loudness, PeaksFarAboveTheLoudnessAreLimitedAndTheTargetIsMet) {
    for (const double target : {-16.0, -12.0}) {
        std::vector<std::uint8_t> song = BedWithClicks(12.0);
        const LoudnessGain result = ApplyLoudness(song, target);
        EXPECT_FALSE(result.ceilingWon);
        EXPECT_FALSE(result.curve.empty());
        const auto measured = MeasureLoudness(song);
        ASSERT_TRUE(measured && measured->integratedLufs);
        EXPECT_NEAR(*measured->integratedLufs, target, 0.1) << target;
        EXPECT_LE(Decibels(measured->truePeak), -1.0) << target;
        EXPECT_NEAR(result.reachedLufs, *measured->integratedLufs, 0.05);
    }
}

TEST(Loudness, ALowerCeilingIsKept) {
    std::vector<std::uint8_t> song = BedWithClicks(6.0);
    ApplyLoudness(song, -14.0, -2.5);
    const auto measured = MeasureLoudness(song);
    ASSERT_TRUE(measured && measured->integratedLufs);
    EXPECT_NEAR(*measured->integratedLufs, -14.0, 0.1);
    EXPECT_LE(Decibels(measured->truePeak), -2.5);
}

TEST(Loudness, ASongThatMeetsTheTargetUnderTheCeilingIsOnlyScaled) {
    const std::vector<std::uint8_t> original = Sine(4.0, 440, 0.05);
    std::vector<std::uint8_t> song = original;
    const LoudnessGain result = ApplyLoudness(song, -16.0);
    EXPECT_TRUE(result.curve.empty());
    std::vector<std::uint8_t> scaled = original;
    ScaleSamples(scaled, result.gain);
    EXPECT_EQ(song, scaled);
}

}  // namespace
