// Oversampled peak estimate, look-ahead gain curve and its application.
#include "render/true_peak_limiter.h"

#include "render/pcm_sample.h"

#include <algorithm>
#include <array>
#include <cmath>
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

FramePeakStream::FramePeakStream() {
    // Kept samples start with kHalfTaps - 1 zeros before the song.
    for (std::vector<float>& channel : channels_) channel.assign(kHalfTaps - 1, 0.0f);
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
    // kHalfTaps zeros after the song.
    for (std::vector<float>& channel : channels_) channel.insert(channel.end(), kHalfTaps, 0.0f);
    Emit(peaks);
}

void FramePeakStream::Emit(std::vector<float>& peaks) {
    static const std::array<Phase, kOversampling - 1> kPhases = MakePhases();
    if (channels_[0].size() < kTaps) return;
    const std::size_t known = channels_[0].size() - kTaps + 1;
    const std::size_t first = peaks.size();
    peaks.resize(first + known, 0.0f);
    for (const std::vector<float>& channel : channels_) {
        for (std::size_t i = 0; i < known; ++i) {
            const float* window = &channel[i];
            float peak = std::abs(window[kHalfTaps - 1]);
            for (const Phase& phase : kPhases) {
                float value = 0.0f;
                for (int k = 0; k < kTaps; ++k) value += phase[k] * window[k];
                peak = std::max(peak, std::abs(value));
            }
            peaks[first + i] = std::max(peaks[first + i], peak);
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
    : gain_(gain),
      ceiling_(ceiling),
      attack_(static_cast<std::size_t>(std::max(timing.attackFrames, 1))),
      recovery_(1.0 - std::exp(-1.0 / std::max(timing.releaseFrames, 1))),
      sum_(static_cast<double>(attack_ + 1)) {}  // frames before the song allow everything

void LimiterStream::Add(std::span<const float> peaks, std::vector<float>& curve) {
    for (const float peak : peaks) {
        // What this frame may take at most.
        float allowed = 1.0f;
        const double level = peak * gain_;
        if (level > ceiling_) {
            allowed = static_cast<float>(ceiling_ / level);
            acted_ = true;
        }
        allowed_.push_back(allowed);
        while (!lowest_.empty() && lowest_.back().second >= allowed) lowest_.pop_back();
        lowest_.emplace_back(received_, allowed);
        ++received_;
        if (received_ > emitted_ + attack_) Emit(curve);
    }
}

void LimiterStream::Finish(std::vector<float>& curve) {
    while (emitted_ < received_) Emit(curve);
}

// Hands out the next frame's factor. Look ahead: the least any frame of the
// next attack span allows. A frame's factor is then the mean of these over
// the attack span before it, which never exceeds what the frame itself
// allows and falls to it along a straight line. Release: after a peak the
// factor returns towards 1 no faster than an exponential of the release
// time, and never above what the attack allows.
void LimiterStream::Emit(std::vector<float>& curve) {
    while (lowest_.front().first < emitted_) lowest_.pop_front();
    const float ahead = lowest_.front().second;
    const float leaving = aheads_.size() == attack_ + 1 ? aheads_.front() : 1.0f;
    if (aheads_.size() == attack_ + 1) aheads_.pop_front();
    aheads_.push_back(ahead);
    sum_ += ahead - leaving;
    float factor = static_cast<float>(std::min(1.0, sum_ / static_cast<double>(attack_ + 1)));
    const float released = static_cast<float>(previous_ + (1.0 - previous_) * recovery_);
    factor = std::min(factor, released);
    // The allowed value is the hard bound whatever the rounding of the sums.
    factor = std::min(factor, allowed_.front());
    allowed_.pop_front();
    previous_ = factor;
    curve.push_back(factor);
    ++emitted_;
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
