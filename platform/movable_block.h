// Stand-in for movable global memory: an owning, zero-filled byte block that is
// locked to reach its bytes and unlocked afterwards. Allocation failure throws
// std::bad_alloc, so callers have no out-of-memory branches of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class MovableBlock {
public:
    MovableBlock() = default;
    // Allocates `bytes` zero-filled bytes (0 gives an empty block).
    explicit MovableBlock(std::size_t bytes);

    MovableBlock(MovableBlock&&) noexcept = default;
    MovableBlock& operator=(MovableBlock&&) noexcept = default;
    MovableBlock(const MovableBlock&) = delete;
    MovableBlock& operator=(const MovableBlock&) = delete;

    // Returns the data pointer (null for an empty block) and counts the lock.
    std::uint8_t* Lock();
    // Releases one lock; returns true while locks remain.
    bool Unlock();

    // Grows or shrinks the block, keeping the leading bytes; new bytes are zero.
    void Resize(std::size_t bytes);
    // Frees the memory; the block becomes empty.
    void Free();

    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    int LockCount() const { return locks_; }
    // Read access without counting a lock (for const inspection).
    const std::uint8_t* Peek() const { return data_.get(); }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
    int locks_ = 0;
};

// Locks a block for the lifetime of the guard.
class BlockLock {
public:
    explicit BlockLock(MovableBlock& block) : block_(block), data_(block.Lock()) {}
    ~BlockLock() { block_.Unlock(); }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    std::uint8_t* Data() const { return data_; }

private:
    MovableBlock& block_;
    std::uint8_t* data_;
};
