// Locking a run's output folders in one order.
#include "app/options/output_folder_locks.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "platform/file_identity.h"
#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include "platform/translation.h"

bool OutputFolderLocks::Lock(const std::vector<std::string>& folders, LockShare share, LockWait wait) {
    std::set<std::string> seen;
    std::map<FileIdentity, std::string> ordered;  // each folder once, in the order every run takes them
    for (const std::string& folder : folders) {
        if (!seen.insert(folder).second) continue;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::optional<FileIdentity> identity = IdentifyFile(folder);
        if (!error && identity) ordered.emplace(*identity, folder);
    }
    for (const auto& entry : ordered) {
        const std::string& folder = entry.second;  // named, not bound: a lambda below captures it
        const auto sayWaiting = [&folder] {
            WriteErrorLine(Formatted(Tr("another run is converting into %s; waiting for it to finish"), folder.c_str()));
        };
        int lockError = 0;
        if (locks_.emplace_back().Acquire(folder, wait, share, sayWaiting, lockError)) continue;
        if (IsLockedByAnother(lockError)) {
            const std::string lockFile = (std::filesystem::path(folder) / kFolderLockName).string();
            WriteErrorLine(Formatted(Tr("another run is converting into %s (it holds %s); nothing was converted (--no-wait)"),
                                     folder.c_str(), lockFile.c_str()));
            return false;
        }
        WriteErrorLine(Formatted(Tr("cannot lock the folder %s against other runs: %s"), folder.c_str(),
                                 SystemReason(lockError).c_str()));
    }
    return true;
}
