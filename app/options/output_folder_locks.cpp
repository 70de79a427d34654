// Locking each output folder of a plan once.
#include "app/options/output_folder_locks.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include "platform/translation.h"

bool OutputFolderLocks::Lock(const ConversionPlan& plan, std::set<FileIdentity> locked, LockShare share, LockWait wait) {
    std::set<std::string> seen;
    for (const PlannedFile& file : plan.files) {
        if (!file.error.empty() || file.output.empty()) continue;
        const std::filesystem::path parent = std::filesystem::path(file.output).parent_path();
        const std::string folder = parent.empty() ? "." : parent.string();
        if (!seen.insert(folder).second) continue;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::optional<FileIdentity> identity = IdentifyFile(folder);
        if (error || !identity || !locked.insert(*identity).second) continue;
        const auto sayWaiting = [&folder] {
            WriteErrorLine(Formatted(Tr("another run is converting into %s; waiting for it to finish"), folder.c_str()));
        };
        int lockError = 0;
        if (locks_.emplace_back().Acquire(folder, wait, share, sayWaiting, lockError)) continue;
        if (IsLockedByAnother(lockError)) {
            WriteErrorLine(Formatted(Tr("another run is converting into %s (it holds %s); nothing was converted (--no-wait)"),
                                     folder.c_str(), (parent / kFolderLockName).c_str()));
            return false;
        }
        WriteErrorLine(Formatted(Tr("cannot lock the folder %s against other runs: %s"), folder.c_str(),
                                 SystemReason(lockError).c_str()));
    }
    return true;
}
