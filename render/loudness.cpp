// Loudness gain with a true-peak ceiling.
#include "render/loudness.h"

#include <cmath>

#include "render/normalize.h"

namespace {

constexpr double kDecibelsPerFactorOfTen = 20.0;

double DecibelsToFactor(double decibels) { return std::pow(10.0, decibels / kDecibelsPerFactorOfTen); }
double FactorToDecibels(double factor) { return kDecibelsPerFactorOfTen * std::log10(factor); }

}  // namespace

LoudnessGain LoudnessGainFor(const LoudnessMeasurement& measured, double targetLufs) {
    LoudnessGain result;
    if (!measured.integratedLufs || measured.truePeak <= 0.0) return result;
    result.gain = DecibelsToFactor(targetLufs - *measured.integratedLufs);
    // The true peak grows with the gain; the ceiling caps it.
    const double ceilingGain = DecibelsToFactor(kTruePeakCeilingDbtp) / measured.truePeak;
    if (ceilingGain < result.gain) {
        result.gain = ceilingGain;
        result.ceilingWon = true;
    }
    result.reachedLufs = *measured.integratedLufs + FactorToDecibels(result.gain);
    return result;
}

LoudnessGain ApplyLoudness(std::span<std::uint8_t> frames, double targetLufs) {
    const std::optional<LoudnessMeasurement> measured = MeasureLoudness(frames);
    if (!measured) return {};
    const LoudnessGain gain = LoudnessGainFor(*measured, targetLufs);
    if (gain.gain != 1.0) ScaleSamples(frames, gain.gain);
    return gain;
}
