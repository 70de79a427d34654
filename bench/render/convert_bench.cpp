// Whole conversions of generated songs, 4/4 at 120.00 BPM, into WAV files
// through the deterministic test module. Reports how many times faster than
// real time the conversion runs and how much the resident memory grew.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "model/measure.h"
#include "model/slots.h"
#include "model/song_container.h"
#include "model/song_options.h"
#include "module/test/qnstest_probe.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"
#include "sequencer/synth_module.h"
#include "sequencer/song_timeline.h"

namespace {

constexpr int kMeasureMs = 2000;  // 4/4 at 120.00 BPM
constexpr int kMeasureTicks = kTicksPerWhole;
constexpr long kPageBytes = 4096;

TrackEvent Note(std::uint8_t note, std::uint16_t gate) {
    TrackEvent event = MakeEvent(note);
    event.SetGate(gate);
    event.SetU8(6, 100);
    event.SetU8(10, 1);
    return event;
}

// A song of `measures` 4/4 measures; with notes, four parts play a quarter
// note on every beat. Events are appended in time order, one track at a time.
void GenerateSong(SongContainer& song, int measures, bool withNotes) {
    {
        CursorGuard cursor(song, kMeasureSlot);
        TrackEvent measure = MakeEvent(EventKind::kMeasure);
        measure.SetU8(4, 0xFF);
        measure.SetU8(5, kDefaultTimeSignature);
        for (int m = 0; m < measures; ++m) {
            Seek(*cursor, m * kMeasureTicks, 0);
            InsertAtTime(*cursor, measure);
        }
        SeekOrExtend(*cursor, measures * kMeasureTicks);
    }
    if (!withNotes) return;
    for (int part = 0; part < 4; ++part) {
        CursorGuard cursor(song, PartSlot(part));
        for (int beat = 0; beat < measures * 4; ++beat) {
            Seek(*cursor, beat * kTicksPerQuarter, 0);
            InsertAtTime(*cursor, Note(static_cast<std::uint8_t>(48 + part * 7), kTicksPerQuarter - 40));
        }
    }
}

// Resident memory of the process in bytes.
long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * kPageBytes;
}

void BM_ConvertSong(benchmark::State& state) {
#ifndef QNSTEST_MODULE_PATH
    state.SkipWithError("the test module is not built");
    return;
#else
    const int minutes = static_cast<int>(state.range(0));
    const bool withNotes = state.range(1) != 0;
    std::snprintf(g_szModulePath, sizeof g_szModulePath, "%s", QNSTEST_MODULE_PATH);
    QnsTestProbe probe(QNSTEST_MODULE_PATH);
    probe.Reset();
    probe.SetRecording(false);

    SongContainer song{1};
    SongOptions options;
    ResetSongOptions(options);
    options.preCount = false;
    const std::string folder;
    const std::string name = "bench";
    const int measures = minutes * 60000 / kMeasureMs;
    GenerateSong(song, measures, withNotes);
    SongContainer render{1};
    SongTimeline timeline{render};
    g_pSongTimeline = &timeline;
    HeadlessConversionUi ui;
    SilentReport report;
    const std::filesystem::path target =
        std::filesystem::temp_directory_path() / ("ombrix-render-bench-" + std::to_string(std::random_device{}()) + ".wav");

    long growth = 0;
    for (auto _ : state) {
        const long before = ResidentBytes();
        ConvertSongToWav({song, options, folder, name}, render, target.string(), ui, report);
        growth = std::max(growth, ResidentBytes() - before);
    }
    const double songSeconds = (measures + 1) * kMeasureMs / 1000.0;  // the song ends after one more measure
    const auto fileBytes = std::filesystem::file_size(target);
    state.counters["song_s"] = songSeconds;
    state.counters["wav_MB"] = static_cast<double>(fileBytes) / 1e6;
    state.counters["x_realtime"] = benchmark::Counter(songSeconds * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    state.counters["rss_growth_kB"] = static_cast<double>(growth) / 1024.0;
    std::filesystem::remove(target);
    g_pSongTimeline = nullptr;
#endif
}
BENCHMARK(BM_ConvertSong)
    ->ArgsProduct({{1, 10}, {0, 1}})
    ->ArgNames({"minutes", "notes"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
