// Locked files on open, flock and ftruncate.
#include "platform/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

std::FILE* OpenLockedForWriting(const std::string& path, LockWait wait, const std::function<void()>& onWait, int& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    int locked = ::flock(fd, LOCK_EX | LOCK_NB);
    if (locked != 0 && errno == EWOULDBLOCK && wait == LockWait::kWait) {
        if (onWait) onWait();
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
    }
    // Emptied only under the lock: the other writer's lines are never mixed with ours.
    if (locked != 0 || ::ftruncate(fd, 0) != 0) {
        error = errno;
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        error = errno;
        ::close(fd);
    }
    return file;
}

bool IsLockedByAnother(int error) { return error == EWOULDBLOCK; }
