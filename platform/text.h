// Small text helpers shared by the file and command-line readers: trimming,
// ASCII case-insensitive comparison, control characters made visible, and
// printf-style formats filled in.
#pragma once

#include <string>
#include <string_view>

// Spaces, tabs and line endings.
inline constexpr std::string_view kLineBlanks = " \t\r\n";

// `text` without the leading and trailing characters that are in `blanks`.
std::string_view Trim(std::string_view text, std::string_view blanks = kLineBlanks);
// Whether `a` and `b` are equal when ASCII letters are compared without case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// `text` with every control character written as an escape ("\n", "\r",
// "\t", or "\xNN"), so that a file name holding a line break stays on one
// line of a log.
std::string EscapeControlCharacters(std::string_view text);
// The length of the valid UTF-8 sequence at `at` of `text` (1 to 4), or 0
// when the byte there does not start one (a stray byte of Latin-1 or
// Shift_JIS, an overlong form, a surrogate).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);
// `text` as valid UTF-8: every byte that is not part of a valid sequence
// becomes U+FFFD, the replacement character.
std::string WithValidUtf8(std::string_view text);
// `format` (printf-style) filled in with the arguments. For a translated
// format, Formatted(Tr("%s saved to %s"), ...), so that each language puts
// the pieces where its word order wants them.
std::string Formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
