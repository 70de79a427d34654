#include "platform/movable_block.h"

#include <algorithm>
#include <cstring>

MovableBlock::MovableBlock(std::size_t bytes) {
    if (bytes > 0) {
        data_ = std::make_unique<std::uint8_t[]>(bytes);  // value-initialised: zero
        size_ = bytes;
    }
}

std::uint8_t* MovableBlock::Lock() {
    ++locks_;
    return data_.get();
}

bool MovableBlock::Unlock() {
    if (locks_ > 0) --locks_;
    return locks_ > 0;
}

void MovableBlock::Resize(std::size_t bytes) {
    if (bytes == size_) return;
    if (bytes == 0) {
        Free();
        return;
    }
    auto fresh = std::make_unique<std::uint8_t[]>(bytes);
    if (data_) std::memcpy(fresh.get(), data_.get(), std::min(bytes, size_));
    data_ = std::move(fresh);
    size_ = bytes;
}

void MovableBlock::Free() {
    data_.reset();
    size_ = 0;
    locks_ = 0;
}
