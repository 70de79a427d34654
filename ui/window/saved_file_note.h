// The note the window's status line gives after a conversion: where the
// file went, short enough for the line, the home folder written "~".
#pragma once

#include <cstddef>
#include <string>

// About how many characters of the window's font the status line holds (a
// Japanese character counts as two).
inline constexpr std::size_t kStatusLineColumns = 56;

// The screen columns `text` (UTF-8) takes: two for a character from the
// Japanese, Chinese and Korean blocks, one for any other.
std::size_t TextColumns(const std::string& text);
// `path` shortened to at most `columns`: "~" for the home folder `home`,
// then leading folders dropped for "…/" until it fits; the file name is
// always kept whole.
std::string ShortPath(const std::string& path, const std::string& home, std::size_t columns);
// "Saved to ~/Music/song.mp3", the path shortened so that the note fits in
// `columns`.
std::string SavedFileNote(const std::string& path, const std::string& home, std::size_t columns);
// The folder that holds `path` ("/" for a file at the root, "." for a bare name).
std::string FolderOf(const std::string& path);
