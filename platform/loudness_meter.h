// Measuring a finished song's loudness as EBU R128 defines it: the
// integrated loudness (gated, K-weighted) and the true peak of 44100 Hz
// 16-bit stereo frames, through the system's loudness library.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

struct LoudnessMeasurement {
    // Integrated loudness in LUFS; nothing for a song that is silent (or
    // quieter than the measurement's absolute gate).
    std::optional<double> integratedLufs;
    // The largest true (inter-sample) peak of both channels, 1.0 = full scale.
    double truePeak = 0.0;
};

// Measures interleaved little-endian 16-bit stereo frames. Nothing when the
// library cannot be started.
std::optional<LoudnessMeasurement> MeasureLoudness(std::span<const std::uint8_t> frames);
