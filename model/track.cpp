// Event storage: the cursor operations on a track's event array.
#include "model/track.h"

#include <algorithm>
#include <cstring>

#include "model/slots.h"
#include "model/track_containers.h"

namespace {

bool AtEnd(const Track& track, int index) {
    return index >= track.count || track.events[index].IsEnd();
}

// Resizes the event array to exactly `newCapacity` events as far as the
// `capacity` field is concerned; the memory underneath grows geometrically.
void ResizeTrackArray(Track& track, int newCapacity) {
    if (static_cast<int>(track.storage.size()) < newCapacity) track.storage.resize(newCapacity);
    track.events = track.storage.data();
    track.capacity = newCapacity;
    if (track.count > newCapacity) track.count = newCapacity;
}

// Inserts rests totalling `ticks` at `index` (1920 each, then the remainder)
// and returns how many events were inserted.
int InsertRests(TrackCursor& cursor, int index, int ticks) {
    if (ticks <= 0) return 0;
    const int full = ticks / kMaxRestStep;
    const int remainder = ticks % kMaxRestStep;
    const int n = full + (remainder != 0 ? 1 : 0);
    cursor.position = index;
    InsertSlots(cursor, n, false);
    Track& track = *cursor.track;
    for (int i = 0; i < full; ++i) track.events[index + i] = MakeEvent(EventKind::kRest, kMaxRestStep);
    if (remainder != 0) {
        track.events[index + full] = MakeEvent(EventKind::kRest, static_cast<std::uint16_t>(remainder));
    }
    return n;
}

// Lets the event before `endIndex` absorb as much of `gap` as keeps its step
// at most 1920; returns what is left.
int AbsorbIntoPrevious(Track& track, int endIndex, int gap) {
    TrackEvent& previous = track.events[endIndex - 1];
    const int combined = previous.Step() + gap;
    if (combined <= kMaxRestStep) {
        previous.SetStep(static_cast<std::uint16_t>(combined));
        return 0;
    }
    const int left = combined - std::max<int>(kMaxRestStep, previous.Step());
    if (previous.Step() < kMaxRestStep) previous.SetStep(kMaxRestStep);
    return left;
}

}  // namespace

void GrowTrack(Track& track, int needed) {
    if (needed <= track.capacity && track.events != nullptr) return;
    const int newCapacity = track.growStep * (needed / track.growStep + 1);
    ResizeTrackArray(track, std::max(newCapacity, track.capacity));
}

void CountTrackChange(Track& track) {
    if (track.slot == kUncountedSlot) return;
    ++track.changeCounters[TrackCounter::kEventsWritten];
    ++track.changeCounters[TrackCounter::kAny];
    if (track.owner != nullptr) track.owner->RaiseCounter(Counter::kTrackContents);
}

void MarkChanged(Track& track, int first, int last, std::uint32_t kind) {
    if (last == -1) last = first;
    for (TrackCursor* c = track.cursors; c != nullptr; c = c->next) {
        if (c->firstChanged == -1 && c->lastChanged == -1) {
            c->firstChanged = first;
            c->lastChanged = last;
        } else {
            c->firstChanged = std::min(c->firstChanged, first);
            c->lastChanged = std::max(c->lastChanged, last);
        }
        c->firstChanged = std::min(c->firstChanged, track.count);
        c->lastChanged = std::min(c->lastChanged, track.count);
        c->changeFlags |= kind;
    }
    if (track.owner != nullptr) track.owner->NotifyTrackChange(track.slot, first, last, kind);
}

int Seek(TrackCursor& cursor, int tick, int relative) {
    const Track& track = *cursor.track;
    int position = 0;
    int running = 0;
    int sought = tick;
    if (relative == 1) {
        sought = cursor.targetTick + tick;
        if (tick >= 0) {
            position = std::min(cursor.position, track.count);
            running = cursor.positionTick;
        }
    }
    while (position < track.count && running < sought) {
        running += track.events[position].Step();
        ++position;
    }
    if (position >= track.count) {
        if (track.count > 0) {
            position = track.count - 1;
            running -= track.events[position].Step();
        }
    } else if (running > sought && position > 0) {
        --position;
        running -= track.events[position].Step();
    }
    cursor.position = position;
    cursor.positionTick = running;
    cursor.targetTick = sought;
    cursor.current = position < track.count ? &track.events[position] : nullptr;
    return running;
}

int SeekOrExtend(TrackCursor& cursor, int tick) {
    Track& track = *cursor.track;
    const int remembered = cursor.position;
    if (tick == -1) tick = cursor.targetTick;
    Seek(cursor, tick, 0);
    const int end = cursor.position;
    if (end >= track.count || cursor.positionTick >= tick || !track.events[end].IsEnd()) return end;

    int gap = tick - cursor.positionTick;
    if (end > 1) gap = AbsorbIntoPrevious(track, end, gap);
    const int inserted = InsertRests(cursor, end, gap);
    cursor.position = end + inserted;
    cursor.targetTick = tick;
    cursor.positionTick = tick;
    track.modified = 1;
    CountTrackChange(track);
    MarkChanged(track, std::min(remembered, end), cursor.position, ChangeKind::kEvents);
    return cursor.position;
}

int AdvanceWithRest(TrackCursor& cursor, int ticks) {
    Track& track = *cursor.track;
    // Standing on the end marker, or past it after reading to the end: the
    // time goes in front of the end marker, which stays last.
    const bool pastEndMarker = cursor.position >= track.count && track.count > 0 && AtEnd(track, track.count - 1);
    if (pastEndMarker || (cursor.position < track.count && track.events[cursor.position].IsEnd())) {
        return SeekOrExtend(cursor, cursor.targetTick + ticks);
    }
    const int first = cursor.position;
    if (cursor.position < track.count && cursor.positionTick < cursor.targetTick) {
        TrackEvent& spanning = track.events[cursor.position];
        const int kept = cursor.targetTick - cursor.positionTick;
        ticks += spanning.Step() - kept;
        spanning.SetStep(static_cast<std::uint16_t>(kept));
        ++cursor.position;
        cursor.positionTick = cursor.targetTick;
    }
    if (ticks > 0) {
        const int at = cursor.position;
        cursor.position = at + InsertRests(cursor, at, ticks);
        cursor.targetTick += ticks;
        cursor.positionTick += ticks;
    }
    track.modified = 1;
    CountTrackChange(track);
    MarkChanged(track, first, cursor.position, ChangeKind::kEvents);
    return cursor.position;
}

int Read(TrackCursor& cursor, TrackEvent* out, int n, bool advance) {
    const Track& track = *cursor.track;
    const int available = std::max(0, track.count - cursor.position);
    const int copied = std::max(0, std::min(n, available));
    if (copied > 0) std::memcpy(out, &track.events[cursor.position], sizeof(TrackEvent) * copied);
    if (advance) cursor.position += copied;
    return copied;
}

void ReadAt(int index, TrackCursor& cursor, TrackEvent& out) {
    const Track& track = *cursor.track;
    if (index >= 0 && index < track.count) {
        out = track.events[index];
        cursor.current = &track.events[index];
    }
}

bool WriteAt(TrackCursor& cursor, int index, const TrackEvent& event) {
    Track& track = *cursor.track;
    if (index < 0) return false;
    GrowTrack(track, index + 1);
    track.count = std::max(track.count, index + 1);
    track.events[index] = event;
    track.modified = 1;
    CountTrackChange(track);
    MarkChanged(track, index, index, ChangeKind::kEvents);
    return true;
}

bool Write(TrackCursor& cursor, const TrackEvent& event, bool advance) {
    const int at = cursor.position;
    if (!WriteAt(cursor, at, event)) return false;
    if (advance) cursor.position = at + 1;
    return true;
}

void WriteNext(TrackCursor& cursor, const TrackEvent& event) {
    Track& track = *cursor.track;
    GrowTrack(track, cursor.position + 1);
    track.count = std::max(track.count, cursor.position + 1);
    track.events[cursor.position] = event;
    ++cursor.position;
    track.modified = 1;
}

int InsertSlots(TrackCursor& cursor, int n, bool notify) {
    Track& track = *cursor.track;
    const int position = cursor.position;
    const int following = track.count - position;
    if (n > 0) {
        GrowTrack(track, track.count + n);
        if (following > 0) {
            std::memmove(&track.events[position + n], &track.events[position], sizeof(TrackEvent) * following);
        }
        track.count += n;
    } else if (n < 0 && following > 0) {
        const int removed = -n;
        if (following < removed) {
            track.count = position;
        } else {
            std::memmove(&track.events[position], &track.events[position + removed],
                         sizeof(TrackEvent) * (following - removed));
            track.count -= removed;
        }
    }
    track.modified = 1;
    if (notify) {
        CountTrackChange(track);
        MarkChanged(track, position, track.count, ChangeKind::kEvents);
    }
    return track.count;
}

int InsertAtTime(TrackCursor& cursor, const TrackEvent& event) {
    Track& track = *cursor.track;
    if (event.IsEnd()) return -1;
    if (event.IsRest()) {
        cursor.targetTick += event.Step();
        return -1;
    }
    // Nothing can start before the track does: a target before tick 0 stores
    // the event at tick 0 rather than cutting a negative span.
    const int target = std::max(cursor.targetTick, 0);

    // Start from the position, or from the beginning when the position lies
    // after the target or outside the track.
    int position = cursor.position;
    int positionTick = cursor.positionTick;
    if (position > track.count - 1 || position < 0 || positionTick > target) {
        position = std::clamp(position, 0, std::max(track.count - 1, 0));
        positionTick = TickOfIndex(cursor, position);
        if (positionTick > target) {
            position = 0;
            positionTick = 0;
        }
    }
    while (!AtEnd(track, position) && target >= positionTick + track.events[position].Step()) {
        positionTick += track.events[position].Step();
        ++position;
    }

    int firstChanged = position;
    int stored = -1;
    if (AtEnd(track, position)) {
        // Pad up to the target: the event before the end marker absorbs what
        // it can, the rest becomes rests in front of the end marker.
        int gap = target - positionTick;
        if (gap > 0) {
            if (position > 0) {
                gap = AbsorbIntoPrevious(track, position, gap);
                firstChanged = position - 1;
            }
            position += InsertRests(cursor, position, gap);
        }
        positionTick = target;
    }

    if (positionTick == target) {
        // Events given for one tick keep their arrival order: skip the
        // same-tick group to its last event.
        while (!AtEnd(track, position) && track.events[position].Step() == 0) ++position;
        if (AtEnd(track, position)) {
            cursor.position = position;
            InsertSlots(cursor, 1, false);
            track.events[position] = event;
            stored = position;
        } else if (track.events[position].IsRest()) {
            const std::uint16_t step = track.events[position].Step();
            track.events[position] = event;
            track.events[position].SetStep(step);
            stored = position;
        } else {
            const std::uint16_t step = track.events[position].Step();
            track.events[position].SetStep(0);
            cursor.position = position + 1;
            InsertSlots(cursor, 1, false);
            track.events[position + 1] = event;
            track.events[position + 1].SetStep(step);
            stored = position + 1;
        }
    } else {
        // The event at the position spans the target: split its span.
        const int step = track.events[position].Step();
        const int kept = target - positionTick;
        track.events[position].SetStep(static_cast<std::uint16_t>(kept));
        cursor.position = position + 1;
        InsertSlots(cursor, 1, false);
        track.events[position + 1] = event;
        track.events[position + 1].SetStep(static_cast<std::uint16_t>(step - kept));
        stored = position + 1;
    }

    cursor.position = stored;
    cursor.positionTick = target;
    cursor.current = &track.events[stored];
    cursor.targetTick = target + event.Step();
    track.modified = 1;
    CountTrackChange(track);
    MarkChanged(track, std::min(firstChanged, stored), stored, ChangeKind::kEvents);
    return stored;
}

int InsertWithPayload(int length, TrackCursor& cursor, const TrackEvent& event, const void* payload) {
    const int stored = InsertAtTime(cursor, event);
    if (stored < 0) return stored;
    Track& track = *cursor.track;
    TrackEvent& placed = track.events[stored];
    int at = 0;
    if (PayloadIndexOffset(placed.Kind(), placed.Offset(), at)) {
        const std::uint16_t index = AddEventPayload(cursor, placed.Kind(), payload, length);
        track.events[stored].SetU16(at, index);
    }
    CountTrackChange(track);
    MarkChanged(track, stored, stored, ChangeKind::kEvents);
    return stored;
}

void EnsureEndMarker(TrackCursor& cursor) {
    Track& track = *cursor.track;
    if (track.count > 0 && track.events[track.count - 1].IsEnd()) return;
    cursor.position = track.count;
    InsertSlots(cursor, 1, false);
    WriteNext(cursor, MakeEvent(EventKind::kEnd));
}

int TickOfIndex(const TrackCursor& cursor, int index) {
    const Track& track = *cursor.track;
    const int last = std::min(index, track.count);
    int tick = 0;
    for (int i = 0; i < last; ++i) tick += track.events[i].Step();
    return tick;
}

int TickOfPosition(const TrackCursor& cursor) { return TickOfIndex(cursor, cursor.position); }

int TrackLength(const TrackCursor& cursor) {
    const Track& track = *cursor.track;
    const int last = std::max(track.count - 2, 0);
    const int base = TickOfIndex(cursor, last);
    if (track.count < 2) return base;
    // Notes are at most 1921 ticks long, so only the last stretch can hold
    // the note that sounds longest.
    constexpr int kLongestGate = kTicksPerWhole + 1;
    int longest = 0;
    int tick = base;
    for (int i = last; i >= 0 && tick >= 0 && tick + kLongestGate >= base;) {
        const TrackEvent& ev = track.events[i];
        if (ev.Kind() >= 1 && ev.Kind() <= EventKind::kNoteLast) longest = std::max(longest, tick + ev.Gate());
        if (--i >= 0) tick -= track.events[i].Step();
    }
    return (longest > base && longest > 1) ? longest - 1 : base;
}

void ClearTrack(Track& track) {
    if (track.count > 0) {
        if (track.events[track.count - 1].IsEnd()) {
            track.events[0] = track.events[track.count - 1];
            track.count = 1;
        } else {
            track.count = 0;
        }
        CountTrackChange(track);
        MarkChanged(track, 0, track.count, ChangeKind::kEvents);
    }
    if (track.slot != kUncountedSlot) {
        ++track.changeCounters[TrackCounter::kCleared];
        ++track.changeCounters[TrackCounter::kAny];
        if (track.owner != nullptr) track.owner->RaiseCounter(Counter::kTrackContents);
    }
    constexpr std::int16_t kClearedFirst = 1;
    constexpr std::int16_t kClearedLast = 999;
    for (TrackCursor* c = track.cursors; c != nullptr; c = c->next) {
        if (c->firstChanged16 == -1 && c->lastChanged16 == -1) {
            c->firstChanged16 = kClearedFirst;
            c->lastChanged16 = kClearedLast;
        } else {
            c->firstChanged16 = std::min(c->firstChanged16, kClearedFirst);
            c->lastChanged16 = std::max(c->lastChanged16, kClearedLast);
        }
        c->changeFlags |= ChangeKind::kCleared;
    }
    if (track.owner != nullptr) {
        const Selection& selection = track.owner->SelectionRecord();
        if (selection.Exists() && selection.SlotBit(track.slot) && selection.firstSlot == selection.lastSlot) {
            track.owner->ClearSelection();
        }
    }
}
