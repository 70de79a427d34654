// Bringing a finished song to a set integrated loudness (EBU R128) without
// letting its true peak rise above a ceiling: when the loudness target
// would push the peak over the ceiling, the ceiling sets the gain instead
// and the song stays quieter than asked.
#pragma once

#include <cstdint>
#include <span>

#include "platform/loudness_meter.h"

// The loudness a song is brought to unless another is asked for (LUFS):
// what streaming services and phones play speech and music at.
constexpr double kDefaultLoudnessLufs = -16.0;
// The highest true peak a loudness-normalized song may have (dBTP).
constexpr double kTruePeakCeilingDbtp = -1.0;

struct LoudnessGain {
    double gain = 1.0;
    bool ceilingWon = false;   // the gain was lowered to keep the true peak at the ceiling
    double reachedLufs = 0.0;  // the song's loudness after the gain
};

// The gain that brings a song measured as `measured` to `targetLufs`, or to
// the true-peak ceiling if that is lower. A silent song keeps a gain of 1.
LoudnessGain LoudnessGainFor(const LoudnessMeasurement& measured, double targetLufs);

// Measures `frames` (little-endian 16-bit stereo) and scales them to
// `targetLufs` under the ceiling. What was done, or a gain of 1 when the
// measurement cannot be made.
LoudnessGain ApplyLoudness(std::span<std::uint8_t> frames, double targetLufs);
