// The SoundFonts installed on this machine, found in the usual folders, and
// the check that a chosen SoundFont can be used before anything converts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct InstalledSoundFont {
    std::string name;  // lower case, "_" and " " as "-", without extension: "musescore-general"
    std::string path;
    std::uintmax_t size = 0;
};

// The folders searched: the system's sf2, sf3 and soundfonts folders, then
// the user's own ($XDG_DATA_HOME/soundfonts, default ~/.local/share/soundfonts).
std::vector<std::string> SoundFontFolders();

// The *.sf2 and *.sf3 files (any case) of `folders`, and links to such
// files (Debian's default-GM.sf2, MuseScore_General.sf3), by name; of two
// with the same name the one in the earlier folder counts.
std::vector<InstalledSoundFont> InstalledSoundFonts(const std::vector<std::string>& folders);

// The name of the SoundFont file at `path` as the listing gives it.
std::string SoundFontName(const std::string& path);

// The SoundFont `pathOrName` means: a path (anything with a "/" or a
// SoundFont extension) as given, else the installed SoundFont of that name
// (any case). Nothing when no installed SoundFont has the name; `error`
// then says so and lists the names.
std::optional<std::string> ResolveSoundFont(const std::string& pathOrName, const std::vector<InstalledSoundFont>& installed,
                                            std::string& error);

// Why the file at `path` cannot be used as a SoundFont (missing, a folder,
// unreadable, not a SoundFont, a name the module's settings cannot carry);
// empty when it can.
std::string SoundFontProblem(const std::string& path);
