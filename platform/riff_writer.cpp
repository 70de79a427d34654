// RIFF writer on POSIX files: a temporary file beside the target, written
// through a stdio buffer, size fields patched in place, renamed on commit.
#include "platform/riff_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace {

constexpr std::size_t kWriteBufferBytes = 64 * 1024;
constexpr int kTemporaryNameAttempts = 100;
constexpr std::uint32_t kRiffId = MakeFourCC("RIFF");
constexpr mode_t kPermissionBits = 07777;

constexpr std::string_view kTemporaryMark = ".part-";

// The temporary name of a file `baseName` written by process `pid`:
// ".<baseName>.part-<pid>-<attempt>".
std::string TemporaryName(const std::string& baseName, pid_t pid, int attempt) {
    return "." + baseName + std::string(kTemporaryMark) + std::to_string(pid) + "-" + std::to_string(attempt);
}

// Whether `name` is a temporary name as TemporaryName makes them.
bool IsTemporaryName(const std::string& name) {
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (name.empty() || name[0] != '.' || mark == std::string::npos || mark < 2) return false;
    const std::string rest = name.substr(mark + kTemporaryMark.size());
    const std::size_t dash = rest.find('-');
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() < 10 &&
               text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return dash != std::string::npos && digits(std::string_view(rest).substr(0, dash)) &&
           digits(std::string_view(rest).substr(dash + 1));
}

// Whether `fd` is still the file at `path` (no one removed or replaced it).
bool StillAt(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// Creates a new file with a free temporary name in `folder`, watched for
// removal on interrupt from before it exists, and locks it for as long as
// it is open: the lock tells the clean-up that its writer is alive. -1 on
// failure.
int CreateTemporaryFile(const std::filesystem::path& folder, const std::string& baseName, UnfinishedFile& unfinished,
                        std::string& pathOut) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::filesystem::path candidate = folder / TemporaryName(baseName, ::getpid(), attempt);
        unfinished.Watch(candidate.string());
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            unfinished.Forget();  // the name belongs to another file
            if (errno != EEXIST) return -1;
            continue;
        }
        // A clean-up may have taken the file for abandoned before it was
        // locked: then it is gone, and another name is tried.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillAt(fd, candidate.string())) {
            pathOut = candidate.string();
            return fd;
        }
        ::close(fd);
        unfinished.Forget();
    }
    return -1;
}

}  // namespace

void RemoveAbandonedTemporaryFiles(const std::string& folder) {
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string path = it->path().string();
        std::error_code statError;
        if (!IsTemporaryName(it->path().filename().string()) || !it->is_regular_file(statError)) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // A free lock: its writer has ended, whatever became of its process number.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillAt(fd, path)) ::unlink(path.c_str());
        ::close(fd);
    }
}

RiffWriter::~RiffWriter() { Discard(); }

bool RiffWriter::Open(const std::string& targetPath) {
    Discard();
    error_ = 0;
    if (targetPath.empty()) return Fail(ENOENT);
    struct stat info {};
    int replacedMode = -1;
    if (::stat(targetPath.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return Fail(EISDIR);
        if (::access(targetPath.c_str(), W_OK) != 0) return Fail(errno);
        replacedMode = static_cast<int>(info.st_mode & kPermissionBits);
    }
    std::filesystem::path target(targetPath);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string baseName = target.filename().string();
    if (baseName.empty()) return Fail(EISDIR);

    std::string tempPath;
    int fd = CreateTemporaryFile(folder, baseName, unfinished_, tempPath);
    if (fd < 0) return Fail(errno);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        Fail(errno);
        ::close(fd);
        ::unlink(tempPath.c_str());
        unfinished_.Forget();
        return false;
    }
    file_.reset(file);
    std::setvbuf(file, nullptr, _IOFBF, kWriteBufferBytes);
    targetPath_ = targetPath;
    tempPath_ = tempPath;
    replacedMode_ = replacedMode;
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

std::string RiffWriter::FailureReason() const { return std::strerror(error_ != 0 ? error_ : EIO); }

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
    if (ok && replacedMode_ >= 0 && ::fchmod(::fileno(file_.get()), static_cast<mode_t>(replacedMode_)) != 0) {
        ok = Fail(errno);
    }
    // Close explicitly: the close can report a deferred write error.
    if (std::fclose(file_.release()) != 0 && ok) ok = Fail(errno);
    if (ok && ::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) ok = Fail(errno);
    if (!ok) ::unlink(tempPath_.c_str());
    unfinished_.Forget();  // only now: until the rename the temporary file exists
    tempPath_.clear();
    chunks_.clear();
    return ok;
}

void RiffWriter::Discard() {
    if (!file_) return;
    file_.reset();
    ::unlink(tempPath_.c_str());
    unfinished_.Forget();
    tempPath_.clear();
    chunks_.clear();
}
