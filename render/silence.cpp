// Scanning 16-bit samples for one above the silence ceiling.
#include "render/silence.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kFullScale = 32768.0;
constexpr std::size_t kSampleBytes = 2;

// The largest sample magnitude that still lies at or below the ceiling.
int SilentMagnitude() {
    static const int magnitude = static_cast<int>(kFullScale * std::pow(10.0, kSilenceCeilingDbfs / 20.0));
    return magnitude;
}

}  // namespace

bool HasAudibleSample(std::span<const std::uint8_t> frames) {
    const int ceiling = SilentMagnitude();
    for (std::size_t at = 0; at + kSampleBytes <= frames.size(); at += kSampleBytes) {
        const auto sample = static_cast<std::int16_t>(frames[at] | (frames[at + 1] << 8));
        if (std::abs(static_cast<int>(sample)) > ceiling) return true;
    }
    return false;
}
