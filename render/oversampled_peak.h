// The true (inter-sample) peak of one channel around a sample, estimated by
// 4x oversampling with windowed-sinc interpolation.
#pragma once

// Samples on each side of an interpolated point, and the window they make.
constexpr int kPeakHalfTaps = 8;
constexpr int kPeakTaps = 2 * kPeakHalfTaps;

// The largest magnitude among the sample window[kPeakHalfTaps - 1] and the
// three points a quarter frame apart that follow it, interpolated from the
// kPeakTaps samples of `window` (1.0 = full scale).
float OversampledPeak(const float* window);
