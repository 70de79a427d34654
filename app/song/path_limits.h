// The length limit every path of the program keeps: the 260-byte path buffer
// of the desktop the program comes from, terminator included. A longer path
// is refused, never cut short into another file's name.
#pragma once

#include <cstddef>
#include <string_view>

constexpr std::size_t kMaxPath = 260;

// True when `path` fits a path buffer with its terminator.
inline bool FitsPathBuffer(std::string_view path) { return path.size() < kMaxPath; }
