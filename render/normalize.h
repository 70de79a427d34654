// Bringing a finished song's loudest sample to a set level: the 16-bit
// samples are measured and scaled before the file is committed.
#pragma once

#include <cstdint>
#include <span>

// The level a normalized song peaks at unless another is asked for (dBFS).
constexpr double kDefaultPeakDbfs = -1.0;

// The largest magnitude among the little-endian 16-bit samples of `frames`.
int PeakMagnitude(std::span<const std::uint8_t> frames);
// The factor that brings a song peaking at `peak` to `peakDbfs` (0 dBFS is
// 32767); 1 for a silent song, which stays silent.
double NormalizeGain(int peak, double peakDbfs);
// Multiplies every sample of `frames` by `gain`, rounded to the nearest
// value and kept inside the 16-bit range.
void ScaleSamples(std::span<std::uint8_t> frames, double gain);
