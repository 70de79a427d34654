// What finding the parts costs beside the conversion it serves: the profile
// and the part finder run on a song, and the whole conversion of the same
// song through the FluidSynth module. Run on the example songs and on a
// dense generated song (16 channels, eighth notes and chords for five
// minutes); compare the two times of one song (the finder's share of the
// conversion is the first over the second).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "app/song/channel_profile.h"
#include "app/song/part_finder.h"
#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "model/song_options.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"
#include "sequencer/synth_module.h"
#include "sequencer/song_timeline.h"
#include "tone/channel_info.h"

namespace {

const char* const kSongs[] = {OMBRIX_EXAMPLES "/CityShuffle.MID", OMBRIX_EXAMPLES "/HarborJig.mid",
                              OMBRIX_EXAMPLES "/MorningWaltz.mid", "dense"};
constexpr int kDenseMinutes = 5;
constexpr int kDenseChannels = 16;

// Appends a variable-length number to `bytes`.
void VarLen(std::string& bytes, unsigned value) {
    std::string reversed(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) reversed += static_cast<char>(0x80 | (value & 0x7F));
    bytes.append(reversed.rbegin(), reversed.rend());
}

// A format-0 file at 120 BPM: every channel plays eighth notes for the
// given minutes, the odd channels in three-note chords.
std::string DenseSong() {
    std::string events;
    const int eighths = kDenseMinutes * 60 * 4;
    for (int step = 0; step < eighths; ++step) {
        for (int channel = 0; channel < kDenseChannels; ++channel) {
            const int chord = channel % 2 == 1 ? 3 : 1;
            for (int voice = 0; voice < chord; ++voice) {
                VarLen(events, 0);
                events += static_cast<char>(0x90 | channel);
                events += static_cast<char>(36 + channel * 3 + voice * 4 + step % 5);
                events += static_cast<char>(90);
            }
        }
        for (int channel = 0; channel < kDenseChannels; ++channel) {
            const int chord = channel % 2 == 1 ? 3 : 1;
            for (int voice = 0; voice < chord; ++voice) {
                VarLen(events, channel == 0 && voice == 0 ? 240 : 0);
                events += static_cast<char>(0x80 | channel);
                events += static_cast<char>(36 + channel * 3 + voice * 4 + step % 5);
                events += static_cast<char>(0);
            }
        }
    }
    events += std::string("\x00\xFF\x2F\x00", 4);
    std::string file("MThd\0\0\0\x06\0\0\0\x01\x01\xE0", 14);
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8) file += static_cast<char>((events.size() >> shift) & 0xFF);
    return file + events;
}

std::string SongPath(int index) {
    if (std::string(kSongs[index]) != "dense") return kSongs[index];
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "ombrix-part-finder-bench-dense.mid";
    if (!std::filesystem::exists(path)) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        const std::string bytes = DenseSong();
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    return path.string();
}

struct LoadedSong {
    SongContainer song{1};
    SongOptions options;
    std::vector<int> karaokeTicks;
};

void Load(LoadedSong& loaded, const std::string& path) {
    SilentReport report;
    loaded.karaokeTicks = LoadMidiFile(path, loaded.song, report).karaokeTicks;
    ResetSongOptions(loaded.options);
    ChannelInfoPass(loaded.song, loaded.options, nullptr);
}

void BM_FindParts(benchmark::State& state) {
    LoadedSong loaded;
    Load(loaded, SongPath(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        SongOptions options = loaded.options;
        FindParts(ProfileSong(loaded.song, options.drumChannel, loaded.karaokeTicks), options);
        benchmark::DoNotOptimize(options.partChannels);
    }
    state.SetLabel(std::filesystem::path(SongPath(static_cast<int>(state.range(0)))).filename().string());
}
BENCHMARK(BM_FindParts)->DenseRange(0, 3)->ArgName("song")->Unit(benchmark::kMillisecond);

void BM_ConvertThroughFluidSynth(benchmark::State& state) {
#ifndef QNSTAFF_MODULE_PATH
    state.SkipWithError("the FluidSynth module is not built");
    return;
#else
    std::snprintf(g_szModulePath, sizeof g_szModulePath, "%s", QNSTAFF_MODULE_PATH);
    LoadedSong loaded;
    Load(loaded, SongPath(static_cast<int>(state.range(0))));
    FindParts(ProfileSong(loaded.song, loaded.options.drumChannel, loaded.karaokeTicks), loaded.options);
    loaded.options.preCount = false;
    SongContainer render{1};
    SongTimeline timeline{render};
    g_pSongTimeline = &timeline;
    HeadlessConversionUi ui;
    SilentReport report;
    const std::filesystem::path target = std::filesystem::temp_directory_path() /
                                         ("ombrix-part-finder-bench-" + std::to_string(std::random_device{}()) + ".wav");
    for (auto _ : state) ConvertSongToWav({loaded.song, loaded.options, "", "bench"}, render, target.string(), ui, report);
    std::filesystem::remove(target);
    g_pSongTimeline = nullptr;
    state.SetLabel(std::filesystem::path(SongPath(static_cast<int>(state.range(0)))).filename().string());
#endif
}
BENCHMARK(BM_ConvertThroughFluidSynth)->DenseRange(0, 3)->ArgName("song")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
