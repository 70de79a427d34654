// Listing installed SoundFonts and checking a chosen one.
#include "app/startup/soundfont_catalog.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 4> kSystemFolders = {
    "/usr/share/sounds/sf2",
    "/usr/share/sounds/sf3",
    "/usr/share/soundfonts",
    "/usr/local/share/soundfonts",
};

// A SoundFont file begins with a RIFF chunk of form type "sfbk" (SF2 and SF3 alike).
constexpr std::size_t kHeaderBytes = 12;
constexpr std::string_view kRiffTag = "RIFF";
constexpr std::string_view kSoundFontForm = "sfbk";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool HasSoundFontExtension(const fs::path& path) {
    const std::string extension = Lower(path.extension().string());
    return extension == ".sf2" || extension == ".sf3";
}

}  // namespace

std::vector<std::string> SoundFontFolders() {
    std::vector<std::string> folders(kSystemFolders.begin(), kSystemFolders.end());
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        folders.push_back(std::string(dataHome) + "/soundfonts");
    } else if (home != nullptr && home[0] != '\0') {
        folders.push_back(std::string(home) + "/.local/share/soundfonts");
    }
    return folders;
}

std::string SoundFontName(const std::string& path) {
    std::string name = Lower(fs::path(path).stem().string());
    std::replace(name.begin(), name.end(), '_', '-');
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

std::vector<InstalledSoundFont> InstalledSoundFonts(const std::vector<std::string>& folders) {
    std::vector<InstalledSoundFont> installed;
    std::set<std::string> names;
    for (const std::string& folder : folders) {
        std::vector<InstalledSoundFont> here;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const fs::path& path = it->path();
            std::error_code fileError;
            if (!HasSoundFontExtension(path) || !fs::is_regular_file(path, fileError)) continue;
            here.push_back({SoundFontName(path.string()), path.string(), fs::file_size(path, fileError)});
        }
        std::sort(here.begin(), here.end(),
                  [](const InstalledSoundFont& a, const InstalledSoundFont& b) { return a.path < b.path; });
        for (InstalledSoundFont& font : here) {
            if (names.insert(font.name).second) installed.push_back(std::move(font));
        }
    }
    std::stable_sort(installed.begin(), installed.end(),
                     [](const InstalledSoundFont& a, const InstalledSoundFont& b) { return a.name < b.name; });
    return installed;
}

std::optional<std::string> ResolveSoundFont(const std::string& pathOrName, const std::vector<InstalledSoundFont>& installed,
                                            std::string& error) {
    if (pathOrName.find('/') != std::string::npos || HasSoundFontExtension(pathOrName)) return pathOrName;
    const std::string wanted = Lower(pathOrName);
    for (const InstalledSoundFont& font : installed) {
        if (font.name == wanted) return font.path;
    }
    std::string names;
    for (const InstalledSoundFont& font : installed) names += (names.empty() ? "" : ", ") + font.name;
    error = "no installed SoundFont is named '" + pathOrName + "' (" +
            (names.empty() ? std::string("none is installed") : "installed: " + names) +
            "; ombrix --list-soundfonts shows them, or give a file's path)";
    return std::nullopt;
}

std::string SoundFontProblem(const std::string& path) {
    const std::string named = "the SoundFont " + path;
    if (path.empty()) return "no SoundFont named";
    if (path.find_first_of("\r\n") != std::string::npos || path.front() == ' ' || path.back() == ' ') {
        return named + " has a line break or an outer space in its name; rename or link it";
    }
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) return named + " does not exist";
    if (!fs::is_regular_file(status)) return named + " is not a file";
    std::ifstream in(path, std::ios::binary);
    if (!in) return named + " cannot be read";
    std::array<char, kHeaderBytes> header{};
    if (!in.read(header.data(), header.size())) return named + " is not a SoundFont";
    const std::string_view bytes(header.data(), header.size());
    if (bytes.substr(0, 4) != kRiffTag || bytes.substr(8, 4) != kSoundFontForm) return named + " is not a SoundFont";
    return {};
}
