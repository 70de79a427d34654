// Temporary files on POSIX: exclusive creation under a name that carries the
// writer's process id, an exclusive lock while the writer holds the file
// open, rename on commit.
#include "platform/temporary_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>

namespace {

constexpr int kTemporaryNameAttempts = 100;
constexpr mode_t kPermissionBits = 07777;

constexpr std::string_view kTemporaryMark = ".part-";

// The temporary name of a file `baseName` written by process `pid`:
// ".<baseName>.part-<pid>-<attempt>".
std::string TemporaryName(const std::string& baseName, pid_t pid, int attempt) {
    return "." + baseName + std::string(kTemporaryMark) + std::to_string(pid) + "-" + std::to_string(attempt);
}

// The target name of the temporary name `name` as TemporaryName makes
// them; nothing when `name` is not such a name.
std::optional<std::string> TargetOfTemporaryName(const std::string& name) {
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (name.empty() || name[0] != '.' || mark == std::string::npos || mark < 2) return std::nullopt;
    const std::string rest = name.substr(mark + kTemporaryMark.size());
    const std::size_t dash = rest.find('-');
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() < 10 &&
               text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string::npos || !digits(std::string_view(rest).substr(0, dash)) ||
        !digits(std::string_view(rest).substr(dash + 1))) {
        return std::nullopt;
    }
    return name.substr(1, mark - 1);
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

void RemoveAbandonedTemporaryFiles(const std::string& folder, const std::vector<std::string>& targetNames) {
    const std::set<std::string> targets(targetNames.begin(), targetNames.end());
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string path = it->path().string();
        std::error_code statError;
        const std::optional<std::string> target = TargetOfTemporaryName(it->path().filename().string());
        if (!target || targets.count(*target) == 0 || !it->is_regular_file(statError)) continue;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // A free lock: its writer has ended, whatever became of its process number.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillAt(fd, path)) ::unlink(path.c_str());
        ::close(fd);
    }
}

void RemoveAbandonedTemporaryFilesOf(const std::string& targetPath) {
    const std::filesystem::path target(targetPath);
    const std::filesystem::path folder = target.parent_path();
    RemoveAbandonedTemporaryFiles(folder.empty() ? "." : folder.string(), {target.filename().string()});
}

int TemporaryFile::Create(const std::string& targetPath) {
    Discard();
    if (targetPath.empty()) {
        errno = ENOENT;
        return -1;
    }
    struct stat info {};
    int replacedMode = -1;
    if (::stat(targetPath.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            return -1;
        }
        if (::access(targetPath.c_str(), W_OK) != 0) return -1;
        replacedMode = static_cast<int>(info.st_mode & kPermissionBits);
    }
    const std::filesystem::path target(targetPath);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    const std::string baseName = target.filename().string();
    if (baseName.empty()) {
        errno = EISDIR;
        return -1;
    }
    const int fd = CreateTemporaryFile(folder, baseName, unfinished_, tempPath_);
    if (fd < 0) return -1;
    // The lock belongs to the open file, not to one descriptor: a copy kept
    // here holds it after the caller closes its descriptor, until the file
    // is renamed or removed, so that no clean-up takes it for abandoned.
    lockFd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (lockFd_ < 0) {
        const int error = errno;
        ::close(fd);
        Discard();
        errno = error;
        return -1;
    }
    targetPath_ = targetPath;
    replacedMode_ = replacedMode;
    return fd;
}

bool TemporaryFile::Commit() {
    if (tempPath_.empty()) {
        errno = EBADF;
        return false;
    }
    bool ok = replacedMode_ < 0 || ::chmod(tempPath_.c_str(), static_cast<mode_t>(replacedMode_)) == 0;
    if (ok) ok = ::rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(tempPath_.c_str());
        errno = error;
    }
    unfinished_.Forget();  // only now: until the rename the temporary file exists
    tempPath_.clear();
    ReleaseLock();
    return ok;
}

void TemporaryFile::Discard() {
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        unfinished_.Forget();
        tempPath_.clear();
    }
    ReleaseLock();
}

void TemporaryFile::ReleaseLock() {
    if (lockFd_ < 0) return;
    ::close(lockFd_);
    lockFd_ = -1;
}
