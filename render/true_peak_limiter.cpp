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

FramePeakStream::FramePeakStream() {
    // Kept samples start with kPeakHalfTaps - 1 zeros before the song.
    for (std::vector<float>& channel : channels_) channel.assign(kPeakHalfTaps - 1, 0.0f);
}

void FramePeakStream::Add(std::span<const std::uint8_t> frames, std::vector<float>& peaks) {
    const std::size_t count = frames.size() / kBytesPerFrame;
    for (int c = 0; c < kChannels; ++c) {
        std::vector<float>& channel = channels_[c];
        for (std::size_t i = 0; i < count; ++i) {
            channel.push_back(ReadPcmSample(&frames[i * kBytesPerFrame + c * 2]) / kFullScale);
        }
    }
    Emit(peaks);
}

void FramePeakStream::Finish(std::vector<float>& peaks) {
    // kPeakHalfTaps zeros after the song.
    for (std::vector<float>& channel : channels_) channel.insert(channel.end(), kPeakHalfTaps, 0.0f);
    Emit(peaks);
}

void FramePeakStream::Emit(std::vector<float>& peaks) {
    if (channels_[0].size() < kPeakTaps) return;
    const std::size_t known = channels_[0].size() - kPeakTaps + 1;
    const std::size_t first = peaks.size();
    peaks.resize(first + known, 0.0f);
    for (const std::vector<float>& channel : channels_) {
        for (std::size_t i = 0; i < known; ++i) {
            peaks[first + i] = std::max(peaks[first + i], OversampledPeak(&channel[i]));
        }
    }
    for (std::vector<float>& channel : channels_) channel.erase(channel.begin(), channel.begin() + known);
}

std::vector<float> FramePeaks(std::span<const std::uint8_t> frames) {
    std::vector<float> peaks;
    peaks.reserve(frames.size() / kBytesPerFrame);
    FramePeakStream stream;
    stream.Add(frames, peaks);
    stream.Finish(peaks);
    return peaks;
}

LimiterStream::LimiterStream(double gain, double ceiling, const LimiterTiming& timing)
    : gain_(gain), ceiling_(ceiling), curve_(timing) {}

void LimiterStream::Add(std::span<const float> peaks, std::vector<float>& curve) {
    for (const float peak : peaks) {
        // What this frame may take at most.
        float allowed = 1.0f;
        const double level = peak * gain_;
        if (level > ceiling_) {
            allowed = static_cast<float>(ceiling_ / level);
            acted_ = true;
        }
        ++received_;
        Push(allowed, curve);
    }
}

void LimiterStream::Finish(std::vector<float>& curve) {
    // Past the song's end everything is allowed.
    while (emitted_ < received_) Push(1.0f, curve);
}

void LimiterStream::Push(float allowed, std::vector<float>& curve) {
    float factor = 1.0f;
    if (curve_.Push(allowed, factor)) {
        curve.push_back(factor);
        ++emitted_;
    }
}

std::vector<float> LimiterCurve(const std::vector<float>& peaks, double gain, double ceiling, const LimiterTiming& timing) {
    std::vector<float> curve;
    curve.reserve(peaks.size());
    LimiterStream stream(gain, ceiling, timing);
    stream.Add(peaks, curve);
    stream.Finish(curve);
    if (!stream.Acted()) return {};
    return curve;
}

void ApplyGainCurve(std::span<std::uint8_t> frames, double gain, const std::vector<float>& curve) {
    const std::size_t count = frames.size() / kBytesPerFrame;
    for (std::size_t i = 0; i < count; ++i) {
        const double factor = gain * (i < curve.size() ? curve[i] : 1.0f);
        for (int c = 0; c < kChannels; ++c) ScalePcmSample(&frames[i * kBytesPerFrame + c * 2], factor);
    }
}
