// A container of 276 track slots: tracks are created when a cursor is opened
// on an empty slot and freed when the last cursor closes on an empty,
// unmodified track. The container owns the payload pools, the marker list,
// the selection, the change counters and the observer list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "model/data_pool.h"
#include "model/marker_list.h"
#include "model/slots.h"
#include "model/track.h"
#include "platform/critical_section.h"

// Indexes of the container's 21 change counters.
namespace Counter {
constexpr int kEditPosition = 0;
constexpr int kSelection = 1;
constexpr int kMarkers = 2;
constexpr int kReserved3 = 3;
constexpr int kAllTracks = 4;
constexpr int kSongAttributes = 5;
constexpr int kSongStrings = 6;
constexpr int kTotal = 12;
constexpr int kTrackContents = 13;
constexpr int kPartAttributes = 14;
constexpr int kResetA = 15;
constexpr int kResetB = 16;
constexpr int kResetC = 17;
constexpr int kSongBytes = 18;
constexpr int kSongWord = 19;
constexpr int kPartChannel = 20;
constexpr int kCount = 21;
}  // namespace Counter

// Part attribute kinds passed to part notifications.
namespace PartAttribute {
constexpr std::uint32_t kName = 0x8000;
constexpr std::uint32_t kChannel = 0x20000;
constexpr std::uint32_t kShortName = 0x40000;
}  // namespace PartAttribute

// The container's payload pools, one per payload-carrying event kind.
enum class PoolId { kText = 0, kF1, kFE, kUnused, kEC, kEB, kEA, kCount };

constexpr int kPartCounterEntries = 12;  // u16 counters per part entry (24 bytes)

struct Selection {
    std::uint8_t active = 0;
    std::uint8_t mode = 0;  // 2: range within one slot, 3: range over several slots
    std::array<std::uint8_t, 36> slotBits{};  // bit set of 276 slots
    std::int16_t firstSlot = -1;
    std::int16_t lastSlot = -1;
    std::int32_t fromTick = -1;
    std::int32_t toTick = -1;  // -1: whole track
    std::int32_t firstIndex = -1;
    std::int32_t lastIndex = -1;
    std::uint32_t options = 0;
    std::int16_t extraA = -1;
    std::int16_t extraB = -1;

    bool SlotBit(int slot) const { return (slotBits[slot / 8] >> (slot % 8)) & 1; }
    void SetSlotBit(int slot) { slotBits[slot / 8] |= static_cast<std::uint8_t>(1 << (slot % 8)); }
    bool Exists() const { return active && mode && ValidSlot(firstSlot) && ValidSlot(lastSlot); }
    static bool ValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }
};

// What ExportSelection hands out.
struct SelectionExport {
    std::uint8_t active = 0;
    std::uint8_t mode = 0;
    std::array<std::uint8_t, 276> slots{};  // one byte per slot
    std::int16_t firstSlot = -1;
    std::int16_t lastSlot = -1;
    std::int32_t fromTick = -1;
    std::int32_t toTick = -1;
    std::int32_t firstIndex = -1;
    std::int32_t lastIndex = -1;
    std::int16_t extraA = -1;
    std::int16_t extraB = -1;
    std::array<std::uint8_t, 4> lyricOptions{};
};

// Pairs of (low, high) slot or part ranges an observer collects, in order.
namespace ObserverPair {
constexpr int kEvents = 0;
constexpr int kClearedOrLayout = 1;
constexpr int kPartKind1000 = 2;  // part attribute kinds 0x1000 .. 0x200000 follow
constexpr int kAnyPartAttribute = 12;
constexpr int kPayload400000 = 13;  // payload kinds 0x400000 .. 0x8000000 follow
constexpr int kCount = 19;
}  // namespace ObserverPair

// An observer's record of what changed; owned by the observer.
struct SongObserver {
    TrackContainers* owner = nullptr;
    SongObserver* next = nullptr;
    std::array<std::int32_t, 276> firstIndex{};
    std::array<std::int32_t, 276> lastIndex{};
    std::array<std::int16_t, 276> firstRange16{};
    std::array<std::int16_t, 276> lastRange16{};
    std::array<std::array<std::int16_t, 2>, ObserverPair::kCount> pairs{};
};

// Closes a cursor and forgets the track; frees the track when it is left empty
// and unmodified with no other cursor. Safe on a cursor that is not attached.
void CloseCursor(TrackCursor& cursor);

// Deleter for cursors allocated by NewCursor: closes, then deletes.
struct CursorCloser {
    void operator()(TrackCursor* cursor) const {
        CloseCursor(*cursor);
        delete cursor;
    }
};
using OwnedCursor = std::unique_ptr<TrackCursor, CursorCloser>;

class TrackContainers {
public:
    TrackContainers(int isSong, int hasPartTable);
    virtual ~TrackContainers();
    TrackContainers(const TrackContainers&) = delete;
    TrackContainers& operator=(const TrackContainers&) = delete;

    // Virtual slot 0: clears all tracks, pools, the selection and the markers.
    virtual void Clear();
    // Virtual slot 1: nothing for plain containers.
    virtual void MarkModified() {}
    // Virtual slot 2: the container's attribute word.
    virtual int GetAttribute() { return 4; }

    // Attaches a caller-owned cursor to the slot, creating the track if the
    // slot is empty (a new song track gets its end marker silently). Returns 1.
    int OpenCursor(TrackCursor& cursor, int slot);
    // The same with a cursor the container allocates; closed when released.
    OwnedCursor NewCursor(int slot);
    // Resets every track's modified flag and frees tracks left empty.
    void Prune();

    void AttachObserver(SongObserver& observer);
    static void DetachObserver(SongObserver& observer);

    // Removes the selection marks from the events and resets the selection.
    void ClearSelection();
    bool SelectionIncludes(const Track& track) const;
    bool ExportSelection(SelectionExport& out) const;

    // Raises counter `index` and the total counter by one.
    void RaiseCounter(int index);
    std::uint16_t CounterValue(int index) const { return counters_[index]; }
    const std::array<std::uint16_t, Counter::kCount>& Counters() const { return counters_; }

    // The track in a slot, or null.
    Track* SlotTrack(int slot) const { return slots_[slot].get(); }
    DataPool& Pool(PoolId id) { return pools_[static_cast<int>(id)]; }
    const DataPool& Pool(PoolId id) const { return pools_[static_cast<int>(id)]; }
    // The pool of a payload-carrying event kind, or null.
    DataPool* PoolForKind(std::uint8_t kind);

    MarkerList& Markers() { return markers_; }
    // Inserts a marker, with its counters and the layout notification.
    void InsertMarker(std::int16_t kind, std::int16_t subKind, std::int32_t value, const std::string& text);
    // Frees the marker list, with its counters and the layout notification.
    void FreeMarkers();
    Selection& SelectionRecord() { return selection_; }

    // Notifications raised by the track operations.
    void NotifyTrackChange(int slot, int first, int last, std::uint32_t kind);
    void NotifyLayout(int first, int last);
    void NotifyPartAttribute(int part, std::uint32_t kind);
    // The counters of part p (12 x u16), or null without a part table.
    std::uint16_t* PartCounters(int part);

    int isSong() const { return isSong_; }
    int hasPartTable() const { return hasPartTable_; }
    int noEndMarkerSlot() const { return noEndMarkerSlot_; }
    std::uint8_t modifiedFlag = 0;

protected:
    void ClearSelectionRecord();
    int isSong_;
    int hasPartTable_;
    int noEndMarkerSlot_ = kNoEndMarkerSlot;

private:
    std::array<std::unique_ptr<Track>, kSlotCount> slots_;
    std::array<DataPool, static_cast<int>(PoolId::kCount)> pools_;
    MarkerList markers_;
    Selection selection_;
    std::array<std::uint16_t, Counter::kCount> counters_{};
    SongObserver* observers_ = nullptr;
    std::unique_ptr<std::uint16_t[]> partCounters_;  // 265 x 12, when hasPartTable
    CCriticalSection lock_;

    friend void CloseCursor(TrackCursor& cursor);
};

// Opens a cursor on a slot for the guard's lifetime and closes it on every path.
class CursorGuard {
public:
    CursorGuard(TrackContainers& container, int slot) { container.OpenCursor(cursor_, slot); }
    ~CursorGuard() { CloseCursor(cursor_); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;
    TrackCursor& operator*() { return cursor_; }
    TrackCursor* operator->() { return &cursor_; }
    TrackCursor& Get() { return cursor_; }

private:
    TrackCursor cursor_;
};

// The application's third container: constructed and destroyed, never filled.
class CCPTrackContainers : public TrackContainers {
public:
    CCPTrackContainers();
    void Clear() override;

private:
    void ResetOwnFields();
    std::array<std::uint8_t, kSlotCount> bytes_{};
    std::array<std::int16_t, kSlotCount> shorts_{};
    std::array<std::int32_t, kSlotCount> ints_{};
    std::uint8_t u8_ = 0;
    std::int16_t i16_ = 0;
    std::array<std::int32_t, 3> minusOnes_{-1, -1, -1};
};
