// Oversampled peak estimate, look-ahead gain curve and its application.
#include "render/true_peak_limiter.h"

#include <algorithm>
#include <cmath>

#include "render/oversampled_peak.h"
#include "render/pcm_sample.h"

namespace {

constexpr std::size_t kBytesPerFrame = 4;
constexpr int kChannels = 2;
constexpr float kFullScale = 32768.0f;

}  // namespace

std::vector<float> FramePeaks(std::span<const std::uint8_t> frames) {
    const std::size_t count = frames.size() / kBytesPerFrame;
    std::vector<float> peaks(count, 0.0f);
    std::vector<float> channel(count + kPeakTaps, 0.0f);
    for (int c = 0; c < kChannels; ++c) {
        // The channel's samples with kPeakHalfTaps - 1 zeros before and kPeakHalfTaps after.
        for (std::size_t i = 0; i < count; ++i) {
            channel[i + kPeakHalfTaps - 1] = ReadPcmSample(&frames[i * kBytesPerFrame + c * 2]) / kFullScale;
        }
        for (std::size_t i = 0; i < count; ++i) peaks[i] = std::max(peaks[i], OversampledPeak(&channel[i]));
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

    LimiterCurveStream stream(timing);
    std::vector<float> curve;
    curve.reserve(count);
    float factor = 1.0f;
    for (const float value : allowed) {
        if (stream.Push(value, factor)) curve.push_back(factor);
    }
    // Past the song's end everything is allowed.
    while (curve.size() < count) {
        if (stream.Push(1.0f, factor)) curve.push_back(factor);
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
