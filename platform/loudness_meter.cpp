// EBU R128 measurement on libebur128.
#include "platform/loudness_meter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned kSampleRate = 44100;
constexpr unsigned kChannels = 2;
constexpr std::size_t kBytesPerSample = 2;
// One second is handed to the library at a time, wherever the pieces end.
constexpr std::size_t kSamplesPerChunk = std::size_t{44100} * kChannels;

}  // namespace

struct LoudnessMeter::State {
    State() : library(ebur128_init(kChannels, kSampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK)) {}
    ~State() {
        if (library) ebur128_destroy(&library);
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    ebur128_state* library;
};

LoudnessMeter::LoudnessMeter() : state_(std::make_unique<State>()) { chunk_.reserve(kSamplesPerChunk); }

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(std::span<const std::uint8_t> frames) {
    for (std::size_t i = 0; i + 1 < frames.size(); i += kBytesPerSample) {
        chunk_.push_back(static_cast<short>(static_cast<std::uint16_t>(frames[i] | (frames[i + 1] << 8))));
        if (chunk_.size() == kSamplesPerChunk) Flush();
    }
}

void LoudnessMeter::Flush() {
    const std::size_t frameCount = chunk_.size() / kChannels;
    if (state_->library && !failed_ && frameCount > 0 &&
        ebur128_add_frames_short(state_->library, chunk_.data(), frameCount) != EBUR128_SUCCESS) {
        failed_ = true;
    }
    chunk_.clear();
}

std::optional<LoudnessMeasurement> LoudnessMeter::Finish() {
    Flush();
    if (!state_->library || failed_) return std::nullopt;
    LoudnessMeasurement measurement;
    double lufs = 0.0;
    if (ebur128_loudness_global(state_->library, &lufs) == EBUR128_SUCCESS && std::isfinite(lufs)) {
        measurement.integratedLufs = lufs;
    }
    for (unsigned channel = 0; channel < kChannels; ++channel) {
        double peak = 0.0;
        if (ebur128_true_peak(state_->library, channel, &peak) == EBUR128_SUCCESS) {
            measurement.truePeak = std::max(measurement.truePeak, peak);
        }
    }
    return measurement;
}

std::optional<LoudnessMeasurement> MeasureLoudness(std::span<const std::uint8_t> frames) {
    LoudnessMeter meter;
    meter.Add(frames.first(frames.size() / (kBytesPerSample * kChannels) * (kBytesPerSample * kChannels)));
    return meter.Finish();
}
