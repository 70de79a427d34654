// File identities from stat.
#include "platform/file_identity.h"

#include <sys/stat.h>

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool HasOtherNames(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    return S_ISLNK(info.st_mode) || info.st_nlink > 1;
}
