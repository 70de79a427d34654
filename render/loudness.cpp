// Loudness gain with a true-peak ceiling and a limiter.
#include "render/loudness.h"

#include <algorithm>
#include <cmath>

#include "render/normalize.h"

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

double LimiterCeilingFor(double ceilingDbtp) { return DecibelsToFactor(ceilingDbtp - kLimiterMarginDb); }

std::vector<float> PeakLimiterCurve(std::span<const std::uint8_t> frames, double gain, double ceilingDbtp) {
    return LimiterCurve(FramePeaks(frames), gain, LimiterCeilingFor(ceilingDbtp));
}

namespace {

// The loudness of `song` read through `levelling`.
std::optional<LoudnessMeasurement> MeasureLevelled(const SongPieces& song, const Levelling& levelling) {
    LoudnessMeter meter;
    ReadLevelled(song, levelling, [&meter](std::span<const std::uint8_t> frames) {
        meter.Add(frames);
        return true;
    });
    return meter.Finish();
}

}  // namespace

LoudnessGain FindLoudnessGain(const SongPieces& song, double targetLufs, double ceilingDbtp) {
    const std::optional<LoudnessMeasurement> measured = MeasureLevelled(song, {});
    if (!measured) return {};
    LoudnessGain plain = LoudnessGainFor(*measured, targetLufs, ceilingDbtp);
    plain.levelling.gain = plain.gain;
    if (!plain.ceilingWon) return plain;

    // The limiter lowers the peaks; the gain is raised until the limited
    // song meets the target.
    double gainDb = targetLufs - *measured->integratedLufs;
    LoudnessGain limited;
    limited.levelling.limiterCeiling = LimiterCeilingFor(ceilingDbtp);
    std::optional<LoudnessMeasurement> reached;
    for (int round = 0; round < kMaxRounds; ++round) {
        Levelling attempt = limited.levelling;
        attempt.gain = DecibelsToFactor(gainDb);
        std::optional<LoudnessMeasurement> now = MeasureLevelled(song, attempt);
        if (!now || !now->integratedLufs) break;
        reached = now;
        limited.levelling = attempt;
        const double miss = targetLufs - *now->integratedLufs;
        if (std::abs(miss) < kLoudnessToleranceLu) break;
        gainDb += miss;
    }
    if (!reached) return plain;
    // Whatever the limiter's estimate missed is taken off the whole song.
    if (reached->truePeak > DecibelsToFactor(ceilingDbtp)) {
        limited.levelling.trim = DecibelsToFactor(ceilingDbtp - kLimiterMarginDb) / reached->truePeak;
    }
    limited.gain = limited.levelling.gain * limited.levelling.trim;
    limited.reachedLufs = *reached->integratedLufs + FactorToDecibels(limited.levelling.trim);
    limited.ceilingWon = targetLufs - limited.reachedLufs > kAcceptedMissLu;
    return limited;
}

LoudnessGain ApplyLoudness(std::span<std::uint8_t> frames, double targetLufs, double ceilingDbtp) {
    LoudnessGain gain = FindLoudnessGain(SpanPieces(frames), targetLufs, ceilingDbtp);
    GainCurve curve;
    std::vector<std::uint8_t> levelled;
    levelled.reserve(frames.size());
    ReadLevelled(SpanPieces(frames), gain.levelling, [&levelled](std::span<const std::uint8_t> piece) {
        levelled.insert(levelled.end(), piece.begin(), piece.end());
        return true;
    }, &curve);
    std::copy(levelled.begin(), levelled.end(), frames.begin());
    gain.curve.resize(curve.Size());
    curve.CopyOut(0, gain.curve);
    return gain;
}
