// Loudness gain with a true-peak ceiling and a limiter.
#include "render/loudness.h"

#include <algorithm>
#include <cmath>

#include "render/normalize.h"
#include "render/true_peak_limiter.h"

namespace {

constexpr double kDecibelsPerFactorOfTen = 20.0;
// The limiter aims this far under the ceiling, for the difference between
// its peak estimate and a meter's, and for the rounding to 16 bits.
constexpr double kLimiterMarginDb = 0.15;
// The limited song is measured again and the gain corrected until it is
// this close to the target, at most kMaxRounds times.
constexpr double kLoudnessToleranceLu = 0.05;
constexpr int kMaxRounds = 8;
// A limited song may end at most this far from the target before the user is told.
constexpr double kAcceptedMissLu = 0.5;

double DecibelsToFactor(double decibels) { return std::pow(10.0, decibels / kDecibelsPerFactorOfTen); }
double FactorToDecibels(double factor) { return kDecibelsPerFactorOfTen * std::log10(factor); }

}  // namespace

LoudnessGain LoudnessGainFor(const LoudnessMeasurement& measured, double targetLufs, double ceilingDbtp) {
    LoudnessGain result;
    if (!measured.integratedLufs || measured.truePeak <= 0.0) return result;
    result.gain = DecibelsToFactor(targetLufs - *measured.integratedLufs);
    // The true peak grows with the gain; the ceiling caps it.
    const double ceilingGain = DecibelsToFactor(ceilingDbtp) / measured.truePeak;
    if (ceilingGain < result.gain) {
        result.gain = ceilingGain;
        result.ceilingWon = true;
    }
    result.reachedLufs = *measured.integratedLufs + FactorToDecibels(result.gain);
    return result;
}

std::vector<float> PeakLimiterCurve(std::span<const std::uint8_t> frames, double gain, double ceilingDbtp) {
    return LimiterCurve(FramePeaks(frames), gain, DecibelsToFactor(ceilingDbtp - kLimiterMarginDb));
}

LoudnessGain ApplyLoudness(std::span<std::uint8_t> frames, double targetLufs, double ceilingDbtp) {
    const std::optional<LoudnessMeasurement> measured = MeasureLoudness(frames);
    if (!measured) return {};
    const LoudnessGain plain = LoudnessGainFor(*measured, targetLufs, ceilingDbtp);
    if (!plain.ceilingWon) {
        if (plain.gain != 1.0) ScaleSamples(frames, plain.gain);
        return plain;
    }

    const std::vector<float> peaks = FramePeaks(frames);
    const double ceiling = DecibelsToFactor(ceilingDbtp - kLimiterMarginDb);
    double gainDb = targetLufs - *measured->integratedLufs;
    LoudnessGain limited;
    std::vector<std::uint8_t> result;
    std::optional<LoudnessMeasurement> reached;
    for (int round = 0; round < kMaxRounds; ++round) {
        const double gain = DecibelsToFactor(gainDb);
        std::vector<float> curve = LimiterCurve(peaks, gain, ceiling);
        std::vector<std::uint8_t> attempt(frames.begin(), frames.end());
        ApplyGainCurve(attempt, gain, curve);
        std::optional<LoudnessMeasurement> now = MeasureLoudness(attempt);
        if (!now || !now->integratedLufs) break;
        result = std::move(attempt);
        reached = now;
        limited.gain = gain;
        limited.curve = std::move(curve);
        const double miss = targetLufs - *now->integratedLufs;
        if (std::abs(miss) < kLoudnessToleranceLu) break;
        gainDb += miss;
    }
    if (!reached) {
        ScaleSamples(frames, plain.gain);
        return plain;
    }
    // Whatever the limiter's estimate missed is taken off the whole song.
    double trim = 1.0;
    if (reached->truePeak > DecibelsToFactor(ceilingDbtp)) {
        trim = DecibelsToFactor(ceilingDbtp - kLimiterMarginDb) / reached->truePeak;
        ScaleSamples(result, trim);
        limited.gain *= trim;
    }
    std::copy(result.begin(), result.end(), frames.begin());
    limited.reachedLufs = *reached->integratedLufs + FactorToDecibels(trim);
    limited.ceilingWon = targetLufs - limited.reachedLufs > kAcceptedMissLu;
    return limited;
}
