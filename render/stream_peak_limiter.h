// A look-ahead true-peak limiter for samples as they are rendered: each
// frame is held for a few milliseconds, long enough to see the peaks that
// follow it, and comes out lowered just enough, and just around those peaks,
// that no true peak passes the ceiling. Below the ceiling a frame comes out
// exactly as it went in. The memory it holds does not grow with the song.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "render/limiter_curve_stream.h"
#include "render/oversampled_peak.h"

class StreamPeakLimiter {
public:
    // `ceiling`: the highest true peak let through, 1.0 = full scale.
    explicit StreamPeakLimiter(double ceiling, const LimiterTiming& timing = {});

    // How many frames go in before the first comes out.
    std::size_t Delay() const { return kPeakHalfTaps + curve_.Delay(); }
    // Takes the next stereo frame (1.0 = full scale). Once Delay() frames
    // have followed a frame, that frame, scaled by its factor, goes to
    // `out` (left, right), the factor to `factor`, and the result is true.
    bool Push(float left, float right, std::array<float, 2>& out, float& factor);

private:
    double ceiling_;
    LimiterCurveStream curve_;
    // Each channel's last kPeakTaps samples, written twice so that they
    // always lie in order somewhere in the buffer.
    std::array<std::array<float, 2 * kPeakTaps>, 2> recent_{};
    std::vector<std::array<float, 2>> held_;  // ring of the frames not yet out
    std::size_t pushed_ = 0;
};
