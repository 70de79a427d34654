// Oversampled peak estimate, look-ahead gain curve and its application.
#include "render/true_peak_limiter.h"

#include "render/pcm_sample.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <numbers>

namespace {

constexpr std::size_t kBytesPerFrame = 4;
constexpr int kChannels = 2;
constexpr float kFullScale = 32768.0f;
constexpr int kOversampling = 4;
// Taps on each side of an interpolated point.
constexpr int kHalfTaps = 8;
constexpr int kTaps = 2 * kHalfTaps;

using Phase = std::array<float, kTaps>;

// Windowed-sinc interpolation filters for the points 1/4, 2/4 and 3/4 of a
// frame after a sample; tap k weighs the sample k - kHalfTaps + 1 frames away.
std::array<Phase, kOversampling - 1> MakePhases() {
    std::array<Phase, kOversampling - 1> phases{};
    for (int p = 1; p < kOversampling; ++p) {
        const double offset = static_cast<double>(p) / kOversampling;
        double sum = 0;
        for (int k = 0; k < kTaps; ++k) {
            const double x = (k - kHalfTaps + 1) - offset;
            const double sinc = std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            // Blackman window over the filter's span.
            const double w = (x + kHalfTaps) / (2.0 * kHalfTaps);
            const double window =
                0.42 - 0.5 * std::cos(2 * std::numbers::pi * w) + 0.08 * std::cos(4 * std::numbers::pi * w);
            phases[p - 1][k] = static_cast<float>(sinc * window);
            sum += sinc * window;
        }
        for (float& tap : phases[p - 1]) tap = static_cast<float>(tap / sum);
    }
    return phases;
}

}  // namespace

std::vector<float> FramePeaks(std::span<const std::uint8_t> frames) {
    static const std::array<Phase, kOversampling - 1> kPhases = MakePhases();
    const std::size_t count = frames.size() / kBytesPerFrame;
    std::vector<float> peaks(count, 0.0f);
    std::vector<float> channel(count + kTaps, 0.0f);
    for (int c = 0; c < kChannels; ++c) {
        // The channel's samples with kHalfTaps - 1 zeros before and kHalfTaps after.
        for (std::size_t i = 0; i < count; ++i) {
            channel[i + kHalfTaps - 1] = ReadPcmSample(&frames[i * kBytesPerFrame + c * 2]) / kFullScale;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const float* window = &channel[i];
            float peak = std::abs(window[kHalfTaps - 1]);
            for (const Phase& phase : kPhases) {
                float value = 0.0f;
                for (int k = 0; k < kTaps; ++k) value += phase[k] * window[k];
                peak = std::max(peak, std::abs(value));
            }
            peaks[i] = std::max(peaks[i], peak);
        }
    }
    return peaks;
}

std::vector<float> LimiterCurve(const std::vector<float>& peaks, double gain, double ceiling, const LimiterTiming& timing) {
    const std::size_t count = peaks.size();
    // What each frame may take at most.
    std::vector<float> allowed(count, 1.0f);
    bool passes = false;
    for (std::size_t i = 0; i < count; ++i) {
        const double level = peaks[i] * gain;
        if (level > ceiling) {
            allowed[i] = static_cast<float>(ceiling / level);
            passes = true;
        }
    }
    if (!passes) return {};

    // Look ahead: the least any frame of the next attack span allows. A
    // frame's factor is then the mean of these over the attack span before
    // it, which never exceeds what the frame itself allows and falls to it
    // along a straight line.
    const std::size_t attack = static_cast<std::size_t>(std::max(timing.attackFrames, 1));
    std::vector<float> ahead(count, 1.0f);
    std::deque<std::size_t> lowest;  // indices of increasing allowed values
    for (std::size_t j = count; j-- > 0;) {
        while (!lowest.empty() && allowed[lowest.back()] >= allowed[j]) lowest.pop_back();
        lowest.push_back(j);
        while (lowest.front() > j + attack) lowest.pop_front();
        ahead[j] = allowed[lowest.front()];
    }
    std::vector<float> curve(count, 1.0f);
    double sum = static_cast<double>(attack + 1);  // frames before the song allow everything
    for (std::size_t i = 0; i < count; ++i) {
        sum += ahead[i] - (i >= attack + 1 ? ahead[i - attack - 1] : 1.0f);
        curve[i] = static_cast<float>(std::min(1.0, sum / static_cast<double>(attack + 1)));
    }
    // Release: after a peak the factor returns towards 1 no faster than an
    // exponential of the release time, and never above what the attack allows.
    const double recovery = 1.0 - std::exp(-1.0 / std::max(timing.releaseFrames, 1));
    float previous = 1.0f;
    for (std::size_t i = 0; i < count; ++i) {
        const float released = static_cast<float>(previous + (1.0 - previous) * recovery);
        curve[i] = std::min(curve[i], released);
        // The allowed value is the hard bound whatever the rounding of the sums.
        curve[i] = std::min(curve[i], allowed[i]);
        previous = curve[i];
    }
    return curve;
}

void ApplyGainCurve(std::span<std::uint8_t> frames, double gain, const std::vector<float>& curve) {
    const std::size_t count = frames.size() / kBytesPerFrame;
    for (std::size_t i = 0; i < count; ++i) {
        const double factor = gain * (i < curve.size() ? curve[i] : 1.0f);
        for (int c = 0; c < kChannels; ++c) ScalePcmSample(&frames[i * kBytesPerFrame + c * 2], factor);
    }
}
