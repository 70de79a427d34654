// A look-ahead true-peak limiter for a finished song held in memory: the
// song's inter-sample peaks are estimated by 4x oversampling, and a gain
// curve lowers the level only around the peaks that would pass the ceiling,
// reaching its depth a few milliseconds before each peak (the attack) and
// returning smoothly after it (the release).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "render/limiter_curve_stream.h"

// The largest true (inter-sample) magnitude of each stereo frame of
// `frames` (little-endian 16-bit stereo), 1.0 = full scale: the frame's own
// samples and the three points a quarter frame apart that follow it.
std::vector<float> FramePeaks(std::span<const std::uint8_t> frames);

// The gain curve (one factor of at most 1 per frame) that keeps every
// frame's true peak, scaled by `gain` and then by the curve, at or under
// `ceiling` (1.0 = full scale). Empty when no frame passes the ceiling.
std::vector<float> LimiterCurve(const std::vector<float>& peaks, double gain, double ceiling,
                                const LimiterTiming& timing = {});

// Scales every sample by `gain` and by its frame's factor of `curve`
// (frames past the curve's end by `gain` alone), rounded to the nearest
// value and kept inside the 16-bit range.
void ApplyGainCurve(std::span<std::uint8_t> frames, double gain, const std::vector<float>& curve);
