// The pending note-off list: a doubly linked list through entry 0 in time
// order, a free chain, and the port x key index.
#include "sequencer/note_off_queue.h"

NoteOffQueue::NoteOffQueue() { Clear(); }

void NoteOffQueue::Clear() {
    entries_.fill(Entry{});
    // Entry 0 is the head: next = first entry, prev = last entry.
    free_ = kNone;
    for (int i = kEntries - 1; i >= 1; --i) {
        entries_[i].next = free_;
        free_ = static_cast<std::uint8_t>(i);
    }
    for (auto& keys : index_) keys.fill(kNone);
}

void NoteOffQueue::Unlink(std::uint8_t entry) {
    Entry& e = entries_[entry];
    const std::uint8_t prev = e.prev == kNone ? 0 : e.prev;
    entries_[prev].next = e.next;
    if (e.next != kNone) {
        entries_[e.next].prev = e.prev;
    } else {
        entries_[0].prev = e.prev;
    }
    index_[e.port][e.key] = kNone;
    e.next = free_;
    e.prev = kNone;
    free_ = entry;
}

int NoteOffQueue::Insert(std::uint8_t key, std::int32_t time, std::uint16_t port, std::uint8_t note,
                         std::uint8_t velocity) {
    key &= kKeys - 1;
    if (port >= kPorts) return kQueueFull;
    int result = kNothingPending;
    const std::uint8_t pending = index_[port][key];
    if (pending != kNone) {
        result = entries_[pending].note;
        Unlink(pending);
    }
    if (free_ == kNone) return kQueueFull;

    const std::uint8_t entry = free_;
    free_ = entries_[entry].next;
    entries_[entry] = Entry{time, port, note, key, velocity, kNone, kNone};

    // Walk back from the tail past every entry due later: the new entry goes
    // after all entries with a time not greater than its own.
    std::uint8_t after = entries_[0].prev;
    while (after != kNone && entries_[after].time > time) after = entries_[after].prev;
    Entry& e = entries_[entry];
    const std::uint8_t before = after == kNone ? entries_[0].next : entries_[after].next;
    e.prev = after;
    e.next = before;
    entries_[after == kNone ? 0 : after].next = entry;
    if (before == kNone) {
        entries_[0].prev = entry;
    } else {
        entries_[before].prev = entry;
    }
    index_[port][key] = entry;
    return result;
}

void NoteOffQueue::RemoveEarliest() {
    if (!Empty()) Unlink(entries_[0].next);
}

void NoteOffQueue::Shift(std::int32_t delta) {
    for (std::uint8_t i = entries_[0].next; i != kNone; i = entries_[i].next) entries_[i].time += delta;
}
