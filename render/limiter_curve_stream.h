// The gain curve of a look-ahead limiter, built frame by frame: from what
// each frame allows (the factor that keeps its peak under the ceiling) comes
// a factor that reaches that depth along a straight line over the attack
// span before the frame and returns towards 1 after it, no faster than an
// exponential of the release time. The factor of a frame is known once the
// attack span after it has been seen.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

struct LimiterTiming {
    int attackFrames = 221;    // 5 ms at 44100 Hz
    int releaseFrames = 4410;  // 100 ms: the time constant of the return
};

class LimiterCurveStream {
public:
    explicit LimiterCurveStream(const LimiterTiming& timing = {});

    // Frames between a frame's allowed factor going in and its factor coming out.
    std::size_t Delay() const { return attack_; }
    // Takes what the next frame allows (at most 1). Once Delay() frames
    // have followed a frame, its factor (at most what it allows) goes to
    // `factor` and the result is true.
    bool Push(float allowed, float& factor);

private:
    std::size_t attack_;
    double recovery_;           // share of the way back to 1 gone each frame
    std::vector<float> allowed_;  // ring of the last attack + 1 allowed factors
    std::vector<float> ahead_;    // ring of the last attack + 1 look-ahead minima
    std::deque<std::size_t> lowest_;  // frames of increasing allowed factors in the look-ahead span
    std::size_t pushed_ = 0;
    double sum_;  // the look-ahead minima of the attack span ending at the frame
    float previous_ = 1.0f;
};
