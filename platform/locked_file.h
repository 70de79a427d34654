// A file opened for writing under an exclusive advisory lock (flock), so
// that two processes never write it at once. The lock lasts as long as the
// file is open. Other writers that do not lock are not kept out.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// How OpenLockedForWriting treats a lock that another process holds.
enum class LockWait {
    kWait,    // wait until the other process releases it
    kNoWait,  // give up at once (the error is EWOULDBLOCK)
};

// Opens `path` for writing (created if missing), takes the lock and only
// then empties the file. `onWait` is called once before waiting for another
// holder of the lock. Null, with `error` set to the errno, on failure.
std::FILE* OpenLockedForWriting(const std::string& path, LockWait wait, const std::function<void()>& onWait, int& error);

// Whether `error` from OpenLockedForWriting means that another process holds the lock.
bool IsLockedByAnother(int error);
