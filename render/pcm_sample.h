// One little-endian 16-bit sample of a held song: read, written, and scaled
// by a factor with rounding to the nearest value inside the 16-bit range.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

inline std::int16_t ReadPcmSample(const std::uint8_t* at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
}

inline void WritePcmSample(std::uint8_t* at, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    at[0] = static_cast<std::uint8_t>(bits);
    at[1] = static_cast<std::uint8_t>(bits >> 8);
}

inline void ScalePcmSample(std::uint8_t* at, double factor) {
    const double scaled = std::round(ReadPcmSample(at) * factor);
    WritePcmSample(at, static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0)));
}
