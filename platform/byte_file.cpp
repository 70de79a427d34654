// Buffered read-only file access for the byte and line readers.
#include "platform/byte_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {
constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr int kLineFeed = '\n';
constexpr int kCarriageReturn = '\r';

// Opens `path` for reading if it is a regular file; null otherwise. The open
// does not wait: a FIFO without a writer would block a plain open forever.
std::FILE* OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // Only a regular file can be read: a folder, a FIFO or a device opens but
    // holds no bytes of its own.
    struct stat info {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
}

}  // namespace

bool Myifstream::Open(const std::string& path) {
    Close();
    status = 0;
    std::FILE* raw = OpenRegularFile(path);
    if (raw == nullptr) {
        status |= kOpenFailed;
        return false;
    }
    file_.reset(raw);
    long end = -1;
    if (std::fseek(raw, 0, SEEK_END) == 0) end = std::ftell(raw);
    if (end < 0) {
        Close();
        status |= kOpenFailed;
        return false;
    }
    length_ = end;
    buffer_.resize(kBufferBytes);
    return true;
}

void Myifstream::Close() {
    file_.reset();
    bufferStart_ = 0;
    bufferIndex_ = 0;
    bufferFill_ = 0;
    length_ = 0;
}

bool Myifstream::Refill() {
    bufferStart_ += static_cast<std::int64_t>(bufferFill_);
    bufferIndex_ = 0;
    bufferFill_ = 0;
    if (!file_ || bufferStart_ >= length_) return false;
    if (std::fseek(file_.get(), static_cast<long>(bufferStart_), SEEK_SET) != 0) return false;
    const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(kBufferBytes, length_ - bufferStart_));
    bufferFill_ = std::fread(buffer_.data(), 1, wanted, file_.get());
    return bufferFill_ > 0;
}

int Myifstream::ReadByte() {
    if (bufferIndex_ >= bufferFill_ && !Refill()) return -1;
    return buffer_[bufferIndex_++];
}

bool Myifstream::Read4(std::array<std::uint8_t, 4>& out) {
    bool complete = true;
    for (auto& byte : out) {
        const int b = complete ? ReadByte() : -1;
        if (b < 0) complete = false;
        byte = b < 0 ? 0 : static_cast<std::uint8_t>(b);
    }
    return complete;
}

std::int64_t Myifstream::Seek(std::int64_t offset, SeekFrom from) {
    const std::int64_t base = from == SeekFrom::kBegin ? 0 : Position();
    // Clamp into [0, length] without overflowing on huge offsets.
    std::int64_t target = 0;
    if (offset >= 0)
        target = offset >= length_ - base ? length_ : base + offset;
    else
        target = -offset >= base ? 0 : base + offset;
    if (target >= bufferStart_ && target <= bufferStart_ + static_cast<std::int64_t>(bufferFill_)) {
        bufferIndex_ = static_cast<std::size_t>(target - bufferStart_);
    } else {
        bufferStart_ = target;
        bufferIndex_ = 0;
        bufferFill_ = 0;
    }
    return target;
}

std::int64_t Myifstream::Remaining() const {
    return std::max<std::int64_t>(0, length_ - Position());
}

bool Myifstream::ReadLine(std::string& line) {
    line.clear();
    if (Position() >= length_) return false;
    bool endedByLineFeed = false;
    while (line.size() < static_cast<std::size_t>(kMaxLineBytes)) {
        const int b = ReadByte();
        if (b < 0) break;
        if (b == kLineFeed) {
            endedByLineFeed = true;
            break;
        }
        line.push_back(static_cast<char>(b));
    }
    if (!endedByLineFeed && line.size() == static_cast<std::size_t>(kMaxLineBytes)) {
        // A line of exactly the limit still owns the line end that follows it.
        const std::int64_t mark = Position();
        int b = ReadByte();
        if (b == kCarriageReturn) b = ReadByte();
        if (b == kLineFeed)
            endedByLineFeed = true;
        else
            Seek(mark, SeekFrom::kBegin);
    }
    if (endedByLineFeed && !line.empty() && line.back() == kCarriageReturn) line.pop_back();
    return true;
}
