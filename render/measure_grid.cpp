// Comparing the measure track with the file's bars, and writing them into it.
#include "render/measure_grid.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/bar_map.h"
#include "model/measure.h"
#include "model/slots.h"
#include "model/song_container.h"

namespace {

constexpr int kMeasureMarkerAt = 4;
constexpr std::uint8_t kMeasureMarker = 0xFF;
constexpr int kTimeSignatureAt = 5;
constexpr int kKeyAt = 6;
constexpr std::uint8_t kCMajorKey = 7;  // no sharps or flats, major

struct KeyChange {
    int tick = 0;
    std::uint8_t key = kCMajorKey;
};

// The key byte of every measure event of the song, with its tick.
std::vector<KeyChange> KeysOf(SongContainer& song) {
    std::vector<KeyChange> keys;
    if (song.SlotTrack(kMeasureSlot) == nullptr) return keys;
    CursorGuard cursor(song, kMeasureSlot);
    const Track& track = *cursor->track;
    int tick = 0;
    for (int i = 0; i < track.count && !EventAt(track, i).IsEnd(); ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.IsMeasure()) keys.push_back({tick, event.U8(kKeyAt)});
        tick += event.Step();
    }
    return keys;
}

std::uint8_t KeyAt(const std::vector<KeyChange>& keys, int tick) {
    std::uint8_t key = kCMajorKey;
    for (const KeyChange& change : keys) {
        if (change.tick > tick) break;
        key = change.key;
    }
    return key;
}

// The measure track's bytes for the bars; nothing when a bar has none.
std::optional<std::vector<std::uint8_t>> BytesFor(const std::vector<Bar>& bars) {
    std::vector<std::uint8_t> bytes;
    for (const Bar& bar : bars) {
        const std::optional<std::uint8_t> byte = MeasureByteFor(bar);
        if (!byte) return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

bool TrackHasBars(SongContainer& song, const std::vector<Bar>& bars, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bars.size(); ++i) {
        if (MeasureToTick(song, bars[i].number) != bars[i].start) return false;
        if (TimeSignatureAt(song, bars[i].number) != bytes[i]) return false;
    }
    return true;
}

void AppendEvent(TrackCursor& cursor, const TrackEvent& event) {
    InsertSlots(cursor, 1, false);
    Write(cursor, event, true);
}

}  // namespace

std::vector<Bar> ConvertedBars(SongContainer& loaded) {
    const int end = SongEndTick(loaded);
    if (!loaded.fileMeters.empty()) {
        std::vector<Bar> bars = LayOutBars(loaded.fileMeters, end);
        if (BytesFor(bars)) return bars;
    }
    return MeasureTrackBars(loaded, end);
}

void ConformMeasureTrack(SongContainer& loaded, SongContainer& render) {
    if (loaded.fileMeters.empty()) return;
    const std::vector<Bar> bars = ConvertedBars(loaded);
    const std::optional<std::vector<std::uint8_t>> bytes = BytesFor(bars);
    if (!bytes || TrackHasBars(render, bars, *bytes)) return;

    const std::vector<KeyChange> keys = KeysOf(loaded);
    CursorGuard cursor(render, kMeasureSlot);
    Track& track = *cursor->track;
    const int before = track.count > 0 && EventAt(track, track.count - 1).IsEnd() ? track.count - 1 : track.count;
    Seek(*cursor, 0, 0);
    if (before > 0) InsertSlots(*cursor, -before, true);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        TrackEvent measure = MakeEvent(EventKind::kMeasure);
        measure.SetU8(kMeasureMarkerAt, kMeasureMarker);
        measure.SetU8(kTimeSignatureAt, (*bytes)[i]);
        measure.SetU8(kKeyAt, KeyAt(keys, bars[i].start));
        AppendEvent(*cursor, measure);
        for (int left = bars[i].length; left > 0;) {
            const int step = std::min(left, kMaxRestStep);
            AppendEvent(*cursor, MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(step)));
            left -= step;
        }
    }
}
