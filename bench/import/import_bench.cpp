// Importing a generated format-1 file of 16 tracks, measured for growing
// numbers of note events (note-ons plus note-offs) to show the cost is linear.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "import/load_midi_file.h"
#include "model/song_container.h"
#include "platform/user_report.h"

namespace {

constexpr int kTracks = 16;
constexpr int kDivision = 480;

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[5];
    int n = 0;
    do {
        bytes[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value);
    while (n > 1) out.push_back(static_cast<std::uint8_t>(bytes[--n] | 0x80));
    out.push_back(bytes[0]);
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A format-1 file: a conductor chunk with tempo and meter, then 16 chunks of
// notes on their own channels, eighth notes with a small gap, a few chords.
std::string WriteSong(int noteEvents) {
    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, kTracks + 1, kDivision >> 8,
                                   kDivision & 0xFF};
    const std::vector<std::uint8_t> conductor{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04,
                                              0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00};
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutU32(file, static_cast<std::uint32_t>(conductor.size()));
    file.insert(file.end(), conductor.begin(), conductor.end());

    const int notesPerTrack = noteEvents / 2 / kTracks;
    for (int t = 0; t < kTracks; ++t) {
        std::vector<std::uint8_t> body;
        for (int i = 0; i < notesPerTrack; ++i) {
            const auto key = static_cast<std::uint8_t>(36 + (i * 7 + t * 3) % 60);
            PutVarLen(body, i % 8 == 0 ? 0 : 20);
            body.insert(body.end(), {static_cast<std::uint8_t>(0x90 | t), key, 90});
            PutVarLen(body, 220);
            body.insert(body.end(), {static_cast<std::uint8_t>(0x80 | t), key, 0});
        }
        body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        PutU32(file, static_cast<std::uint32_t>(body.size()));
        file.insert(file.end(), body.begin(), body.end());
    }
    const auto path = std::filesystem::temp_directory_path() / ("ombrix_bench_" + std::to_string(noteEvents) + ".mid");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    return path.string();
}

void BM_ImportFormat1(benchmark::State& state) {
    const int noteEvents = static_cast<int>(state.range(0));
    const std::string path = WriteSong(noteEvents);
    SongContainer song(1);
    SilentReport report;
    for (auto _ : state) {
        const MidiFileLoad load = LoadMidiFile(path, song, report);
        benchmark::DoNotOptimize(load.result);
    }
    state.SetItemsProcessed(state.iterations() * noteEvents);
    std::filesystem::remove(path);
}
BENCHMARK(BM_ImportFormat1)
    ->Arg(125'000)
    ->Arg(250'000)
    ->Arg(500'000)
    ->Arg(1'000'000)
    ->Arg(2'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
