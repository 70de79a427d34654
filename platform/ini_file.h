// Stand-in for the desktop's private-profile (INI) functions: one value read
// or written by section and key, with the same rules for names, defaults and
// file creation, so callers read as they would with the original functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Largest INI file read or rewritten; a bigger file counts as unreadable.
constexpr std::size_t kMaxProfileFileBytes = 1 << 20;

// The folder in which a bare profile file name (no "/") is looked up.
std::string DefaultProfileFolder();

// Reads the value of `key` in `section` (names compared case-insensitively,
// white space around names and values ignored, one pair of enclosing quotes
// removed). Returns `defaultValue` without its trailing white space when the
// file (or an empty path), section or key is missing. The result is cut to `capacity` - 1 bytes,
// as a buffer of that size would hold it.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t capacity,
                                    const std::string& path);

// Writes `key`=`value` into `section`, replacing the key's line or adding the
// key (and the section) when missing; every other line is kept. Creates the
// file, not its folder. Returns false, leaving the file alone, when it cannot
// be written or a name or the value holds a line break.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path);
