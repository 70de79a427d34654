// Peak measurement and scaling of interleaved little-endian 16-bit samples.
#include "render/normalize.h"

#include "render/pcm_sample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kFullScale = 32767.0;
constexpr double kDecibelsPerFactorOfTen = 20.0;
constexpr std::size_t kBytesPerSample = 2;

}  // namespace

int PeakMagnitude(std::span<const std::uint8_t> frames) {
    int peak = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); i += kBytesPerSample) {
        peak = std::max(peak, std::abs(static_cast<int>(ReadPcmSample(&frames[i]))));
    }
    return peak;
}

double NormalizeGain(int peak, double peakDbfs) {
    if (peak <= 0) return 1.0;
    const double target = std::round(kFullScale * std::pow(10.0, peakDbfs / kDecibelsPerFactorOfTen));
    return target / peak;
}

void ScaleSamples(std::span<std::uint8_t> frames, double gain) {
    for (std::size_t i = 0; i + 1 < frames.size(); i += kBytesPerSample) {
        ScalePcmSample(&frames[i], gain);
    }
}
