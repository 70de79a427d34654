// Which file a path names, whatever the spelling or links that lead to it:
// the device and inode numbers of the file it resolves to.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file `path` names (links followed), or nothing when
// there is no such file.
std::optional<FileIdentity> IdentifyFile(const std::string& path);
// Whether the file `path` may be reached under another name too: it is a
// symbolic link, or a file with more than one hard link.
bool HasOtherNames(const std::string& path);
