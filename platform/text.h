// Small text helpers shared by the file and command-line readers: trimming
// and ASCII case-insensitive comparison.
#pragma once

#include <string_view>

// Spaces, tabs and line endings.
inline constexpr std::string_view kLineBlanks = " \t\r\n";

// `text` without the leading and trailing characters that are in `blanks`.
std::string_view Trim(std::string_view text, std::string_view blanks = kLineBlanks);
// Whether `a` and `b` are equal when ASCII letters are compared without case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
