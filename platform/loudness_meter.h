// Measuring a finished song's loudness as EBU R128 defines it: the
// integrated loudness (gated, K-weighted) and the true peak of 44100 Hz
// 16-bit stereo frames, through the system's loudness library.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

struct LoudnessMeasurement {
    // Integrated loudness in LUFS; nothing for a song that is silent (or
    // quieter than the measurement's absolute gate).
    std::optional<double> integratedLufs;
    // The largest true (inter-sample) peak of both channels, 1.0 = full scale.
    double truePeak = 0.0;
};

// A measurement of frames handed in piece by piece, in order; the result
// does not depend on how the song is cut into pieces.
class LoudnessMeter {
public:
    LoudnessMeter();
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Hands in the next interleaved little-endian 16-bit stereo frames.
    void Add(std::span<const std::uint8_t> frames);
    // The measurement of every frame handed in. Nothing when the library
    // cannot be started or refuses the frames.
    std::optional<LoudnessMeasurement> Finish();

private:
    // Hands the frames gathered so far to the library.
    void Flush();

    struct State;  // the library's measurement
    std::unique_ptr<State> state_;
    std::vector<short> chunk_;  // samples not yet handed to the library
    bool failed_ = false;
};

// Measures interleaved little-endian 16-bit stereo frames. Nothing when the
// library cannot be started.
std::optional<LoudnessMeasurement> MeasureLoudness(std::span<const std::uint8_t> frames);
