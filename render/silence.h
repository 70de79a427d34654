// Telling a silent output from one that sounds: an output whose every
// sample stays below -90 dBFS (a 16-bit value of -1, 0 or 1) is silent.
#pragma once

#include <cstdint>
#include <span>

// The level at or below which a whole output counts as silent.
constexpr double kSilenceCeilingDbfs = -90.0;

// Whether any 16-bit little-endian sample of `frames` lies above the silence ceiling.
bool HasAudibleSample(std::span<const std::uint8_t> frames);
