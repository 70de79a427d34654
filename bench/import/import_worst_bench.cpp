// Importing files built to be expensive: notes held to the import's tick
// limit whose pieces cross into another chunk's part (and the same file
// without crossing), and files of about 4 MB that press on every place where
// a reader could spend more than linear time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "import/load_midi_file.h"
#include "import/smf_buf.h"
#include "model/song_container.h"
#include "platform/user_report.h"
#include "tools/smfwriter/smf_writer.h"

namespace {

constexpr int kDivision = 480;
constexpr int kFourMegabytes = 4 << 20;
constexpr int kHeldKeys = 127;

std::string WriteFile(const std::string& name, const Bytes& file) {
    const auto path = std::filesystem::temp_directory_path() / ("ombrix_worst_" + name + ".mid");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    return path.string();
}

void Import(benchmark::State& state, const std::string& name, const Bytes& file) {
    const std::string path = WriteFile(name, file);
    SongContainer song(1);
    SilentReport report;
    for (auto _ : state) {
        const MidiFileLoad load = LoadMidiFile(path, song, report);
        benchmark::DoNotOptimize(load.result);
        state.counters["result"] = load.result;
    }
    state.counters["bytes"] = static_cast<double>(file.size());
    std::filesystem::remove(path);
}

Bytes NoteOn(int channel, int key) {
    return {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key), 100};
}

// Two chunks of 127 note-ons held until the tick limit, each chunk on its own
// channel; with `crossing`, every other note of a chunk is on the other
// chunk's channel and so goes to that chunk's part.
Bytes HeldToTheLimit(bool crossing) {
    std::vector<SmfTrack> tracks(2);
    for (int t = 0; t < 2; ++t) {
        for (int k = 0; k < kHeldKeys; ++k) {
            const int channel = crossing && k % 2 == 1 ? 1 - t : t;
            tracks[t].Message(k, NoteOn(channel, k + 1));
        }
        tracks[t].ProgramChange(kMaxImportTick, t + 1, 1);
    }
    return SmfFile(1, kDivision, tracks);
}

void BM_HeldNotesCrossingParts(benchmark::State& state) { Import(state, "crossing", HeldToTheLimit(true)); }
void BM_HeldNotesInOwnParts(benchmark::State& state) { Import(state, "own", HeldToTheLimit(false)); }
BENCHMARK(BM_HeldNotesCrossingParts)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HeldNotesInOwnParts)->Unit(benchmark::kMillisecond)->Iterations(3);

// Adds tracks made by `fill` (given the track number) until the file holds
// about 4 MB.
Bytes FourMegabytes(int format, int tracks, const std::function<void(SmfTrack&, int)>& fill) {
    std::vector<SmfTrack> all(static_cast<std::size_t>(tracks));
    for (int t = 0; t < tracks; ++t) fill(all[static_cast<std::size_t>(t)], t);
    return SmfFile(format, kDivision, all);
}

// 256 chunks whose notes all go to the first chunk's part, interleaved in
// time, so that every chunk merges into one long track.
Bytes ChunksIntoOnePart() {
    constexpr int kChunks = 256;
    const int notes = kFourMegabytes / kChunks / 9;
    return FourMegabytes(1, kChunks, [&](SmfTrack& track, int t) {
        track.ProgramChange(0, t % 16 + 1, 1);
        for (int i = 0; i < notes; ++i) track.Note(i * kChunks + t, 1, 60, 100, 1);
    });
}

// One format-0 chunk holding every key of every channel until the tick limit.
Bytes EveryKeyHeldToTheLimit() {
    return FourMegabytes(0, 1, [](SmfTrack& track, int) {
        for (int c = 0; c < 16; ++c)
            for (int k = 0; k < 128; ++k) track.Message(c * 128 + k, NoteOn(c, k));
        track.ProgramChange(kMaxImportTick, 1, 1);
    });
}

// 256 chunks that each hold every key of two parts for the length of a
// 4-hour song: the pieces alone would fill gigabytes.
Bytes EveryChunkHoldsKeysToTheLimit() {
    return FourMegabytes(1, 256, [](SmfTrack& track, int t) {
        for (int k = 0; k < 128; ++k) track.Message(k, NoteOn(t % 16, k));
        track.ProgramChange(kMaxImportTick, t % 16 + 1, 1);
    });
}

// Two chunks of lyrics at interleaved ticks.
Bytes InterleavedLyrics() {
    const int lyrics = kFourMegabytes / 2 / 7;
    return FourMegabytes(1, 2, [&](SmfTrack& track, int t) {
        for (int i = 0; i < lyrics; ++i) track.Meta(2 * i + t, 0x05, "la");
    });
}

// Meter changes: a chunk reaching far, then one with a meter at every tick.
Bytes ManyMeters() {
    const int meters = kFourMegabytes / 9;
    return FourMegabytes(1, 2, [&](SmfTrack& track, int t) {
        if (t == 0) {
            track.TimeSignature(0, 1, 16);
            track.ProgramChange(kMaxImportTick, 1, 1);
            return;
        }
        for (int i = 0; i < meters; ++i) track.TimeSignature(kMaxImportTick / 2 + i / 4, i % 2 == 0 ? 3 : 4, 4);
    });
}

// One chunk of dense short notes on 16 channels.
Bytes DenseNotes() {
    const int notes = kFourMegabytes / 8;
    return FourMegabytes(0, 1, [&](SmfTrack& track, int) {
        for (int i = 0; i < notes; ++i) track.Note(i / 4 * 10, i % 16 + 1, 30 + i % 64, 90, 40);
    });
}

void BM_Worst_ChunksIntoOnePart(benchmark::State& state) { Import(state, "onepart", ChunksIntoOnePart()); }
void BM_Worst_EveryKeyHeld(benchmark::State& state) { Import(state, "keys", EveryKeyHeldToTheLimit()); }
void BM_Worst_EveryChunkHoldsKeys(benchmark::State& state) {
    Import(state, "chunkkeys", EveryChunkHoldsKeysToTheLimit());
}
void BM_Worst_InterleavedLyrics(benchmark::State& state) { Import(state, "lyrics", InterleavedLyrics()); }
void BM_Worst_ManyMeters(benchmark::State& state) { Import(state, "meters", ManyMeters()); }
void BM_Worst_DenseNotes(benchmark::State& state) { Import(state, "dense", DenseNotes()); }
BENCHMARK(BM_Worst_ChunksIntoOnePart)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Worst_EveryKeyHeld)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Worst_EveryChunkHoldsKeys)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Worst_InterleavedLyrics)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Worst_ManyMeters)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Worst_DenseNotes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
