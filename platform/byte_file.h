// Read-only byte and line reading of one file, with an explicit position.
// Reads never throw and never go past the end: a byte read there gives -1.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The longest line ReadLine returns; a longer line continues as the next one.
constexpr int kMaxLineBytes = 2000;

class Myifstream {
public:
    // Bit of `status` set when opening failed.
    static constexpr int kOpenFailed = 2;

    enum class SeekFrom { kBegin, kCurrent };

    Myifstream() = default;
    Myifstream(const Myifstream&) = delete;
    Myifstream& operator=(const Myifstream&) = delete;

    // Opens a regular file read-only at position 0; on failure (a folder, a
    // FIFO or a device included, without waiting on any of them) sets
    // kOpenFailed in `status` and returns false. An open file is closed first.
    bool Open(const std::string& path);
    // Closes the file (nothing happens when none is open).
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // The next byte (0..255), or -1 at or beyond the end of the data.
    int ReadByte();
    // Reads four bytes into `out`; false (and the missing bytes zero) when the
    // data ends first.
    bool Read4(std::array<std::uint8_t, 4>& out);
    // Moves the position (it may lie beyond the end: reads there give -1;
    // a negative result is taken as 0). Returns the new position.
    std::int64_t Seek(std::int64_t offset, SeekFrom from);
    std::int64_t Position() const { return bufferStart_ + static_cast<std::int64_t>(bufferIndex_); }
    // Length of the file in bytes, as it was when it was opened.
    std::int64_t Length() const { return length_; }
    // Bytes left between the position and the end (0 when beyond the end).
    std::int64_t Remaining() const;

    // Reads one line: bytes up to a line feed (not kept), a carriage return
    // right before it dropped, at most kMaxLineBytes bytes. False when the
    // position was already at the end, so that nothing was read.
    bool ReadLine(std::string& line);

    // kOpenFailed when the last Open failed, else 0.
    int status = 0;

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    bool Refill();

    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t bufferIndex_ = 0;
    std::size_t bufferFill_ = 0;
    std::int64_t bufferStart_ = 0;  // file position of buffer_[0]
    std::int64_t length_ = 0;
};
