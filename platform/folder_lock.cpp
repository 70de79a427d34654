// Folder locks on a lock file with open(O_NOFOLLOW) and flock.
#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace {

// Opens the lock file at `path` without following a link or waiting on a
// FIFO; -1 with errno set when it is not a regular file it can open.
int OpenLockFile(const std::string& path) {
    constexpr int kFlags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    // Written access lets network file systems lock it; another user's file may allow reading only.
    int fd = ::open(path.c_str(), O_RDWR | kFlags, 0666);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | kFlags, 0666);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

}  // namespace

bool FolderLock::Acquire(const std::string& folder, LockWait wait, LockShare share, const std::function<void()>& onWait,
                         int& error) {
    Release();
    const int fd = OpenLockFile((std::filesystem::path(folder) / kFolderLockName).string());
    if (fd < 0) {
        error = errno;
        return false;
    }
    const int mode = share == LockShare::kShared ? LOCK_SH : LOCK_EX;
    int locked = ::flock(fd, mode | LOCK_NB);
    if (locked != 0 && errno == EWOULDBLOCK && wait == LockWait::kWait) {
        if (onWait) onWait();
        while ((locked = ::flock(fd, mode)) != 0 && errno == EINTR) {
        }
    }
    if (locked != 0) {
        error = errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void FolderLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
}

bool IsLockedByAnother(int error) { return error == EWOULDBLOCK; }
