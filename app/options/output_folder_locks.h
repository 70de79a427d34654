// The locks of a run's output folders beyond those its conversion logs
// hold: one run at a time converts into a folder, whatever its inputs.
#pragma once

#include <deque>
#include <set>

#include "app/options/conversion_plan.h"
#include "platform/file_identity.h"
#include "platform/folder_lock.h"

class OutputFolderLocks {
public:
    // Locks the folder of every output of `plan` (creating it when missing)
    // but those in `locked`, each once however it is spelled, with `share`.
    // Says once on standard error when it waits for another run. False when
    // another run converts into one of them and `wait` is kNoWait: nothing
    // may be converted then. A folder that cannot be made is left to its
    // files, which fail with the cause; one that cannot be locked is said
    // and written all the same.
    bool Lock(const ConversionPlan& plan, std::set<FileIdentity> locked, LockShare share, LockWait wait);

private:
    std::deque<FolderLock> locks_;
};
