// The converters the sample-rate library offers for the Opus files' 44,100
// to 48,000 Hz, by what each costs and keeps: the processor time of a minute
// of stereo audio, the signal-to-noise ratio of two tones (1 and 10 kHz)
// against the same tones computed at 48,000 Hz, and the level at which a
// 16, 18 and 20 kHz tone comes through (0 dB: untouched).
#include <benchmark/benchmark.h>
#include <samplerate.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <numbers>
#include <vector>

namespace {

constexpr double kInputRate = 44100.0;
constexpr double kOutputRate = 48000.0;
constexpr int kChannels = 2;
constexpr int kBlockFrames = 4096;  // as the encoder's writes come

using Tones = std::vector<std::pair<double, double>>;  // frequency, amplitude

std::vector<float> Signal(const Tones& tones, double rate, long frames) {
    std::vector<float> samples(static_cast<std::size_t>(frames) * kChannels);
    for (long i = 0; i < frames; ++i) {
        double value = 0.0;
        for (const auto& [frequency, amplitude] : tones) value += amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / rate);
        samples[static_cast<std::size_t>(i) * kChannels] = static_cast<float>(value);
        samples[static_cast<std::size_t>(i) * kChannels + 1] = static_cast<float>(value);
    }
    return samples;
}

// Resamples `input` block by block, as the encoder does.
std::vector<float> Resample(int converter, const std::vector<float>& input) {
    int error = 0;
    SRC_STATE* state = src_new(converter, kChannels, &error);
    std::vector<float> output;
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames * 2) * kChannels);
    const long frames = static_cast<long>(input.size() / kChannels);
    for (long done = 0;;) {
        const long count = std::min<long>(kBlockFrames, frames - done);
        SRC_DATA data{};
        data.data_in = input.data() + done * kChannels;
        data.input_frames = count;
        data.data_out = block.data();
        data.output_frames = static_cast<long>(block.size() / kChannels);
        data.src_ratio = kOutputRate / kInputRate;
        data.end_of_input = count == 0 ? 1 : 0;
        src_process(state, &data);
        output.insert(output.end(), block.begin(), block.begin() + data.output_frames_gen * kChannels);
        done += data.input_frames_used;
        if (count == 0 && data.output_frames_gen == 0) break;
    }
    src_delete(state);
    return output;
}

// The power of `samples` in dB over that of `reference`, away from both ends.
double LevelDb(const std::vector<float>& samples, const std::vector<float>& reference) {
    const std::size_t edge = static_cast<std::size_t>(kOutputRate) * kChannels / 2;
    double power = 0.0;
    double referencePower = 0.0;
    for (std::size_t i = edge; i + edge < std::min(samples.size(), reference.size()); ++i) {
        power += static_cast<double>(samples[i]) * samples[i];
        referencePower += static_cast<double>(reference[i]) * reference[i];
    }
    return 10.0 * std::log10(power / referencePower);
}

void BM_Resample(benchmark::State& state) {
    const int converter = static_cast<int>(state.range(0));
    state.SetLabel(src_get_name(converter));
    const long minute = static_cast<long>(kInputRate) * 60;
    const Tones tones = {{1000.0, 0.4}, {10000.0, 0.4}};
    const std::vector<float> input = Signal(tones, kInputRate, minute);
    std::vector<float> output;
    for (auto _ : state) {
        output = Resample(converter, input);
        benchmark::DoNotOptimize(output.data());
    }
    const std::vector<float> exact = Signal(tones, kOutputRate, static_cast<long>(output.size() / kChannels));
    std::vector<float> noise(std::min(output.size(), exact.size()));
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = output[i] - exact[i];
    state.counters["snr_db"] = -LevelDb(noise, exact);
    for (const double frequency : {16000.0, 18000.0, 20000.0}) {
        const long second = static_cast<long>(kInputRate) * 2;
        const std::vector<float> tone = Signal({{frequency, 0.5}}, kInputRate, second);
        const std::vector<float> through = Resample(converter, tone);
        state.counters["at_" + std::to_string(static_cast<int>(frequency / 1000)) + "kHz_db"] =
            LevelDb(through, Signal({{frequency, 0.5}}, kOutputRate, static_cast<long>(through.size() / kChannels)));
    }
}

BENCHMARK(BM_Resample)
    ->Arg(SRC_SINC_BEST_QUALITY)
    ->Arg(SRC_SINC_MEDIUM_QUALITY)
    ->Arg(SRC_SINC_FASTEST)
    ->Arg(SRC_LINEAR)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
