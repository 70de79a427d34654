// Range operations on a track: search by one byte, erase into rests, merge
// runs of rests, and copy events (with their payloads) between tracks.
#include "model/track_editing.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/data_pool.h"
#include "model/track_containers.h"

namespace {

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// Puts the cursor on an existing event (the last one when it stands past the
// end) and keeps positionTick the tick of that event. False for an empty track.
bool ClampPosition(TrackCursor& cursor) {
    const Track& track = *cursor.track;
    if (track.count <= 0) return false;
    if (cursor.position < 0 || cursor.position >= track.count) {
        cursor.position = std::clamp(cursor.position, 0, track.count - 1);
        cursor.positionTick = TickOfIndex(cursor, cursor.position);
    }
    return true;
}

// Index just past the group of events that start at the same tick as event i.
int SameTickGroupEnd(const Track& track, int i) {
    while (i < track.count && EventAt(track, i).Step() == 0) ++i;
    return std::min(i + 1, track.count);
}

// Turns the events of [first, end) into rests of the same step, releasing
// their payloads; end markers stay. Marks the change; false when none was erased.
bool EraseIntoRests(TrackCursor& cursor, int first, int end) {
    Track& track = *cursor.track;
    end = std::min(end, track.count);
    int lowest = -1;
    int highest = -1;
    for (int i = std::max(first, 0); i < end; ++i) {
        const TrackEvent event = EventAt(track, i);
        if (event.IsEnd()) continue;
        ReleasePayload(event, cursor);
        EventAt(track, i) = MakeEvent(EventKind::kRest, event.Step());
        if (lowest < 0) lowest = i;
        highest = i;
    }
    if (lowest < 0) return false;
    track.modified = 1;
    CountTrackChange(track);
    MarkChanged(track, lowest, highest, ChangeKind::kEvents);
    return true;
}

// Makes an event boundary at `tick`: an event spanning it is cut there and a
// rest carrying the rest of its span is inserted after it. Returns the index
// of the first event that starts at or after the tick.
int SplitAt(TrackCursor& cursor, int tick) {
    Seek(cursor, tick, 0);
    Track& track = *cursor.track;
    const int pos = cursor.position;
    if (pos >= track.count || cursor.positionTick >= tick) return pos;
    TrackEvent event = EventAt(track, pos);
    const int start = cursor.positionTick;
    const int spanEnd = start + event.Step();
    if (event.IsEnd()) return pos;
    if (spanEnd <= tick) return pos + 1;
    event.SetStep(static_cast<std::uint16_t>(tick - start));
    WriteAt(cursor, pos, event);
    cursor.position = pos + 1;
    InsertSlots(cursor, 1, true);
    Write(cursor, MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(spanEnd - tick)), false);
    cursor.positionTick = tick;
    return pos + 1;
}

// Inserts `ticks` of rests (1920 at most each) at the position and moves past them.
void InsertRests(TrackCursor& cursor, int ticks) {
    const int rests = ticks / kMaxRestStep + (ticks % kMaxRestStep != 0 ? 1 : 0);
    if (rests == 0) return;
    InsertSlots(cursor, rests, true);
    for (int i = 0; i < ticks / kMaxRestStep; ++i) WriteNext(cursor, MakeEvent(EventKind::kRest, kMaxRestStep));
    if (ticks % kMaxRestStep != 0) {
        WriteNext(cursor, MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(ticks % kMaxRestStep)));
    }
}

int StepSum(const Track& track, int first, int n) {
    std::int64_t sum = 0;
    for (int i = first; i < first + n; ++i) sum += EventAt(track, i).Step();
    return ClampToInt(sum);
}

// Bookkeeping after n events were stored at `at` of the destination: the
// change is counted and marked, the destination moves past them and the
// source too when asked.
void FinishCopy(TrackCursor& destination, TrackCursor& source, int at, int n, bool advanceSource) {
    Track& track = *destination.track;
    const int ticks = StepSum(track, at, n);
    track.modified = 1;
    CountTrackChange(track);
    MarkChanged(track, at, at + n - 1, ChangeKind::kEvents);
    destination.position = at + n;
    destination.positionTick += ticks;
    if (advanceSource && &source != &destination) {
        source.position += n;
        source.positionTick += ticks;
    }
}

// Gives every payload-carrying event of [at, at + n) its own entry, copied
// from the source container's pool. An entry that cannot be copied leaves the
// event referring to no entry rather than sharing someone else's.
void DuplicatePayloads(TrackCursor& destination, const Track& source, int at, int n) {
    Track& track = *destination.track;
    if (!track.owner || !source.owner) return;
    for (int i = at; i < at + n; ++i) {
        const TrackEvent event = EventAt(track, i);
        int field = 0;
        if (!PayloadIndexOffset(event.Kind(), event.Offset(), field)) continue;
        const DataPool* pool = source.owner->PoolForKind(event.Kind());
        int newIndex = kPoolNoEntry;
        if (!pool || !DuplicatePayload(destination, event.Kind(), event.U16(field), newIndex, pool)) {
            newIndex = kPoolNoEntry;
        }
        EventAt(track, i).SetU16(field, static_cast<std::uint16_t>(newIndex));
    }
}

void CopyRecords(TrackEvent* to, const TrackEvent* from, int n) {
    std::memmove(static_cast<void*>(to), static_cast<const void*>(from), sizeof(TrackEvent) * static_cast<std::size_t>(n));
}

bool Matches(const TrackEvent& event, FindPattern pattern) { return event.bytes[pattern.offset] == pattern.value; }

}  // namespace

bool Find(TrackCursor& cursor, FindPattern pattern, std::int32_t budget, bool forward, int* remaining) {
    const bool unlimited = budget == kUnlimitedBudget;
    std::int64_t left = budget;
    auto finish = [&](bool found) {
        if (remaining) *remaining = ClampToInt(std::max<std::int64_t>(left, 0));
        return found;
    };
    if (pattern.offset < 0 || pattern.offset >= static_cast<int>(sizeof(TrackEvent))) return finish(false);
    if (!unlimited && budget < 0) return finish(false);
    if (!cursor.track || !ClampPosition(cursor)) return finish(false);
    const Track& track = *cursor.track;
    int pos = cursor.position;
    std::int64_t tick = cursor.positionTick;

    bool found = false;
    if (forward) {
        for (;;) {
            const TrackEvent& event = EventAt(track, pos);
            if (Matches(event, pattern)) {
                found = true;
                break;
            }
            if (!unlimited) {
                left -= event.Step();
                if (left < 1) break;
            }
            if (pos + 1 >= track.count) break;  // ran off the end: stay on the last event
            tick += event.Step();
            ++pos;
        }
    } else {
        if (!unlimited) left += EventAt(track, pos).Step();
        for (;;) {
            const TrackEvent& event = EventAt(track, pos);
            if (!unlimited) {
                left -= event.Step();
                if (left < 0) break;
            }
            if (Matches(event, pattern)) {
                found = true;
                break;
            }
            if (pos == 0) break;
            --pos;
            tick -= EventAt(track, pos).Step();
        }
    }
    cursor.position = pos;
    cursor.positionTick = ClampToInt(tick);
    return finish(found);
}

bool EraseAfter(TrackCursor& cursor, int ticks) {
    if (!cursor.track || !ClampPosition(cursor)) return false;
    Track& track = *cursor.track;
    const int entry = cursor.position;
    if (EventAt(track, entry).IsEnd()) {
        Seek(cursor, ticks, 1);
        return false;
    }
    const int target = cursor.targetTick;
    const bool startsAtTarget = cursor.positionTick == target;
    int first = startsAtTarget ? entry : entry + 1;
    int end = 0;
    if (ticks > 0) {
        // The events at the target itself stay; erasing starts after them.
        if (startsAtTarget) first = SameTickGroupEnd(track, entry);
        Seek(cursor, ticks, 1);
        end = cursor.position;
        if (cursor.positionTick < cursor.targetTick) {
            end += 1;
        } else {
            end = SameTickGroupEnd(track, end);
        }
    } else {
        end = startsAtTarget ? SameTickGroupEnd(track, entry) : entry + 1;
    }
    const bool erased = EraseIntoRests(cursor, first, end);
    // Back to the entry event; the target keeps the value of the seek.
    cursor.position = entry;
    cursor.positionTick = TickOfIndex(cursor, entry);
    return erased;
}

bool EraseRange(double from, double to, TrackCursor& cursor) {
    if (!cursor.track || cursor.track->count <= 0) return false;
    if (std::isnan(from) || std::isnan(to)) return false;
    const int fromTick = static_cast<int>(std::clamp(std::trunc(from), 0.0, static_cast<double>(INT_MAX)));
    const int toTick = static_cast<int>(std::clamp(std::trunc(to), 0.0, static_cast<double>(INT_MAX)));
    if (fromTick >= toTick) return false;
    const int first = SplitAt(cursor, fromTick);
    const int end = SplitAt(cursor, toTick);
    return EraseIntoRests(cursor, first, end);
}

void MergeRests(TrackCursor& cursor, int from, int to) {
    if (!cursor.track || cursor.track->count <= 0) return;
    Track& track = *cursor.track;
    Seek(cursor, std::max(from - kMaxRestStep, 0), 0);
    int pos = cursor.position;
    std::int64_t tick = cursor.positionTick;
    while (pos < track.count && tick < to) {
        const TrackEvent event = EventAt(track, pos);
        if (event.IsEnd()) break;
        if (!event.IsRest()) {
            tick += event.Step();
            ++pos;
            continue;
        }
        int runEnd = pos;
        std::int64_t runTicks = 0;
        while (runEnd < track.count && EventAt(track, runEnd).IsRest()) runTicks += EventAt(track, runEnd++).Step();
        cursor.position = pos;
        InsertSlots(cursor, -(runEnd - pos), true);
        std::int64_t left = runTicks;
        if (pos > 0) {
            TrackEvent& previous = EventAt(track, pos - 1);
            const int room = kMaxRestStep - previous.Step();
            if (room > 0 && left > 0) {
                const int taken = static_cast<int>(std::min<std::int64_t>(room, left));
                previous.SetStep(static_cast<std::uint16_t>(previous.Step() + taken));
                left -= taken;
                MarkChanged(track, pos - 1, pos - 1, ChangeKind::kEvents);
            }
        }
        cursor.position = pos;
        InsertRests(cursor, ClampToInt(left));
        pos = cursor.position;
        tick += runTicks;
    }
    cursor.position = pos;
    cursor.positionTick = ClampToInt(tick);
    cursor.targetTick = cursor.positionTick;
}

namespace {

// Cuts n to the events left after the source position (0 when the tracks
// cannot be copied between) and returns where the copies go.
int CopyDestination(const TrackCursor& destination, const TrackCursor& source, int& n) {
    const Track* to = destination.track;
    const Track* from = source.track;
    if (!to || !from || to->eventSize != from->eventSize || source.position < 0) {
        n = 0;
        return 0;
    }
    n = std::min(n, from->count - source.position);
    return std::clamp(destination.position, 0, to->count);
}

}  // namespace

int CopyEvents(int n, TrackCursor& destination, TrackCursor& source, bool advanceSource) {
    const int at = CopyDestination(destination, source, n);
    if (n <= 0) return 0;
    Track* to = destination.track;
    Track* from = source.track;
    GrowTrack(*to, at + n);
    to->count = std::max(to->count, at + n);
    CopyRecords(to->events + at, from->events + source.position, n);
    FinishCopy(destination, source, at, n, advanceSource);
    return n;
}

int InsertCopies(TrackCursor& destination, TrackCursor& source, int n, bool advanceSource) {
    // Only as many slots are opened as there are events to fill them.
    const int at = CopyDestination(destination, source, n);
    if (n <= 0) return 0;
    Track* to = destination.track;
    Track* from = source.track;
    destination.position = at;
    if (to == from) {
        // Opening slots in the source track would shift the events being copied.
        const std::vector<TrackEvent> copies(from->events + source.position, from->events + source.position + n);
        InsertSlots(destination, n, true);
        CopyRecords(to->events + at, copies.data(), n);
        FinishCopy(destination, source, at, n, advanceSource);
    } else {
        InsertSlots(destination, n, true);
        CopyEvents(n, destination, source, advanceSource);
    }
    DuplicatePayloads(destination, *from, at, n);
    CountTrackChange(*to);
    MarkChanged(*to, at, at + n - 1, ChangeKind::kEvents);
    return n;
}
