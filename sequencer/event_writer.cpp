// The event writer: message dispatch, grid placement, note pairing and the
// splitting of long notes.
#include "sequencer/event_writer.h"

#include <algorithm>
#include <cstdint>

namespace {
// Controllers 123-127 (the channel mode messages) are not stored.
constexpr std::uint8_t kLastStoredController = 122;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kStatusExclusive = 0xF0;
constexpr std::uint8_t kStatusTempoValue = 0xF6;
constexpr std::uint8_t kStatusRest = 0xF8;
constexpr int kNoteStateAt = 8;
constexpr int kNoteFlagAt = 10;
constexpr std::uint16_t kMaxGateValue = 0xFFFF;
}  // namespace

WriterMessage WriterMessage::Channel(std::uint8_t status, std::uint8_t data1, std::uint8_t data2, int slot) {
    WriterMessage m;
    m.value = status | (static_cast<std::uint32_t>(data1) << 8) | (static_cast<std::uint32_t>(data2) << 16);
    m.slot = slot;
    return m;
}

WriterMessage WriterMessage::Exclusive(std::uint16_t index, int slot) {
    WriterMessage m;
    m.value = kStatusExclusive | (static_cast<std::uint32_t>(index) << 16);
    m.slot = slot;
    return m;
}

WriterMessage WriterMessage::Tempo(std::int32_t tempo) {
    WriterMessage m;
    m.value = static_cast<std::uint32_t>(tempo);
    m.slot = kTempoSlot;
    return m;
}

TrackEvent MakeOpenNote(std::uint8_t note, std::uint8_t velocity) {
    TrackEvent ev = MakeEvent(static_cast<std::uint8_t>(note & EventKind::kNoteLast));
    ev.SetGate(kOpenNoteGate);
    ev.SetU8(6, velocity);
    ev.SetU16(kNoteStateAt, kNoteOpenBits);
    ev.SetU8(kNoteFlagAt, 1);
    return ev;
}

ToQ2::ToQ2() { BeginWriting(); }

void ToQ2::StopPlay() { ForgetCursors(); }

void ToQ2::BeginWriting() {
    exactMode_ = 0;
    lastWriteTick_.fill(0);
    writtenSlots_.fill(0);
    writeTime_ = 0;
    writeLimit_ = kNoTimeLimit;
    for (std::int32_t e = pendingHead_; e != kNone; e = pendingNotes_[e].next)
        PendingOf(pendingNotes_[e].slot, pendingNotes_[e].note) = kNone;
    pendingNotes_.clear();
    pendingHead_ = pendingTail_ = pendingFree_ = kNone;
}

int ToQ2::PendingNotes() const {
    int n = 0;
    for (std::int32_t e = pendingHead_; e != kNone; e = pendingNotes_[e].next) ++n;
    return n;
}

int ToQ2::PutEvent(const TrackEvent& event, int slot) {
    TrackCursor* cursor = writeCursors_[slot];
    if (cursor == nullptr || cursor->track == nullptr) return 0;
    if (event.Kind() == 0 && event.Step() == 0 && event.U16(4) == 0 && event.U8(6) == 0) return 0;

    // Round to the nearest grid point; the remainder becomes the offset byte.
    const int t = writeTime_;
    int position = t;
    std::int8_t offset = exactOffset_;
    if (!exactMode_) {
        int r = t % writeGrid_;
        if (r > writeGrid_ / 2) r -= writeGrid_;
        position = t - r;
        if (position >= writeLimit_) position = writeLimit_ - 1;
        offset = static_cast<std::int8_t>(t - position);
    }

    Seek(*cursor, position - lastWriteTick_[slot], 1);
    lastWriteTick_[slot] = position;
    writtenSlots_[slot] = 1;
    TrackEvent ev = event;
    ev.SetStep(0);
    ev.SetOffset(offset);
    if (!ev.IsRest()) {
        if (eventsLeft_ <= 0) {
            limitReached_ = true;
            return 0;
        }
        --eventsLeft_;
    }
    const Track& track = *cursor->track;
    const int countBefore = track.count;
    const int index = InsertAtTime(*cursor, ev);
    // Only an insertion in front of other events moves any note; writing in
    // time order only ever lands in front of the end marker.
    const bool eventsFollow =
        index + 2 < track.count || (index + 2 == track.count && !EventAt(track, track.count - 1).IsEnd());
    if (index >= 0 && track.count > countBefore && eventsFollow) ShiftPendingAfterInsert(slot, index);
    return index;
}

void ToQ2::ShiftPendingAfterInsert(int slot, int insertedIndex) {
    // An insertion in the middle of a track (a message written at an earlier
    // time than the last one) moves every later event up by one; pending
    // notes at or after it must follow. Insertions beyond the end pad with
    // rests after every existing note, so they move nothing.
    for (std::int32_t e = pendingHead_; e != kNone; e = pendingNotes_[e].next) {
        PendingNote& entry = pendingNotes_[e];
        if (entry.slot == slot && entry.eventIndex >= insertedIndex) ++entry.eventIndex;
    }
}

void ToQ2::WriteMessage(const WriterMessage& message, int time) {
    FlushHeldNotes(time);
    writeTime_ = time;
    const int slot = message.slot;
    if (slot < 0 || slot >= kSlotCount || writeCursors_[slot] == nullptr) return;

    if (slot == kTempoSlot) {
        TrackEvent ev = MakeEvent(EventKind::kTempo);
        ev.SetU32(4, message.value);
        PutEvent(ev, slot);
        return;
    }

    const std::uint8_t d1 = message.Data1();
    const std::uint8_t d2 = message.Data2();
    TrackEvent ev;
    switch (message.Status()) {
        case kNoteOn:
            if (d2 > 0)
                NoteOn(slot, d1, d2);
            else
                NoteOff(slot, d1);
            return;
        case kNoteOff:
            NoteOff(slot, d1);
            return;
        case EventKind::kPolyPressure:
        case EventKind::kPitchBend:
            ev = MakeEvent(message.Status());
            ev.SetU8(4, d1);
            ev.SetU8(5, d2);
            break;
        case EventKind::kControl:
            if (d1 > kLastStoredController) return;
            ev = MakeEvent(EventKind::kControl);
            ev.SetU8(4, d1);
            ev.SetU8(5, d2);
            break;
        case EventKind::kProgram:
        case EventKind::kChannelPressure:
            ev = MakeEvent(message.Status());
            ev.SetU8(4, d1);
            break;
        case kStatusExclusive:
            ev = MakeEvent(EventKind::kExclusive);
            ev.SetU16(4, message.High16());
            break;
        case kStatusTempoValue:
            ev = MakeEvent(EventKind::kTempo);
            ev.SetI32(4, message.High16());
            break;
        case kStatusRest:
            ev = MakeEvent(EventKind::kRest);
            break;
        default:
            return;
    }
    PutEvent(ev, slot);
}

void ToQ2::Unlink(std::int32_t e) {
    PendingNote& entry = pendingNotes_[e];
    if (entry.prev != kNone) pendingNotes_[entry.prev].next = entry.next; else pendingHead_ = entry.next;
    if (entry.next != kNone) pendingNotes_[entry.next].prev = entry.prev; else pendingTail_ = entry.prev;
    entry.next = entry.prev = kNone;
}

void ToQ2::Append(std::int32_t e) {
    PendingNote& entry = pendingNotes_[e];
    entry.prev = pendingTail_;
    entry.next = kNone;
    if (pendingTail_ != kNone) pendingNotes_[pendingTail_].next = e; else pendingHead_ = e;
    pendingTail_ = e;
}

void ToQ2::CloseNote(const PendingNote& entry, int gate) {
    TrackCursor* cursor = writeCursors_[entry.slot];
    if (cursor == nullptr || cursor->track == nullptr) return;
    if (entry.eventIndex < 0 || entry.eventIndex >= cursor->track->count) return;
    TrackEvent ev;
    ReadAt(entry.eventIndex, *cursor, ev);
    ev.SetGate(static_cast<std::uint16_t>(std::clamp(gate, 0, static_cast<int>(kMaxGateValue))));
    ev.SetU16(kNoteStateAt, static_cast<std::uint16_t>(ev.U16(kNoteStateAt) & ~kNoteOpenBits));
    WriteAt(*cursor, entry.eventIndex, ev);
}

void ToQ2::NoteOn(int slot, std::uint8_t note, std::uint8_t velocity) {
    note &= EventKind::kNoteLast;
    const std::int32_t found = PendingOf(slot, note);
    if (found != kNone) {
        PendingNote& entry = pendingNotes_[found];
        if (entry.onTime == writeTime_) {
            // A second note-on at the same tick only changes the velocity.
            TrackCursor& cursor = *writeCursors_[slot];
            if (entry.eventIndex >= 0 && entry.eventIndex < cursor.track->count) {
                TrackEvent ev;
                ReadAt(entry.eventIndex, cursor, ev);
                ev.SetU8(6, velocity);
                WriteAt(cursor, entry.eventIndex, ev);
            }
        } else {
            CloseNote(entry, writeTime_ - entry.onTime);
            entry.eventIndex = PutEvent(MakeOpenNote(note, velocity), slot);
        }
        ++entry.nesting;
        entry.onTime = writeTime_;
        entry.velocity = velocity;
        // The list stays in on-time order, so that splitting can stop at the
        // first note not yet due and pieces are written in time order.
        Unlink(found);
        Append(found);
        return;
    }
    const int index = PutEvent(MakeOpenNote(note, velocity), slot);
    std::int32_t e = pendingFree_;
    if (e != kNone) {
        pendingFree_ = pendingNotes_[e].next;
    } else {
        e = static_cast<std::int32_t>(pendingNotes_.size());
        pendingNotes_.emplace_back();
    }
    pendingNotes_[e] = PendingNote{writeTime_, index, slot, 1, note, velocity, kNone, kNone};
    PendingOf(slot, note) = e;
    Append(e);
}

void ToQ2::NoteOff(int slot, std::uint8_t note) {
    note &= EventKind::kNoteLast;
    const std::int32_t found = PendingOf(slot, note);
    if (found == kNone) return;
    PendingNote& entry = pendingNotes_[found];
    if (entry.nesting >= 2) {
        --entry.nesting;
        return;
    }
    Unlink(found);
    PendingOf(slot, note) = kNone;
    entry.next = pendingFree_;
    pendingFree_ = found;
    const int gate = writeTime_ - entry.onTime;
    CloseNote(entry, gate > 0 ? gate : 1);
}

void ToQ2::FlushHeldNotes(int time) {
    while (pendingHead_ != kNone && !limitReached_) {
        const std::int32_t e = pendingHead_;
        PendingNote& entry = pendingNotes_[e];
        const std::int64_t pieceTime = static_cast<std::int64_t>(entry.onTime) + maxGate_;
        if (pieceTime >= time) break;
        // The closed piece overlaps the next one by a tick, which marks it
        // as a continuation rather than a new strike.
        CloseNote(entry, maxGate_ + 1);
        writeTime_ = static_cast<int>(pieceTime);
        entry.eventIndex = PutEvent(MakeOpenNote(entry.note, entry.velocity), entry.slot);
        entry.onTime = writeTime_;
        Unlink(e);
        Append(e);
    }
}

void ToQ2::CloseHeldNotes() {
    for (std::int32_t e = pendingHead_; e != kNone; e = pendingNotes_[e].next) {
        const PendingNote& entry = pendingNotes_[e];
        TrackCursor* cursor = writeCursors_[entry.slot];
        if (cursor == nullptr || cursor->track == nullptr) continue;
        if (entry.eventIndex < 0 || entry.eventIndex >= cursor->track->count) continue;
        TrackEvent ev;
        ReadAt(entry.eventIndex, *cursor, ev);
        const int start = entry.onTime + ev.Offset();
        CloseNote(entry, writeTime_ > start ? writeTime_ - start + 1 : 1);
    }
}
