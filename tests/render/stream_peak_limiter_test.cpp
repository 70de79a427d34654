// The limiter of samples as they are rendered: a song under the ceiling
// comes out exactly as it went in, a few milliseconds later; loud passages
// come out with no true peak over the ceiling, lowered before they start;
// and it lowers the same frames by the same factors as the limiter of a
// finished song.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/loudness_meter.h"
#include "render/stream_peak_limiter.h"
#include "render/true_peak_limiter.h"

namespace {

constexpr double kRate = 44100.0;

struct Stereo {
    std::vector<float> left;
    std::vector<float> right;
};

// A quiet 220 Hz tone with a burst of 1 kHz at `burst` (1.0 = full scale)
// from frame 20000 to frame 30000; the right channel a little softer.
Stereo ToneWithBurst(double burst, int frames = 60000) {
    Stereo song;
    for (int i = 0; i < frames; ++i) {
        const double t = i / kRate;
        double value = 0.1 * std::sin(2 * std::numbers::pi * 220 * t);
        if (i >= 20000 && i < 30000) value += burst * std::sin(2 * std::numbers::pi * 1000 * t);
        song.left.push_back(static_cast<float>(value));
        song.right.push_back(static_cast<float>(value * 0.8));
    }
    return song;
}

// What comes out of a limiter at `ceiling` for `song`, and each frame's factor.
struct Limited {
    Stereo song;
    std::vector<float> factors;
};

Limited Limit(const Stereo& song, double ceiling) {
    StreamPeakLimiter limiter(ceiling);
    Limited out;
    std::array<float, 2> frame{};
    float factor = 1.0f;
    for (std::size_t i = 0; i < song.left.size(); ++i) {
        if (!limiter.Push(song.left[i], song.right[i], frame, factor)) {
            EXPECT_LT(i, limiter.Delay()) << "nothing came out after the look-ahead was filled";
            continue;
        }
        out.song.left.push_back(frame[0]);
        out.song.right.push_back(frame[1]);
        out.factors.push_back(factor);
    }
    return out;
}

std::vector<std::uint8_t> Pcm16(const Stereo& song) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < song.left.size(); ++i) {
        for (const float value : {song.left[i], song.right[i]}) {
            const auto sample = static_cast<std::int16_t>(std::lround(std::clamp(value * 32768.0, -32768.0, 32767.0)));
            bytes.push_back(static_cast<std::uint8_t>(sample & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
        }
    }
    return bytes;
}

TEST(StreamPeakLimiter, UnderTheCeilingEveryFrameComesOutUnchangedAfterTheLookAhead) {
    const Stereo song = ToneWithBurst(0.5);  // peaks at 0.6, under 0.891 (-1 dBTP)
    const Limited out = Limit(song, 0.891);
    StreamPeakLimiter limiter(0.891);
    const std::size_t delay = limiter.Delay();
    EXPECT_EQ(delay, 229u);  // 5 ms of attack and the interpolation's 8 frames
    ASSERT_EQ(out.song.left.size(), song.left.size() - delay);
    // Bit for bit: no factor, no rounding.
    EXPECT_EQ(std::memcmp(out.song.left.data(), song.left.data(), out.song.left.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(out.song.right.data(), song.right.data(), out.song.right.size() * sizeof(float)), 0);
    EXPECT_TRUE(std::all_of(out.factors.begin(), out.factors.end(), [](float f) { return f == 1.0f; }));
}

TEST(StreamPeakLimiter, ALoudPassageComesOutUnderTheCeilingLoweredBeforeItStarts) {
    const double ceiling = std::pow(10.0, -1.0 / 20);
    const Stereo song = ToneWithBurst(1.5);  // 4 dB over full scale
    const Limited out = Limit(song, ceiling);
    const auto measured = MeasureLoudness(Pcm16(out.song));
    ASSERT_TRUE(measured);
    EXPECT_LE(20 * std::log10(measured->truePeak), -1.0 + 0.05);
    // The burst keeps its loudness: limited only as far as it must be.
    const float deepest = *std::min_element(out.factors.begin(), out.factors.end());
    EXPECT_NEAR(deepest, ceiling / 1.6, 0.03);
    // Untouched until the attack before the burst, already lowered where it starts.
    EXPECT_EQ(out.factors[20000 - 230], 1.0f);
    EXPECT_LT(out.factors[20000], 0.95f * 1.0f);
    EXPECT_LE(out.factors[20000], out.factors[19900]);
    // Back near 1 five release times (500 ms) after it.
    EXPECT_GT(out.factors[30000 + 22050], 0.99f);
    EXPECT_GT(out.factors.back(), 0.999f);
}

TEST(StreamPeakLimiter, LowersTheSameFramesAsTheLimiterOfAFinishedSong) {
    // Samples that 16 bits hold exactly, so that both see the same peaks.
    Stereo song = ToneWithBurst(0.9);
    for (std::vector<float>* side : {&song.left, &song.right}) {
        for (float& value : *side) value = std::round(value * 32768.0f) / 32768.0f;
    }
    const double ceiling = 0.7;
    const Limited out = Limit(song, ceiling);
    const std::vector<float> curve = LimiterCurve(FramePeaks(Pcm16(song)), 1.0, ceiling);
    ASSERT_FALSE(curve.empty());
    ASSERT_EQ(out.factors.size(), song.left.size() - StreamPeakLimiter(ceiling).Delay());
    for (std::size_t i = 0; i < out.factors.size(); ++i) ASSERT_EQ(out.factors[i], curve[i]) << i;
    EXPECT_EQ(out.song.left[25000], song.left[25000] * curve[25000]);
}

}  // namespace
