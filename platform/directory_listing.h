// Stand-in for the desktop's directory enumeration with a "*.ext" pattern:
// the entries of one folder whose names end in an extension, any case.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

struct DirectoryEntry {
    std::string name;          // the entry's name, without its folder
    bool isDirectory = false;  // a folder, or a link to one
    bool isRegularFile = false;  // a plain file, or a link to one (not a FIFO, socket or device)
    bool isBrokenLink = false;   // a link that leads to nothing (dangling, or a loop of links)
};

// The entries of `folder` whose names end in `extension` (".mid"), compared
// case-insensitively as the desktop's wildcard match does, in the order the
// file system returns them. Empty when the folder cannot be read; `error`,
// when given, then receives the system's reason.
std::vector<DirectoryEntry> ListEntriesWithExtension(const std::string& folder, std::string_view extension,
                                                     std::error_code* error = nullptr);
