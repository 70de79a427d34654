// Reading the names of the inputs from a file (--files-from): one name a
// line, or names ending in NUL bytes (--null) so that any name, even one
// holding a line break, can be given; "-" reads standard input.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

// The names in `in`: split at NUL bytes when `nulSeparated`, else at line
// ends (a CR before the LF is dropped); empty names are skipped.
std::vector<std::string> ReadFileList(std::istream& in, bool nulSeparated);
// The names in the file `path` ("-" for standard input); nothing when it
// cannot be read, with the reason in `error`.
std::optional<std::vector<std::string>> ReadFileListFrom(const std::string& path, bool nulSeparated, std::string& error);
