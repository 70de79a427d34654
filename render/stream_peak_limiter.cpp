// Peak estimate, curve and delay line of the streaming limiter.
#include "render/stream_peak_limiter.h"

#include <algorithm>

StreamPeakLimiter::StreamPeakLimiter(double ceiling, const LimiterTiming& timing)
    : ceiling_(ceiling), curve_(timing), held_(Delay() + 1, std::array<float, 2>{}) {}

bool StreamPeakLimiter::Push(float left, float right, std::array<float, 2>& out, float& factor) {
    const std::size_t j = pushed_++;
    held_[j % held_.size()] = {left, right};
    const std::size_t at = j % kPeakTaps;
    float peak = 0.0f;
    for (std::size_t c = 0; c < 2; ++c) {
        std::array<float, 2 * kPeakTaps>& recent = recent_[c];
        recent[at] = recent[at + kPeakTaps] = c == 0 ? left : right;
        // The window ends with this sample; it is centred on the frame kPeakHalfTaps back.
        peak = std::max(peak, OversampledPeak(&recent[at + 1]));
    }
    if (j < kPeakHalfTaps) return false;
    float allowed = 1.0f;
    if (peak > ceiling_) allowed = static_cast<float>(ceiling_ / peak);
    if (!curve_.Push(allowed, factor)) return false;
    const std::array<float, 2>& frame = held_[(j - Delay()) % held_.size()];
    out = {frame[0] * factor, frame[1] * factor};
    return true;
}
