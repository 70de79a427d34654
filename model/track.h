// A track is a contiguous array of 12-byte events in time order, each event
// carrying the step to the next one. Every read and write goes through a
// cursor, which keeps a position, the tick at that position and a target tick,
// and records which event indices changed while it was attached.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/track_event.h"

class TrackContainers;
struct TrackCursor;

// Track change counters (Track::changeCounters).
namespace TrackCounter {
constexpr int kEventsWritten = 0;
constexpr int kCleared = 1;
constexpr int kPayloadF1 = 5;
constexpr int kPayloadEB = 6;
constexpr int kPayloadEA = 7;
constexpr int kPayloadEC = 8;
constexpr int kAny = 9;
constexpr int kCount = 10;
}  // namespace TrackCounter

// Change kinds ORed into TrackCursor::changeFlags and passed to observers.
namespace ChangeKind {
constexpr std::uint32_t kEvents = 0x1;
constexpr std::uint32_t kCleared = 0x4;
constexpr std::uint32_t kLayout = 0x400;  // measure layout or marker list
constexpr std::uint32_t kReservedA = 0x00400000;
constexpr std::uint32_t kReservedB = 0x00800000;
constexpr std::uint32_t kPayloadF1 = 0x01000000;
constexpr std::uint32_t kPayloadEB = 0x02000000;
constexpr std::uint32_t kPayloadEA = 0x04000000;
constexpr std::uint32_t kPayloadEC = 0x08000000;
}  // namespace ChangeKind

constexpr int kTrackInitialCapacity = 5;
constexpr int kTrackGrowStep = 100;

struct Track {
    // Memory behind `events`. It grows geometrically so that appending a
    // million events stays linear; `capacity` still follows the 100-event rule.
    std::vector<TrackEvent> storage;
    TrackEvent* events = nullptr;  // null until the first cursor is attached
    std::int32_t capacity = kTrackInitialCapacity;
    std::int32_t count = 0;
    std::int32_t eventSize = static_cast<std::int32_t>(sizeof(TrackEvent));
    std::int32_t growStep = kTrackGrowStep;
    std::int32_t modified = 0;
    TrackContainers* owner = nullptr;  // borrowed; null for a free-standing track
    std::int32_t slot = -1;
    std::array<std::uint16_t, TrackCounter::kCount> changeCounters{};
    std::uint16_t* partCounters = nullptr;  // borrowed: the part's 12 counters, or null
    TrackCursor* cursors = nullptr;         // attached cursors, in attachment order
};

struct TrackCursor {
    Track* track = nullptr;  // null when closed
    std::int32_t position = 0;
    const TrackEvent* current = nullptr;  // the event last looked at (a cache)
    std::int32_t targetTick = 0;
    std::int32_t positionTick = 0;
    std::uint32_t changeFlags = 0;
    std::int32_t firstChanged = -1;
    std::int32_t lastChanged = -1;
    std::int16_t firstChanged16 = -1;
    std::int16_t lastChanged16 = -1;
    std::uint32_t reserved = 0;
    std::int32_t released = 0;
    TrackCursor* next = nullptr;  // next cursor of the same track
};

// Moves the position to the event whose span holds `tick` (relative = 1: the
// tick is added to the target and the walk continues from the position; a
// negative relative tick restarts from 0). Returns positionTick.
int Seek(TrackCursor& cursor, int tick, int relative);
// Seeks absolutely; pads the track with rests if the tick lies beyond its end
// (tick -1 = the current target). Returns the position.
int SeekOrExtend(TrackCursor& cursor, int tick);
// Moves the target forward by `ticks`, inserting rests where needed.
int AdvanceWithRest(TrackCursor& cursor, int ticks);
// Copies up to n events from the position into `out`; returns the number copied.
int Read(TrackCursor& cursor, TrackEvent* out, int n, bool advance);
// Copies the event at `index` into `out` if the index is inside the track.
void ReadAt(int index, TrackCursor& cursor, TrackEvent& out);
// Stores the event at the position, counting and marking the change.
bool Write(TrackCursor& cursor, const TrackEvent& event, bool advance);
// Stores the event at the position and advances, without counting or marking.
void WriteNext(TrackCursor& cursor, const TrackEvent& event);
// Stores the event at `index` without moving the position.
bool WriteAt(TrackCursor& cursor, int index, const TrackEvent& event);
// n > 0 opens n slots at the position (stale contents), n < 0 removes -n events.
int InsertSlots(TrackCursor& cursor, int n, bool notify);
// Inserts the event at the target tick, padding with rests and keeping
// same-tick arrival order. Returns the stored event's index, or -1.
int InsertAtTime(TrackCursor& cursor, const TrackEvent& event);
// InsertAtTime, then stores `payload` in the kind's pool and writes the entry
// index into the stored event. Returns the stored event's index, or -1.
int InsertWithPayload(int length, TrackCursor& cursor, const TrackEvent& event, const void* payload);
// Appends an end marker unless the last event is one (not counted as a change).
void EnsureEndMarker(TrackCursor& cursor);
// Sum of the steps of events 0 .. min(index, count) - 1.
int TickOfIndex(const TrackCursor& cursor, int index);
int TickOfPosition(const TrackCursor& cursor);
// The tick at which the track's last sound ends (see the rule in track.cpp).
int TrackLength(const TrackCursor& cursor);
// Frees the pool entry the event refers to; false for kinds without payload.
bool ReleasePayload(const TrackEvent& event, TrackCursor& cursor);
// Keeps only a final end marker.
void ClearTrack(Track& track);

// Change bookkeeping shared by the editing operations.
// Raises the events-written and any-change counters of the track and the
// container's track-contents and total counters (nothing for slot 275).
void CountTrackChange(Track& track);
// Widens every attached cursor's changed range to [first, last] (last -1 =
// first), ORs `kind` into their flags and passes the change to the observers.
void MarkChanged(Track& track, int first, int last, std::uint32_t kind);
// Ensures the track's array holds at least `needed` events, following the
// growth rule for `capacity`.
void GrowTrack(Track& track, int needed);

// Returns the event at `index` (no bounds check; callers stay inside count).
inline TrackEvent& EventAt(Track& track, int index) { return track.events[index]; }
inline const TrackEvent& EventAt(const Track& track, int index) { return track.events[index]; }
