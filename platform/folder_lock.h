// One run at a time converts into a folder: a run holds an advisory lock
// (flock) on the file ".ombrix.lock" in each folder it writes into, for as
// long as it runs. Runs that share a folder on purpose (the shards of one
// library) hold it shared, which keeps out only the runs that hold it
// alone. The lock file is created once and stays; it is never written.
#pragma once

#include <functional>
#include <string>

// How a lock that another process holds is met.
enum class LockWait {
    kWait,    // wait until the other process releases it
    kNoWait,  // give up at once (the error is EWOULDBLOCK)
};

// Whether other holders may hold the lock at the same time.
enum class LockShare {
    kAlone,   // no other run converts into the folder meanwhile
    kShared,  // runs that share it may, a run that holds it alone may not
};

// The lock file's name inside a locked folder.
constexpr char kFolderLockName[] = ".ombrix.lock";

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock() { Release(); }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Locks `folder` (which exists). `onWait` is called once before waiting
    // for another holder. False, with the errno in `error`, when the lock
    // file cannot be opened (a link or anything but a regular file in its
    // place included) or another holder keeps it and `wait` is kNoWait.
    bool Acquire(const std::string& folder, LockWait wait, LockShare share, const std::function<void()>& onWait,
                 int& error);
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Whether `error` from FolderLock::Acquire means that another run holds the lock.
bool IsLockedByAnother(int error);
