// EBU R128 measurement on libebur128.
#include "platform/loudness_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr unsigned kSampleRate = 44100;
constexpr unsigned kChannels = 2;
constexpr std::size_t kBytesPerFrame = 4;
constexpr std::size_t kFramesPerChunk = 44100;  // one second handed to the meter at a time

struct StateCloser {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

}  // namespace

std::optional<LoudnessMeasurement> MeasureLoudness(std::span<const std::uint8_t> frames) {
    std::unique_ptr<ebur128_state, StateCloser> state(
        ebur128_init(kChannels, kSampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
    if (!state) return std::nullopt;
    const std::size_t frameCount = frames.size() / kBytesPerFrame;
    std::vector<short> chunk;
    for (std::size_t first = 0; first < frameCount; first += kFramesPerChunk) {
        const std::size_t count = std::min(kFramesPerChunk, frameCount - first);
        chunk.resize(count * kChannels);
        const std::uint8_t* bytes = frames.data() + first * kBytesPerFrame;
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            chunk[i] = static_cast<short>(static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        }
        if (ebur128_add_frames_short(state.get(), chunk.data(), count) != EBUR128_SUCCESS) return std::nullopt;
    }
    LoudnessMeasurement measurement;
    double lufs = 0.0;
    if (ebur128_loudness_global(state.get(), &lufs) == EBUR128_SUCCESS && std::isfinite(lufs)) {
        measurement.integratedLufs = lufs;
    }
    for (unsigned channel = 0; channel < kChannels; ++channel) {
        double peak = 0.0;
        if (ebur128_true_peak(state.get(), channel, &peak) == EBUR128_SUCCESS) {
            measurement.truePeak = std::max(measurement.truePeak, peak);
        }
    }
    return measurement;
}
