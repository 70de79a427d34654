// Small files read and written whole, never through a symbolic link: a link
// planted where such a file belongs is neither followed nor written through,
// and a FIFO or device there is never opened in a way that waits.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// What ReadWholeFile found at a path.
enum class WholeFileRead {
    kRead,        // the text was read
    kMissing,     // no file of that name
    kNotRegular,  // a folder, link, FIFO, socket or device: not opened for reading
    kFailed,      // the file could not be read, or is longer than asked for
};

// Reads the regular file at `path` into `text` when it holds at most `maxBytes` bytes.
WholeFileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& text);

// Writes `text` as the file at `path` by a temporary file beside it renamed
// over it: a link at `path` is replaced, never written through, and a reader
// sees the old text or the new one. False with errno set on failure.
bool ReplaceWholeFile(const std::string& path, const std::string& text);

// Opens the regular file at `path` (created if missing) for writing from an
// empty start, never through a link and never waiting on a FIFO or device
// put in its place. Null, with the errno in `error`, on failure.
std::FILE* OpenForRewriting(const std::string& path, int& error);
