// The event writer: turns time-stamped MIDI messages into track events. Notes
// are paired into one event with a gate, every event is stored on a time grid
// with the remainder kept as its signed offset, and notes held longer than
// the maximum gate are split into tied pieces.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "model/slots.h"
#include "model/track.h"

// One message for the writer: bits 0-7 the status with the channel bits
// cleared, bits 8-15 data 1, bits 16-23 data 2; for exclusive messages and
// 0xF6 bits 16-31 hold a 16-bit value; for the tempo slot the whole word is
// the tempo in BPM x 100.
struct WriterMessage {
    std::uint32_t value = 0;
    int slot = 0;

    // A channel message (status 0x80-0xE0) or a placeholder (0xF8) for a slot.
    static WriterMessage Channel(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, int slot);
    // An exclusive message referring to entry `index` of the song's table.
    static WriterMessage Exclusive(std::uint16_t index, int slot);
    // A tempo change (BPM x 100) for the tempo track.
    static WriterMessage Tempo(std::int32_t tempo);

    std::uint8_t Status() const { return static_cast<std::uint8_t>(value); }
    std::uint8_t Data1() const { return static_cast<std::uint8_t>(value >> 8); }
    std::uint8_t Data2() const { return static_cast<std::uint8_t>(value >> 16); }
    std::uint16_t High16() const { return static_cast<std::uint16_t>(value >> 16); }
};

// Notes held longer than this many ticks are split (one 4/4 measure).
constexpr int kDefaultMaxGate = 1920;
constexpr int kDefaultGrid = 120;
// Gate a note carries while its note-off has not come yet.
constexpr std::uint16_t kOpenNoteGate = 400;
constexpr std::int32_t kNoTimeLimit = 0x7FFFFFFF;

class ToQ2 {
public:
    ToQ2();
    virtual ~ToQ2() = default;
    ToQ2(const ToQ2&) = delete;
    ToQ2& operator=(const ToQ2&) = delete;

    // The stop operation. The writer only forgets its cursors (they are
    // borrowed); an engine deriving from it closes them first.
    virtual void StopPlay();

    // Lends the writer a cursor for a slot (null: the slot is not written).
    // The caller keeps ownership and must keep it open while it is set.
    void SetCursor(int slot, TrackCursor* cursor) { writeCursors_[slot] = cursor; }
    TrackCursor* Cursor(int slot) const { return writeCursors_[slot]; }
    // Forgets every cursor.
    void ForgetCursors() { writeCursors_.fill(nullptr); }

    // Starts a new pass: exact mode off, every slot's last tick and touched
    // mark cleared, current time 0, no time limit, no pending notes.
    void BeginWriting();
    // Writes one message at `time` into the message's slot; held notes due
    // before `time` are split first. Messages for slots without a cursor
    // are ignored.
    void WriteMessage(const WriterMessage& message, int time);
    // Stores an event into a slot at the current time, on the grid (or
    // exactly, in exact mode). Returns the stored event's index; 0 for an
    // empty event, a slot without cursor or an event past the limit; -1 for
    // a rest, which only moves the slot's target.
    int PutEvent(const TrackEvent& event, int slot);
    // Splits every pending note whose maximum gate ends before `time`.
    void FlushHeldNotes(int time);
    // Closes every pending note at the current time; the entries stay until
    // the next BeginWriting.
    void CloseHeldNotes();

    void SetGrid(int grid) { writeGrid_ = grid > 0 ? grid : 1; }
    int Grid() const { return writeGrid_; }
    // Exact mode stores every event at its own tick with `offset` as its
    // offset byte.
    void SetExactMode(bool exact) { exactMode_ = exact ? 1 : 0; }
    bool ExactMode() const { return exactMode_ != 0; }
    void SetExactOffset(std::int8_t offset) { exactOffset_ = offset; }
    // Positions are kept below this tick (outside exact mode).
    void SetTimeLimit(std::int32_t limit) { writeLimit_ = limit; }
    // Lets PutEvent store at most `events` more events; it refuses the ones
    // after them, and held notes are then no longer split.
    void SetEventLimit(std::int64_t events) {
        eventsLeft_ = events;
        limitReached_ = false;
    }
    // True once an event was refused for the limit.
    bool EventLimitReached() const { return limitReached_; }
    void SetMaxGate(int ticks) { maxGate_ = ticks > 0 ? ticks : 1; }
    int MaxGate() const { return maxGate_; }
    void SetCurrentTime(int time) { writeTime_ = time; }
    int CurrentTime() const { return writeTime_; }
    int LastTick(int slot) const { return lastWriteTick_[slot]; }
    bool Touched(int slot) const { return writtenSlots_[slot] != 0; }
    // Number of notes in the pending list.
    int PendingNotes() const;

private:
    static constexpr std::int32_t kNone = -1;  // end of a pending-list chain
    static constexpr int kNotesPerSlot = 128;

    struct PendingNote {
        std::int32_t onTime = 0;
        std::int32_t eventIndex = 0;
        std::int32_t slot = 0;
        std::int32_t nesting = 0;
        std::uint8_t note = 0;
        std::uint8_t velocity = 0;
        std::int32_t next = kNone;
        std::int32_t prev = kNone;
    };

    void NoteOn(int slot, std::uint8_t note, std::uint8_t velocity);
    void NoteOff(int slot, std::uint8_t note);
    // The pending entry of a key of a slot (one at most), or kNone.
    std::int32_t& PendingOf(int slot, std::uint8_t note) { return pendingByKey_[slot * kNotesPerSlot + note]; }
    // Rewrites the note of a pending entry with a final gate.
    void CloseNote(const PendingNote& entry, int gate);
    void Unlink(std::int32_t entry);
    void Append(std::int32_t entry);
    // Keeps pending note indices pointing at their notes after an insertion.
    void ShiftPendingAfterInsert(int slot, int insertedIndex);

    int maxGate_ = kDefaultMaxGate;
    int writeTime_ = 0;
    std::array<std::int32_t, kSlotCount> lastWriteTick_{};
    std::array<std::uint16_t, kSlotCount> writtenSlots_{};
    std::array<TrackCursor*, kSlotCount> writeCursors_{};
    int writeGrid_ = kDefaultGrid;
    int exactMode_ = 0;
    std::int8_t exactOffset_ = 0;
    std::int32_t writeLimit_ = kNoTimeLimit;
    std::int64_t eventsLeft_ = INT64_MAX;
    bool limitReached_ = false;

    // Pending notes in on-time order, as a list linked through the entries;
    // entries freed by note-offs are chained for reuse. The list holds every
    // key a pass keeps sounding, however many.
    std::vector<PendingNote> pendingNotes_;
    std::int32_t pendingHead_ = kNone;
    std::int32_t pendingTail_ = kNone;
    std::int32_t pendingFree_ = kNone;
    std::vector<std::int32_t> pendingByKey_ = std::vector<std::int32_t>(kSlotCount * kNotesPerSlot, kNone);
};

// A note event as the writer stores it while its note-off has not come:
// gate 400, the provisional-gate bits set.
TrackEvent MakeOpenNote(std::uint8_t note, std::uint8_t velocity);
