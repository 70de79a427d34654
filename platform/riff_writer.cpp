// RIFF writer on POSIX files: a temporary file beside the target, written
// through a stdio buffer, size fields patched in place, renamed on commit.
#include "platform/riff_writer.h"

#include "platform/system_reason.h"
#include <unistd.h>

#include <cerrno>

namespace {

constexpr std::size_t kWriteBufferBytes = 64 * 1024;
constexpr std::uint32_t kRiffId = MakeFourCC("RIFF");

}  // namespace

RiffWriter::~RiffWriter() { Discard(); }

bool RiffWriter::Open(const std::string& targetPath) {
    Discard();
    error_ = 0;
    const int fd = temporary_.Create(targetPath);
    if (fd < 0) return Fail(errno);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        Fail(errno);
        ::close(fd);
        temporary_.Discard();
        return false;
    }
    file_.reset(file);
    std::setvbuf(file, nullptr, _IOFBF, kWriteBufferBytes);
    length_ = 0;
    failed_ = false;
    chunks_.clear();
    return true;
}

bool RiffWriter::Fail(int errorNumber) {
    failed_ = true;
    if (error_ == 0) error_ = errorNumber;
    return false;
}

std::string RiffWriter::FailureReason() const { return SystemReason(error_ != 0 ? error_ : EIO); }

bool RiffWriter::WriteRaw(const void* data, std::size_t length) {
    if (!file_ || failed_) return false;
    if (length_ + length > kRiffMaxFileBytes) return Fail(EFBIG);
    if (length > 0 && std::fwrite(data, 1, length, file_.get()) != length) return Fail(errno);
    length_ += length;
    return true;
}

bool RiffWriter::WriteU32(std::uint32_t value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    return WriteRaw(bytes, sizeof bytes);
}

bool RiffWriter::CreateRiffChunk(std::uint32_t formType) {
    if (!CreateChunk(kRiffId, 0)) return false;
    return WriteU32(formType);
}

bool RiffWriter::CreateChunk(std::uint32_t id, std::uint32_t size) {
    if (!WriteU32(id)) return false;
    OpenChunk chunk;
    chunk.sizeFieldAt = length_;
    if (!WriteU32(size)) return false;
    chunk.dataStart = length_;
    chunks_.push_back(chunk);
    return true;
}

long RiffWriter::Write(const void* data, long length) {
    if (length < 0 || chunks_.empty()) return -1;
    return WriteRaw(data, static_cast<std::size_t>(length)) ? length : -1;
}

bool RiffWriter::Ascend() {
    if (!file_ || failed_ || chunks_.empty()) return false;
    const OpenChunk chunk = chunks_.back();
    chunks_.pop_back();
    const std::uint64_t size = length_ - chunk.dataStart;
    if (size % 2 != 0) {
        const std::uint8_t pad = 0;
        if (!WriteRaw(&pad, 1)) return false;
    }
    // Patch the size field in place, then return to the end of the file.
    const std::uint64_t end = length_;
    if (::fseeko(file_.get(), static_cast<off_t>(chunk.sizeFieldAt), SEEK_SET) != 0) return Fail(errno);
    length_ = chunk.sizeFieldAt;  // WriteU32 counts the patched bytes; restored below
    bool patched = WriteU32(static_cast<std::uint32_t>(size));
    length_ = end;
    if (!patched) return false;
    if (::fseeko(file_.get(), 0, SEEK_END) != 0) return Fail(errno);
    return true;
}

bool RiffWriter::Commit() {
    if (!file_) return false;
    bool ok = !failed_;
    if (ok && std::fflush(file_.get()) != 0) ok = Fail(errno);
    // Close explicitly: the close can report a deferred write error.
    if (std::fclose(file_.release()) != 0 && ok) ok = Fail(errno);
    if (ok && !temporary_.Commit()) ok = Fail(errno);
    temporary_.Discard();
    chunks_.clear();
    return ok;
}

void RiffWriter::Discard() {
    if (!file_) return;
    file_.reset();
    temporary_.Discard();
    chunks_.clear();
}
