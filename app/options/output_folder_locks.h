// The locks of a run's output folders: one run at a time converts into a
// folder, whatever its inputs.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/folder_lock.h"

class OutputFolderLocks {
public:
    // Locks every folder of `folders` (creating it when missing), each once
    // however it is spelled, with `share`. Every run takes its locks in one
    // order (by the folders' file identities), so that two runs never wait
    // for each other crosswise. Says once on standard error when it waits
    // for another run. False when another run converts into one of them and
    // `wait` is kNoWait: nothing may be converted then. A folder that cannot
    // be made is left to its files, which fail with the cause; one that
    // cannot be locked is said and written all the same.
    bool Lock(const std::vector<std::string>& folders, LockShare share, LockWait wait);

private:
    std::deque<FolderLock> locks_;
};
