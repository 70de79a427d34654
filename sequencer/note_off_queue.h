// The engine's queue of pending note-offs: up to 127 notes kept in time
// order, with an index by port and key so that a repeated note finds the one
// still sounding.
#pragma once

#include <array>
#include <cstdint>

#include "model/slots.h"

class NoteOffQueue {
public:
    static constexpr int kEntries = 128;  // entry 0 is the list head
    static constexpr std::uint8_t kNone = 128;
    static constexpr int kPorts = kSlotCount;  // one port per track slot
    static constexpr int kKeys = 128;
    static constexpr int kQueueFull = -2;
    static constexpr int kNothingPending = -1;

    struct Entry {
        std::int32_t time = 0;  // ticks
        std::uint16_t port = 0;  // the track slot the note came from
        std::uint8_t note = 0;
        std::uint8_t key = 0;
        std::uint8_t velocity = 0;
        std::uint8_t next = kNone;
        std::uint8_t prev = kNone;
    };

    NoteOffQueue();

    // Removes every entry.
    void Clear();
    // Queues a note-off after every entry due no later. A pending entry of
    // the same port and key is removed first; a port past the last slot is
    // refused like a full queue. Returns that entry's note,
    // kNothingPending when there was none, or kQueueFull (nothing queued).
    int Insert(std::uint8_t key, std::int32_t time, std::uint16_t port, std::uint8_t note, std::uint8_t velocity);
    // The earliest entry (ties: the one queued first), or null.
    const Entry* Earliest() const { return Empty() ? nullptr : &entries_[entries_[0].next]; }
    // Removes the earliest entry, if any.
    void RemoveEarliest();
    // Moves every pending note-off by `delta` ticks.
    void Shift(std::int32_t delta);
    bool Empty() const { return entries_[0].next == kNone; }

    // Calls fn(entry) for every pending entry in queue order.
    template <typename Fn>
    void ForEach(Fn&& fn) const {
        for (std::uint8_t i = entries_[0].next; i != kNone; i = entries_[i].next) fn(entries_[i]);
    }

private:
    void Unlink(std::uint8_t entry);

    std::array<Entry, kEntries> entries_{};
    std::uint8_t free_ = kNone;
    std::array<std::array<std::uint8_t, kKeys>, kPorts> index_{};
};
