// Range operations on a track through a cursor: search by one byte, erase
// into rests (keeping the timing of everything after), merge runs of rests,
// and copy events between tracks together with their payloads.
#pragma once

#include <cstdint>

#include "model/track.h"

// One (byte offset, value) pair an event must match.
struct FindPattern {
    int offset = 2;
    std::uint8_t value = 0;
};

// A tick budget of this value searches without limit.
constexpr std::int32_t kUnlimitedBudget = static_cast<std::int32_t>(0x80000000u);

// Searches forward or backward from the position for an event matching the
// pattern within a tick budget; the position is left on the match.
bool Find(TrackCursor& cursor, FindPattern pattern, std::int32_t budget, bool forward, int* remaining);
// Turns into rests the events that start in (target, target + ticks], or with
// ticks <= 0 those that start exactly at the target.
bool EraseAfter(TrackCursor& cursor, int ticks);
// Turns into rests the events that start in [from, to), splitting steps so
// that event boundaries exist at both ticks.
bool EraseRange(double from, double to, TrackCursor& cursor);
// Normalises runs of rests between the ticks without changing any timing.
void MergeRests(TrackCursor& cursor, int from, int to);
// Overwrites n events at the destination position with events from the source
// position; returns the number copied (0 when the event sizes differ).
int CopyEvents(int n, TrackCursor& destination, TrackCursor& source, bool advanceSource);
// Opens n slots at the destination, copies, and gives every copied payload
// event its own pool entry. Returns the number copied.
int InsertCopies(TrackCursor& destination, TrackCursor& source, int n, bool advanceSource);
