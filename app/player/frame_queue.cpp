// The queue between the reading thread and the audio output's thread.
#include "app/player/frame_queue.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kBytesPerFrame = 4;
}  // namespace

bool FrameQueue::Push(PlayedBlock block) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || blocks_.size() < capacity_ || block.move < move_; });
    if (closed_) return false;
    if (block.move < move_) return true;
    blocks_.push_back(std::move(block));
    changed_.notify_all();
    return true;
}

void FrameQueue::Pull(std::span<std::uint8_t> out) {
    std::unique_lock lock(mutex_);
    std::size_t done = 0;
    while (done < out.size()) {
        changed_.wait(lock, [&] { return closed_ || paused_ || finished_ || !blocks_.empty(); });
        if (blocks_.empty()) break;
        PlayedBlock& front = blocks_.front();
        heard_ = front.position;
        const std::size_t take = std::min(out.size() - done, front.frames.size() - offset_);
        std::memcpy(out.data() + done, front.frames.data() + offset_, take);
        done += take;
        offset_ += take;
        if (offset_ == front.frames.size()) {
            blocks_.pop_front();
            offset_ = 0;
            changed_.notify_all();
        }
        if (paused_) break;
    }
    std::memset(out.data() + done, 0, out.size() - done);
    framesPulled_ += static_cast<std::int64_t>(out.size() / kBytesPerFrame);
}

void FrameQueue::Discard(std::uint32_t move) {
    std::lock_guard lock(mutex_);
    move_ = move;
    while (!blocks_.empty() && blocks_.front().move < move) {
        blocks_.pop_front();
        offset_ = 0;
    }
    finished_ = false;
    changed_.notify_all();
}

void FrameQueue::SetPaused(bool paused) {
    std::lock_guard lock(mutex_);
    paused_ = paused;
    changed_.notify_all();
}

void FrameQueue::Finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

void FrameQueue::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool FrameQueue::Paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

bool FrameQueue::Drained() const {
    std::lock_guard lock(mutex_);
    return finished_ && blocks_.empty();
}

PlaybackPosition FrameQueue::Heard() const {
    std::lock_guard lock(mutex_);
    return heard_;
}

std::int64_t FrameQueue::FramesPulled() const {
    std::lock_guard lock(mutex_);
    return framesPulled_;
}
