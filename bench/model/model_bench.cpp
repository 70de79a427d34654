// Writing events in time order through InsertAtTime with relative seeks, as
// the importer and the event writer do, and copying a track that carries
// lyric payloads with InsertCopies, as the song preparation does. The cost
// per event should not grow with the track's length.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "model/track_containers.h"
#include "model/track_editing.h"

namespace {

// Every this many events one is a lyric with a text payload.
constexpr int kLyricEvery = 100;
// Steps between successive events: two events share a tick, then a gap.
constexpr int kStepPattern[] = {0, 120, 60, 240};

TrackEvent NoteEvent(int i) {
    TrackEvent ev = MakeEvent(static_cast<std::uint8_t>(36 + i % 48));
    ev.SetGate(100);
    ev.SetU8(6, 100);
    return ev;
}

// Fills a track with n events in time order; every kLyricEvery-th is a lyric
// when `withLyrics` is set.
void WriteInTimeOrder(TrackCursor& cursor, int n, bool withLyrics) {
    static const char kText[] = "\0\0\0\0lyric";
    for (int i = 0; i < n; ++i) {
        Seek(cursor, kStepPattern[i % 4], 1);
        if (withLyrics && i % kLyricEvery == 0) {
            InsertWithPayload(sizeof kText, cursor, MakeEvent(EventKind::kLyric), kText);
        } else {
            InsertAtTime(cursor, NoteEvent(i));
        }
    }
}

void BM_InsertInTimeOrder(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TrackContainers song(1, 1);
        CursorGuard cursor(song, PartSlot(0));
        WriteInTimeOrder(*cursor, n, false);
        benchmark::DoNotOptimize(cursor->track->count);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_InsertCopiesWithPayloads(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TrackContainers source(1, 1);
    CursorGuard from(source, PartSlot(0));
    WriteInTimeOrder(*from, n, true);
    for (auto _ : state) {
        TrackContainers destination(1, 1);
        CursorGuard to(destination, PartSlot(0));
        from->position = 0;
        const int copied = InsertCopies(*to, *from, n, false);
        benchmark::DoNotOptimize(copied);
    }
    state.SetItemsProcessed(state.iterations() * n);
}

}  // namespace

BENCHMARK(BM_InsertInTimeOrder)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertCopiesWithPayloads)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
