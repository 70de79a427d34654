// Where the tone library's files are found: the "TONE/" folder beside the
// program, with a per-user copy of any of its files under the settings
// folder taking precedence.
#pragma once

#include <string>
#include <string_view>

class Myifstream;

struct ToneFolders {
    std::string programFolder;   // the program's folder, with a trailing "/"
    std::string settingsFolder;  // the per-user settings folder, without one; may be empty

    // The program's tone folder, "<program folder>TONE/".
    std::string ToneFolder() const;
    // The folder of the map or drum-key set `name`, with a trailing "/".
    std::string MapFolder(std::string_view name) const;
};

// Opens `path` for reading. A path under the program's folder is looked for
// first at the same relative place under the settings folder; only when that
// file (or a folder on its way) does not exist is the program's own file
// opened. A path under the settings folder is opened as it is; any other path
// is not opened. Returns false when nothing was opened.
bool OpenRedirected(Myifstream& file, const std::string& path, const ToneFolders& folders);

// The name of the first file in `folder` whose extension is `extension`
// (".TNF"; any case), in the order the file system lists them; empty when
// there is none.
std::string FirstFileWithExtension(const std::string& folder, std::string_view extension);
