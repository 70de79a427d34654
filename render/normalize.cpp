// Peak measurement and scaling of interleaved little-endian 16-bit samples.
#include "render/normalize.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kFullScale = 32767.0;
constexpr double kDecibelsPerFactorOfTen = 20.0;
constexpr std::size_t kBytesPerSample = 2;

std::int16_t ReadSample(const std::uint8_t* at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

void WriteSample(std::uint8_t* at, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    at[0] = static_cast<std::uint8_t>(bits);
    at[1] = static_cast<std::uint8_t>(bits >> 8);
}

}  // namespace

int PeakMagnitude(std::span<const std::uint8_t> frames) {
    int peak = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); i += kBytesPerSample) {
        peak = std::max(peak, std::abs(static_cast<int>(ReadSample(&frames[i]))));
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
        const double scaled = std::round(ReadSample(&frames[i]) * gain);
        WriteSample(&frames[i], static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0)));
    }
}
