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
#include "tools/smfwriter/smf_writer.h"

namespace {

constexpr int kTracks = 16;
constexpr int kDivision = 480;
constexpr double kTempoBpm = 120.0;
constexpr int kLength = 220;  // ticks of each note
constexpr int kGap = 20;      // ticks between notes, but for every eighth note
constexpr int kVelocity = 90;

// A format-1 file: a conductor chunk with tempo and meter, then 16 chunks of
// notes on their own channels, eighth notes with a small gap, a few chords.
std::string WriteSong(int noteEvents) {
    Bytes file = SmfHeader(1, kTracks + 1, kDivision);
    SmfTrack conductor;
    conductor.Tempo(0, kTempoBpm);
    conductor.TimeSignature(0, 4, 4);
    const Bytes conductorChunk = conductor.Chunk();
    file.insert(file.end(), conductorChunk.begin(), conductorChunk.end());

    // One track at a time, so that only one track's events are held at once.
    const int notesPerTrack = noteEvents / 2 / kTracks;
    for (int t = 0; t < kTracks; ++t) {
        SmfTrack track;
        int tick = 0;
        for (int i = 0; i < notesPerTrack; ++i) {
            const int key = 36 + (i * 7 + t * 3) % 60;
            if (i % 8 != 0) tick += kGap;
            track.Note(tick, t + 1, key, kVelocity, kLength);
            tick += kLength;
        }
        const Bytes chunk = track.Chunk();
        file.insert(file.end(), chunk.begin(), chunk.end());
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
