// Sliding minimum, moving mean and exponential release of the limiter curve.
#include "render/limiter_curve_stream.h"

#include <algorithm>
#include <cmath>

LimiterCurveStream::LimiterCurveStream(const LimiterTiming& timing)
    : attack_(static_cast<std::size_t>(std::max(timing.attackFrames, 1))),
      recovery_(1.0 - std::exp(-1.0 / std::max(timing.releaseFrames, 1))),
      allowed_(attack_ + 1, 1.0f),
      ahead_(attack_ + 1, 1.0f),
      // frames before the stream allow everything
      sum_(static_cast<double>(attack_ + 1)) {}

bool LimiterCurveStream::Push(float allowed, float& factor) {
    const std::size_t span = attack_ + 1;
    const std::size_t j = pushed_++;
    // Frame i looks ahead over frames i to j: the least of them is the
    // depth it must reach; its factor is the mean of these minima over the
    // attack span before it, which never exceeds what it allows itself.
    const std::size_t i = j >= attack_ ? j - attack_ : 0;
    while (!lowest_.empty() && lowest_.front() < i) lowest_.pop_front();
    allowed_[j % span] = allowed;
    while (!lowest_.empty() && allowed_[lowest_.back() % span] >= allowed) lowest_.pop_back();
    lowest_.push_back(j);
    if (j < attack_) return false;

    const float ahead = allowed_[lowest_.front() % span];
    sum_ += ahead - (i >= span ? ahead_[i % span] : 1.0f);
    ahead_[i % span] = ahead;
    float value = static_cast<float>(std::min(1.0, sum_ / static_cast<double>(span)));
    // Release: the way back to 1 after a peak is no faster than the exponential.
    const auto released = static_cast<float>(previous_ + (1.0 - previous_) * recovery_);
    value = std::min(value, released);
    // What the frame allows is the hard bound whatever the rounding of the sums.
    value = std::min(value, allowed_[i % span]);
    previous_ = value;
    factor = value;
    return true;
}
