// A new file written under a temporary name beside its target and renamed
// over the target only when it is finished, so a failed or abandoned file
// never replaces an existing one. While it exists, an interrupt of the
// program removes it (see interrupt_cleanup.h). The temporary name is
// ".<name>.part-<pid>-<n>".
#pragma once

#include <string>
#include <vector>

#include "platform/interrupt_cleanup.h"

// Removes from `folder` the temporary files of the targets `targetNames`
// (file names in that folder) that no writer holds any more (a run killed
// outright leaves them): each temporary file is locked by its writer while
// it is open, so a file whose lock is free is abandoned, whatever process
// number its name carries. Files of other names, other programs' files of a
// name like ours included, stay.
void RemoveAbandonedTemporaryFiles(const std::string& folder, const std::vector<std::string>& targetNames);
// The same for the one target at `targetPath`.
void RemoveAbandonedTemporaryFilesOf(const std::string& targetPath);

class TemporaryFile {
public:
    TemporaryFile() = default;
    // Removes the temporary file unless it was committed.
    ~TemporaryFile() { Discard(); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the temporary file beside `targetPath` and returns its open
    // descriptor, which the caller owns and closes before Commit; -1 when the
    // folder cannot take a new file, or the target is a folder or is not
    // writable (errno tells why).
    int Create(const std::string& targetPath);
    // Renames the closed temporary file over the target, which keeps the
    // permissions of the file it replaces. False (errno set) when that
    // fails; the temporary file is then removed.
    bool Commit();
    // Removes the temporary file; the target is left as it was.
    void Discard();

    // The temporary file's path while it exists, else "".
    const std::string& Path() const { return tempPath_; }

private:
    void ReleaseLock();

    UnfinishedFile unfinished_;
    int lockFd_ = -1;  // holds the writer's lock on the temporary file until it is renamed or removed
    std::string targetPath_;
    std::string tempPath_;
    int replacedMode_ = -1;  // permission bits of the file being replaced, -1 for a new file
};
