// Values held in memory in chunks of a fixed size: appending never moves or
// copies what is already held, so a song of any length takes its own size
// and at most one chunk more, and chunks already used can be given back
// while the rest is still read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

template <typename T>
class ChunkedBuffer {
public:
    static constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
    static constexpr std::size_t kPerChunk = kChunkBytes / sizeof(T);

    std::size_t Size() const { return size_; }

    void Append(std::span<const T> values) {
        while (!values.empty()) {
            const std::size_t offset = size_ % kPerChunk;
            if (offset == 0) chunks_.push_back(std::make_unique_for_overwrite<T[]>(kPerChunk));
            const std::size_t count = std::min(values.size(), kPerChunk - offset);
            std::copy_n(values.begin(), count, chunks_.back().get() + offset);
            size_ += count;
            values = values.subspan(count);
        }
    }

    // Appends `count` copies of T{}.
    void AppendZeros(std::size_t count) {
        const std::vector<T> zeros(std::min(count, kPerChunk), T{});
        for (; count > 0; count -= std::min(count, zeros.size())) {
            Append(std::span(zeros).first(std::min(count, zeros.size())));
        }
    }

    void Clear() {
        chunks_.clear();
        size_ = 0;
    }

    // Copies the values from index `first` on into `out`, as many as there
    // are; returns how many.
    std::size_t CopyOut(std::size_t first, std::span<T> out) const {
        std::size_t copied = 0;
        while (copied < out.size() && first + copied < size_) {
            const std::size_t at = first + copied;
            const std::size_t count = std::min({out.size() - copied, size_ - at, kPerChunk - at % kPerChunk});
            std::copy_n(chunks_[at / kPerChunk].get() + at % kPerChunk, count, out.begin() + copied);
            copied += count;
        }
        return copied;
    }

    // Hands every held piece to `read` in order until it returns false;
    // false then.
    template <typename Reader>
    bool Read(Reader read) const {
        for (std::size_t i = 0; i < chunks_.size(); ++i) {
            if (!read(std::span<const T>(Piece(i)))) return false;
        }
        return true;
    }

    // Hands every held piece to `take` in order, giving each chunk back once
    // it has been handed over, until `take` returns false. Leaves the
    // buffer empty.
    template <typename Take>
    bool Drain(Take take) {
        bool taken = true;
        for (std::size_t i = 0; i < chunks_.size() && taken; ++i) {
            taken = take(Piece(i));
            chunks_[i].reset();
        }
        Clear();
        return taken;
    }

private:
    std::span<T> Piece(std::size_t chunk) const {
        return {chunks_[chunk].get(), std::min(kPerChunk, size_ - chunk * kPerChunk)};
    }

    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};
