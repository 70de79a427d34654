// Ticks and measures read from the measure track, time signature lookup, and
// the song's length. Every song-level function opens its own cursors and
// closes them again, so slots that were empty stay empty.
#include "model/measure.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "model/slots.h"
#include "model/track_containers.h"

namespace {

// Byte +5 of a measure event: the time signature.
constexpr int kTimeSignatureByte = 5;

// The part slots whose length is where their end marker stands.
constexpr int kFirstEndMarkerSlot = kFirstExtraSlot;
constexpr int kLastEndMarkerSlot = kLastExtraSlot;
// Further slots whose sounding length counts towards the whole song length.
constexpr int kSystemLengthSlots[] = {kLyricSlot, kSpareSlot, kTempoSlot, kSlot7};

int ClampToInt(std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX)); }

int HighNibble(std::uint8_t byte) { return byte >> 4; }
int LowNibble(std::uint8_t byte) { return byte & 0x0F; }

std::uint8_t TimeSignatureOf(const TrackEvent& event) { return event.U8(kTimeSignatureByte); }

struct Place {
    int measure = 0;
    int offset = 0;
};

// The place of a tick in a track without measures: whole notes from 0.
Place PlaceWithoutMeasures(int tick) { return {tick / kTicksPerWhole + 1, tick % kTicksPerWhole}; }

// Finds the measure holding a non-negative tick and the tick within it. Past
// the last measure its length is extrapolated; the last measure starts at the
// sum of the earlier steps (startsBySteps) or at the sum of the earlier
// measures' lengths.
Place PlaceTick(TrackCursor& cursor, int tick, bool startsBySteps) {
    const Track& track = *cursor.track;
    if (track.count <= 0) return PlaceWithoutMeasures(tick);
    Seek(cursor, tick, 0);
    const int pos = std::min(cursor.position, track.count - 1);
    const MeasureCount counted = CountMeasures(cursor, pos);
    if (counted.count == 0) return PlaceWithoutMeasures(tick);
    if (!EventAt(track, pos).IsEnd()) return {counted.count, tick - counted.sum};

    int last = pos - 1;
    while (last > 0 && !EventAt(track, last).IsMeasure()) --last;
    const int length = MeasureTrackRuleLength(TimeSignatureOf(EventAt(track, last)));
    const int start = startsBySteps ? TickOfIndex(cursor, last) : counted.sum;
    const int beyond = std::max(tick - start, 0);
    return {ClampToInt(static_cast<std::int64_t>(counted.count) + beyond / length), beyond % length};
}

// Sum of the steps before the track's first end marker.
int EndMarkerTick(const Track& track) {
    std::int64_t tick = 0;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.IsEnd()) break;
        tick += event.Step();
    }
    return ClampToInt(tick);
}

// Longest sounding length (TrackLength) or end-marker tick of the occupied
// slots in [first, last].
int LongestOf(TrackContainers& song, int first, int last, bool byEndMarker) {
    int longest = 0;
    for (int slot = first; slot <= last; ++slot) {
        if (!song.SlotTrack(slot)) continue;
        CursorGuard cursor(song, slot);
        longest = std::max(longest, byEndMarker ? EndMarkerTick(*cursor->track) : TrackLength(*cursor));
    }
    return longest;
}

// The end of the parts: every part slot, the extra parts and slot 272 (never
// filled by this program, so it adds nothing).
int PartsEnd(TrackContainers& song) {
    return std::max(LongestOf(song, kFirstPartSlot, kLastPartSlot, false),
                    LongestOf(song, kFirstEndMarkerSlot, kLastEndMarkerSlot, true));
}

}  // namespace

int MeasureLengthOf(std::uint8_t timeSignature) {
    int denominator = LowNibble(timeSignature) + 1;
    if (denominator == 1) denominator = 2;
    return (HighNibble(timeSignature) + 1) * (kTicksPerWhole / denominator);
}

int MeasureTrackRuleLength(std::uint8_t timeSignature) {
    return (kTicksPerWhole / (LowNibble(timeSignature) + 1)) * (HighNibble(timeSignature) + 1);
}

int MeasureTotalRuleLength(std::uint8_t timeSignature) {
    return (HighNibble(timeSignature) * kTicksPerWhole + kTicksPerWhole) / (LowNibble(timeSignature) + 1);
}

int MeasureToTick(TrackContainers& song, int measure) {
    CursorGuard cursor(song, kMeasureSlot);
    const Track* track = cursor->track;
    if (!track) return 0;
    std::int64_t tick = 0;
    int seen = 0;
    int lastNumber = 0;
    std::int64_t lastStart = 0;
    std::uint8_t lastSignature = kDefaultTimeSignature;
    for (int i = 0; i < track->count; ++i) {
        const TrackEvent& event = EventAt(*track, i);
        if (event.IsEnd()) break;
        if (event.IsMeasure()) {
            if (++seen == measure) return ClampToInt(tick);
            lastSignature = TimeSignatureOf(event);
            lastNumber = seen;
            lastStart = tick;
        }
        tick += event.Step();
    }
    if (seen == 0) return ClampToInt(static_cast<std::int64_t>(kTicksPerWhole) * (measure - 1));
    return ClampToInt(lastStart + static_cast<std::int64_t>(MeasureTrackRuleLength(lastSignature)) *
                                      (static_cast<std::int64_t>(measure) - lastNumber));
}

int TickToMeasure(TrackContainers& song, int tick) {
    if (tick < 0) return 1;
    CursorGuard cursor(song, kMeasureSlot);
    if (!cursor->track) return 0;
    return PlaceTick(*cursor, tick, true).measure;
}

void TickToMeasureAndOffset(TrackContainers& song, int tick, int* measure, int* offset) {
    Place place{1, 0};
    if (tick >= 0) {
        CursorGuard cursor(song, kMeasureSlot);
        if (!cursor->track) return;
        place = PlaceTick(*cursor, tick, false);
    }
    if (measure) *measure = place.measure;
    if (offset) *offset = place.offset;
}

std::uint8_t TimeSignatureAt(TrackContainers& song, int measure) {
    CursorGuard cursor(song, kMeasureSlot);
    const Track* track = cursor->track;
    if (!track || track->count <= 0) return kDefaultTimeSignature;
    const MeasureLocation found = FindMeasure(*cursor, std::max(measure, 1));
    if (found.index >= 0 && EventAt(*track, found.index).IsMeasure()) return TimeSignatureOf(EventAt(*track, found.index));
    for (int i = track->count - 1; i >= 0; --i) {
        if (EventAt(*track, i).IsMeasure()) return TimeSignatureOf(EventAt(*track, i));
    }
    return kDefaultTimeSignature;
}

MeasureCount CountMeasures(TrackCursor& cursor, int index) {
    MeasureCount result;
    if (!cursor.track) return result;
    const Track& track = *cursor.track;
    const int last = std::min(index, track.count - 1);
    std::int64_t sum = 0;
    int previousLength = 0;
    for (int i = 0; i <= last; ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (!event.IsMeasure()) continue;
        sum += previousLength;
        previousLength = MeasureTrackRuleLength(TimeSignatureOf(event));
        ++result.count;
    }
    result.sum = ClampToInt(sum);
    return result;
}

MeasureLocation FindMeasure(TrackCursor& cursor, int measure) {
    MeasureLocation result;
    if (!cursor.track) {
        result.index = -1;
        return result;
    }
    const Track& track = *cursor.track;
    std::int64_t sum = 0;
    int seen = 0;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.IsMeasure()) {
            if (++seen == measure) {
                result.index = i;
                result.sum = ClampToInt(sum);
                return result;
            }
        } else if (!event.IsEnd()) {
            sum += event.Step();
        }
    }
    result.index = track.count - 1;
    result.sum = ClampToInt(sum);
    return result;
}

int MeasureTrackLength(TrackContainers& song, int runningMax) {
    if (!song.SlotTrack(kMeasureSlot)) return runningMax;
    CursorGuard cursor(song, kMeasureSlot);
    const Track& track = *cursor->track;
    std::int64_t total = 0;
    for (int i = 0; i < track.count; ++i) {
        const TrackEvent& event = EventAt(track, i);
        if (event.IsEnd()) break;
        if (event.IsMeasure()) total += MeasureTotalRuleLength(TimeSignatureOf(event));
    }
    return std::max(ClampToInt(total), runningMax);
}

int SongLengthTicks(TrackContainers& song) {
    int longest = PartsEnd(song);
    for (int slot : kSystemLengthSlots) longest = std::max(longest, LongestOf(song, slot, slot, false));
    return MeasureTrackLength(song, longest);
}

int SongEndTick(TrackContainers& song) { return MeasureTrackLength(song, PartsEnd(song)); }

int SongEndMeasure(TrackContainers& song) { return TickToMeasure(song, SongEndTick(song)); }

int LastMeasure(TrackContainers& song) { return SongEndMeasure(song); }

// Songs of this program keep no measure mapping markers.
MappedMeasure MapMeasure(int measure, TrackContainers&) {
    MappedMeasure result;
    result.measure = measure;
    result.valid = measure >= 1;
    return result;
}
