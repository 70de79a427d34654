// A look-ahead true-peak limiter for a finished song, read from its start
// once for each gain it is tried with: the song's inter-sample peaks are estimated by 4x oversampling, and a gain
// curve lowers the level only around the peaks that would pass the ceiling,
// reaching its depth a few milliseconds before each peak (the attack) and
// returning smoothly after it (the release).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "render/limiter_curve_stream.h"

// The largest true (inter-sample) magnitude of each stereo frame of
// `frames` (little-endian 16-bit stereo), 1.0 = full scale: the frame's own
// samples and the three points a quarter frame apart that follow it.
std::vector<float> FramePeaks(std::span<const std::uint8_t> frames);

// FramePeaks of a song handed in piece by piece: each frame's peak is known
// once the eight frames after it are in, the last ones at the song's end.
class FramePeakStream {
public:
    FramePeakStream();
    // Hands in the next frames; appends to `peaks` every peak now known.
    void Add(std::span<const std::uint8_t> frames, std::vector<float>& peaks);
    // The song has ended: appends the peaks of its last frames.
    void Finish(std::vector<float>& peaks);

private:
    void Emit(std::vector<float>& peaks);

    // Each channel's samples from the first frame whose peak is not yet known.
    std::array<std::vector<float>, 2> channels_;
};

// LimiterCurve of peaks handed in piece by piece: each frame's factor is
// known once the attack span after it is in, the last ones at the end.
class LimiterStream {
public:
    LimiterStream(double gain, double ceiling, const LimiterTiming& timing = {});
    // Hands in the next frames' peaks; appends to `curve` every factor now known.
    void Add(std::span<const float> peaks, std::vector<float>& curve);
    // The song has ended: appends the factors of its last frames.
    void Finish(std::vector<float>& curve);
    // Whether some frame passed the ceiling (else every factor is 1).
    bool Acted() const { return acted_; }

private:
    void Push(float allowed, std::vector<float>& curve);

    double gain_;
    double ceiling_;
    LimiterCurveStream curve_;
    bool acted_ = false;
    std::size_t received_ = 0;  // peaks handed in
    std::size_t emitted_ = 0;   // factors handed out
};

// The gain curve (one factor of at most 1 per frame) that keeps every
// frame's true peak, scaled by `gain` and then by the curve, at or under
// `ceiling` (1.0 = full scale). Empty when no frame passes the ceiling.
std::vector<float> LimiterCurve(const std::vector<float>& peaks, double gain, double ceiling,
                                const LimiterTiming& timing = {});

// Scales every sample by `gain` and by its frame's factor of `curve`
// (frames past the curve's end by `gain` alone), rounded to the nearest
// value and kept inside the 16-bit range.
void ApplyGainCurve(std::span<std::uint8_t> frames, double gain, const std::vector<float>& curve);
