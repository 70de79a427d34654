// Side-by-side benchmark driver: writes the generated General MIDI song as a
// MIDI file (for the fluidsynth command), or renders it through QNStaff.so
// the way the converter does (500-frame blocks, 16-bit conversion, a WAV
// file) and reports its peak level. compare.sh times both.
//
//   module_vs_fluidsynth song <out.mid> [--loud] [--measures N]
//   module_vs_fluidsynth render <QNStaff.so> <out.wav> [--loud] [--measures N]

#include "bench/module/gm_song.h"
#include "module/qnstaff_api.h"

#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kBlockFrames = 500;
constexpr int kPolyphony = 128;
constexpr int kSilentLeadFrames = 16;   // a block starting with this many zero frames ends the song
constexpr int kMaxTailSeconds = 30;     // give up waiting for silence after this
constexpr int kDefaultMeasures = 90;    // 3 minutes at 120 BPM

struct Options {
    bool loud = false;
    int measures = kDefaultMeasures;
};

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The 44-byte RIFF/WAVE header of 16-bit stereo PCM with `dataBytes` of samples.
std::vector<std::uint8_t> WavHeader(std::uint32_t dataBytes) {
    std::vector<std::uint8_t> h;
    for (char c : std::string("RIFF")) h.push_back(static_cast<std::uint8_t>(c));
    PutLittleEndian(h, 36 + dataBytes, 4);
    for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<std::uint8_t>(c));
    PutLittleEndian(h, 16, 4);
    PutLittleEndian(h, 1, 2);             // PCM
    PutLittleEndian(h, 2, 2);             // stereo
    PutLittleEndian(h, kRate, 4);
    PutLittleEndian(h, kRate * 4, 4);     // bytes per second
    PutLittleEndian(h, 4, 2);             // bytes per frame
    PutLittleEndian(h, 16, 2);            // bits per sample
    for (char c : std::string("data")) h.push_back(static_cast<std::uint8_t>(c));
    PutLittleEndian(h, dataBytes, 4);
    return h;
}

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

template <typename Fn>
Fn Resolve(void* library, const char* name) {
    Fn fn = reinterpret_cast<Fn>(dlsym(library, name));
    if (fn == nullptr) std::fprintf(stderr, "missing export %s\n", name);
    return fn;
}

int WriteSong(const std::string& path, const Options& options) {
    const std::vector<std::uint8_t> smf = ToStandardMidiFile(GenerateGmSong(options.measures, options.loud));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(smf.data()), static_cast<std::streamsize>(smf.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

int Render(const std::string& modulePath, const std::string& wavPath, const Options& options) {
    std::unique_ptr<void, LibraryCloser> library(dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", modulePath.c_str(), dlerror());
        return 1;
    }
    auto qnsmain = Resolve<QnsMainFn>(library.get(), "qnsmain");
    auto setRate = Resolve<SetSamplingFreqMFn>(library.get(), "SetSamplingFreqM");
    auto setPolyphony = Resolve<SetPolyphonyMFn>(library.get(), "SetPolyphonyM");
    auto sendShort = Resolve<SendShortMsgMFn>(library.get(), "SendShortMsgM");
    auto sendLong = Resolve<SendLongMsgMFn>(library.get(), "SendLongMsgM");
    auto process = Resolve<ProcessReplacingMFn>(library.get(), "processReplacingM");
    auto destroy = Resolve<DestroyMFn>(library.get(), "DestroyM");
    if (!qnsmain || !setRate || !setPolyphony || !sendShort || !sendLong || !process || !destroy) return 1;

    const auto start = std::chrono::steady_clock::now();
    const std::int32_t synth = qnsmain();
    if (synth == 0) {
        std::fprintf(stderr, "qnsmain failed: no SoundFont\n");
        return 1;
    }
    setRate(synth, kRate);
    setPolyphony(synth, kPolyphony);

    const std::vector<SongEvent> events = GenerateGmSong(options.measures, options.loud);
    // Ticks to frames at the song's fixed tempo.
    const auto frameOf = [](std::uint32_t tick) {
        return static_cast<std::int64_t>(tick) * kRate * 60 / (kSongTempoBpm * kSongTicksPerQuarter);
    };
    const std::int64_t lastFrame = events.empty() ? 0 : frameOf(events.back().tick);

    std::ofstream wav(wavPath, std::ios::binary);
    std::vector<std::uint8_t> header = WavHeader(0);
    wav.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));

    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    float* buffers[2] = {left.data(), right.data()};
    std::vector<std::uint8_t> block(kBlockFrames * 4);
    std::size_t next = 0;
    std::int64_t blocks = 0;
    std::uint32_t dataBytes = 0;
    float peak = 0.0f;
    std::int64_t clipped = 0;
    for (;;) {
        ++blocks;
        const std::int64_t elapsed = blocks * kBlockFrames;
        for (; next < events.size() && frameOf(events[next].tick) < elapsed; ++next) {
            const std::vector<std::uint8_t>& b = events[next].bytes;
            if (b[0] == 0xF0) {
                sendLong(synth, 0, b.data(), static_cast<std::int32_t>(b.size()));
            } else {
                const std::uint32_t message = b[0] | (b.size() > 1 ? b[1] << 8 : 0) | (b.size() > 2 ? b[2] << 16 : 0);
                sendShort(synth, 0, message);
            }
        }
        process(synth, buffers, kBlockFrames);
        bool silentLead = true;
        for (int i = 0; i < kBlockFrames; ++i) {
            for (int side = 0; side < 2; ++side) {
                const float sample = buffers[side][i];
                peak = std::max(peak, std::fabs(sample));
                const float v = sample * 32767.0f;
                std::int16_t pcm;
                if (v > 32767) {
                    pcm = 32767;
                    ++clipped;
                } else if (v <= -32768) {
                    pcm = -32768;
                    ++clipped;
                } else {
                    pcm = static_cast<std::int16_t>(v);
                }
                if (i < kSilentLeadFrames && pcm != 0) silentLead = false;
                block[static_cast<std::size_t>(i * 4 + side * 2)] = static_cast<std::uint8_t>(pcm & 0xFF);
                block[static_cast<std::size_t>(i * 4 + side * 2 + 1)] = static_cast<std::uint8_t>((pcm >> 8) & 0xFF);
            }
        }
        const bool songOver = next == events.size();
        if (songOver && (silentLead || elapsed > lastFrame + kMaxTailSeconds * kRate)) break;
        wav.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
        dataBytes += static_cast<std::uint32_t>(block.size());
    }
    destroy(synth);
    header = WavHeader(dataBytes);
    wav.seekp(0);
    wav.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    if (!wav) {
        std::fprintf(stderr, "cannot write %s\n", wavPath.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("rendered %.1f s of audio in %.2f s; peak %.3f of full scale (%.1f dBFS); %lld clipped samples\n",
                static_cast<double>(dataBytes / 4) / kRate, seconds, peak, 20.0 * std::log10(std::max(peak, 1e-9f)),
                static_cast<long long>(clipped));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--loud") == 0) {
            options.loud = true;
        } else if (std::strcmp(argv[i], "--measures") == 0 && i + 1 < argc) {
            options.measures = std::max(1, std::atoi(argv[++i]));
        } else {
            positional.emplace_back(argv[i]);
        }
    }
    if (positional.size() == 2 && positional[0] == "song") return WriteSong(positional[1], options);
    if (positional.size() == 3 && positional[0] == "render") return Render(positional[1], positional[2], options);
    std::fprintf(stderr,
                 "usage: %s song <out.mid> [--loud] [--measures N]\n"
                 "       %s render <QNStaff.so> <out.wav> [--loud] [--measures N]\n",
                 argv[0], argv[0]);
    return 2;
}
