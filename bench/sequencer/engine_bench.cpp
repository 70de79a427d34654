// Engine throughput: a song of 16 parts and 1 000 000 notes is played from
// start to end block by block, as the conversion driver does, but without
// rendering audio. Items are the messages sent (each note's on and off).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "model/song_container.h"
#include "model/track.h"
#include "model/track_containers.h"
#include "module/test/qnstest_probe.h"
#include "sequencer/synth_module.h"
#include "sequencer/engine.h"

namespace {

constexpr int kParts = 16;
constexpr int kNotes = 1000000;
constexpr int kNoteSpacing = 120;  // ticks between the notes of one part
constexpr int kGate = 100;

// Fills the song: every part gets an equal share of notes, spaced evenly and
// staggered so that the parts interleave.
void GenerateSong(SongContainer& song) {
    for (int part = 0; part < kParts; ++part) {
        CursorGuard cursor(song, PartSlot(part));
        int tick = part * (kNoteSpacing / kParts);
        Seek(*cursor, tick, 0);
        for (int i = part; i < kNotes; i += kParts) {
            TrackEvent note = MakeEvent(static_cast<std::uint8_t>(36 + (i % 48)));
            note.SetGate(kGate);
            note.SetU8(6, 100);
            note.SetU8(10, 1);
            InsertAtTime(*cursor, note);
            Seek(*cursor, kNoteSpacing, 1);
        }
    }
}

void BM_PlaySongThroughEngine(benchmark::State& state) {
    QnsTestProbe probe(QNSTEST_MODULE_PATH);
    if (!probe.Loaded()) {
        state.SkipWithError("test module not found");
        return;
    }
    probe.Reset();
    probe.SetRecording(false);
    std::strncpy(g_szModulePath, QNSTEST_MODULE_PATH, sizeof g_szModulePath - 1);

    static SongContainer song(1);
    static const bool generated = (GenerateSong(song), true);
    (void)generated;

    for (auto _ : state) {
        SynthModule module;
        if (BindSynthModule(module) != 0) {
            state.SkipWithError("binding failed");
            return;
        }
        module.channelTable = song.partChannel.data();
        auto engine = std::make_unique<ChordProcess>(song, module);
        engine->StartPlay();
        while (engine->PlayUntil() == 0) {
            ++module.blocksRendered;
            module.elapsedMs = static_cast<int>(module.blocksRendered * 250000.0 / 22050.0);
        }
        benchmark::DoNotOptimize(module.endOfSong);
    }
    state.SetItemsProcessed(state.iterations() * 2LL * kNotes);
}

BENCHMARK(BM_PlaySongThroughEngine)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
