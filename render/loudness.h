// Bringing a finished song to a set integrated loudness (EBU R128) with its
// true peak under a ceiling: the song is scaled to the target, and where
// that would push peaks over the ceiling a look-ahead true-peak limiter
// lowers just those peaks, the gain rising until the limited song meets the
// target. A song that meets the target under the ceiling is only scaled.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/loudness_meter.h"
#include "render/levelling.h"

// The loudness a song is brought to unless another is asked for (LUFS):
// what streaming services and phones play speech and music at.
constexpr double kDefaultLoudnessLufs = -16.0;
// The highest true peak a loudness-normalized song may have (dBTP).
constexpr double kTruePeakCeilingDbtp = -1.0;

struct LoudnessGain {
    double gain = 1.0;
    bool ceilingWon = false;   // the song stays short of the target: the true peak would pass the ceiling
    double reachedLufs = 0.0;  // the song's loudness after the gain
    // How the song is levelled to get there; `gain` is its gain times its trim.
    Levelling levelling;
    // The limiter's factor for each frame, on top of the gain; empty when
    // the limiter did not act (filled by ApplyLoudness only).
    std::vector<float> curve;
};

// The plain gain that brings a song measured as `measured` to `targetLufs`,
// or to the true-peak ceiling `ceilingDbtp` if that is lower. A silent song
// keeps a gain of 1.
LoudnessGain LoudnessGainFor(const LoudnessMeasurement& measured, double targetLufs,
                             double ceilingDbtp = kTruePeakCeilingDbtp);

// The limiter curve that keeps `frames` scaled by `gain` at or under
// `ceilingDbtp` (see true_peak_limiter.h); empty when no peak passes it.
std::vector<float> PeakLimiterCurve(std::span<const std::uint8_t> frames, double gain,
                                    double ceilingDbtp = kTruePeakCeilingDbtp);

// The ceiling the limiter aims at to keep a song's true peak at most
// `ceilingDbtp` (a factor of full scale).
double LimiterCeilingFor(double ceilingDbtp);

// Finds how `song` is brought to `targetLufs` with its true peak at most
// `ceilingDbtp`, reading it once to measure it and, when the limiter has to
// act, once more for each gain tried. A gain of 1 when the measurement
// cannot be made.
LoudnessGain FindLoudnessGain(const SongPieces& song, double targetLufs, double ceilingDbtp = kTruePeakCeilingDbtp);

// Measures `frames` (little-endian 16-bit stereo) and brings them to
// `targetLufs` with their true peak at most `ceilingDbtp`, limiting the
// peaks where the gain alone would pass it. What was done, or a gain of 1
// when the measurement cannot be made.
LoudnessGain ApplyLoudness(std::span<std::uint8_t> frames, double targetLufs,
                           double ceilingDbtp = kTruePeakCeilingDbtp);
