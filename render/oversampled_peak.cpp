// Interpolation filters for the points between samples.
#include "render/oversampled_peak.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int kOversampling = 4;

using Phase = std::array<float, kPeakTaps>;

// Windowed-sinc interpolation filters for the points 1/4, 2/4 and 3/4 of a
// frame after a sample; tap k weighs the sample k - kPeakHalfTaps + 1 frames away.
std::array<Phase, kOversampling - 1> MakePhases() {
    std::array<Phase, kOversampling - 1> phases{};
    for (int p = 1; p < kOversampling; ++p) {
        const double offset = static_cast<double>(p) / kOversampling;
        double sum = 0;
        for (int k = 0; k < kPeakTaps; ++k) {
            const double x = (k - kPeakHalfTaps + 1) - offset;
            const double sinc = std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            // Blackman window over the filter's span.
            const double w = (x + kPeakHalfTaps) / (2.0 * kPeakHalfTaps);
            const double window =
                0.42 - 0.5 * std::cos(2 * std::numbers::pi * w) + 0.08 * std::cos(4 * std::numbers::pi * w);
            phases[p - 1][k] = static_cast<float>(sinc * window);
            sum += sinc * window;
        }
        for (float& tap : phases[p - 1]) tap = static_cast<float>(tap / sum);
    }
    return phases;
}

}  // namespace

float OversampledPeak(const float* window) {
    static const std::array<Phase, kOversampling - 1> kPhases = MakePhases();
    float peak = std::abs(window[kPeakHalfTaps - 1]);
    for (const Phase& phase : kPhases) {
        float value = 0.0f;
        for (int k = 0; k < kPeakTaps; ++k) value += phase[k] * window[k];
        peak = std::max(peak, std::abs(value));
    }
    return peak;
}
