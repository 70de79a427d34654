// Locking a single conversion's output folder without waiting.
#include "app/workers/output_folder_lock.h"

#include <filesystem>

std::string OutputFolderOf(const std::string& outputPath) {
    const std::filesystem::path folder = std::filesystem::path(outputPath).parent_path();
    return folder.empty() ? "." : folder.string();
}

bool LockOutputFolder(const std::string& outputPath, FolderLock& lock) {
    int error = 0;
    if (lock.Acquire(OutputFolderOf(outputPath), LockWait::kNoWait, LockShare::kAlone, {}, error)) return true;
    return !IsLockedByAnother(error);
}
