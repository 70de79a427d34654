// The few blocks between the playback worker and the audio output: the
// program's reading thread pushes them, the output's thread pulls frames.
// The queue holds at most a handful of blocks, so that what the worker
// renders after a switch is heard soon; the output waits for the next block
// rather than playing silence, unless playback is paused, over or stopped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>

#include "app/player/playback_records.h"

class FrameQueue {
public:
    explicit FrameQueue(std::size_t capacityBlocks) : capacity_(capacityBlocks) {}

    // Appends a block, waiting while the queue is full. A block rendered
    // before the latest move is dropped. False once the queue is closed.
    bool Push(PlayedBlock block);
    // Fills `out` with the next frames (waiting for them), or silence while
    // paused, once finished and empty, or closed.
    void Pull(std::span<std::uint8_t> out);
    // Drops what is queued from before move `move`, and such blocks still to come.
    void Discard(std::uint32_t move);
    void SetPaused(bool paused);
    // No more blocks until the next move: the output drains the queue.
    void Finish();
    // Everything stops waiting, for good.
    void Close();

    bool Paused() const;
    // Finished and every frame pulled.
    bool Drained() const;
    // The position of the block playing now.
    PlaybackPosition Heard() const;
    // Frames pulled so far, silence included.
    std::int64_t FramesPulled() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t capacity_;
    std::deque<PlayedBlock> blocks_;
    std::size_t offset_ = 0;  // bytes of the front block already pulled
    std::uint32_t move_ = 0;
    bool paused_ = false;
    bool finished_ = false;
    bool closed_ = false;
    PlaybackPosition heard_;
    std::int64_t framesPulled_ = 0;
};
