// Whole-file reading with O_NOFOLLOW and O_NONBLOCK, writing by rename.
#include "platform/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/temporary_file.h"

namespace {

// Closes a descriptor on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Gives the descriptor up to a new owner.
    void Release() { fd_ = -1; }
    // Closes now; false when closing reports an error.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const ssize_t written = ::write(fd, text.data() + at, text.size() - at);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        at += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

WholeFileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& text) {
    text.clear();
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0) return errno == ENOENT ? WholeFileRead::kMissing : WholeFileRead::kFailed;
    if (!S_ISREG(named.st_mode)) return WholeFileRead::kNotRegular;
    // Replaced by something else since the look: still never followed, never waited on.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) return errno == ELOOP || errno == ENXIO ? WholeFileRead::kNotRegular : WholeFileRead::kFailed;
    struct stat opened {};
    if (::fstat(file.Get(), &opened) != 0) return WholeFileRead::kFailed;
    if (!S_ISREG(opened.st_mode)) return WholeFileRead::kNotRegular;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return WholeFileRead::kFailed;
        if (got == 0) return WholeFileRead::kRead;
        if (text.size() + static_cast<std::size_t>(got) > maxBytes) return WholeFileRead::kFailed;
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

bool ReplaceWholeFile(const std::string& path, const std::string& text) {
    TemporaryFile temporary;
    Descriptor file(temporary.Create(path));
    if (file.Get() < 0) return false;
    if (!WriteAll(file.Get(), text) || !file.Close()) {
        const int error = errno;
        temporary.Discard();
        errno = error;
        return false;
    }
    return temporary.Commit();
}

std::FILE* OpenForRewriting(const std::string& path, int& error) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0) {
        error = errno;
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        error = EINVAL;
        return nullptr;
    }
    const int flags = ::fcntl(file.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0 || ::ftruncate(file.Get(), 0) != 0) {
        error = errno;
        return nullptr;
    }
    std::FILE* stream = ::fdopen(file.Get(), "wb");
    if (stream == nullptr) {
        error = errno;
        return nullptr;
    }
    file.Release();
    return stream;
}
