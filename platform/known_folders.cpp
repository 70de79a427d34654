// XDG base and user folders, read from the environment and user-dirs.dirs.
#include "platform/known_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// The XDG_DOCUMENTS_DIR line of user-dirs.dirs, with "$HOME" expanded.
std::string DocumentsFromUserDirs(const std::string& configHome, const std::string& home) {
    if (configHome.empty()) return {};
    std::ifstream in(configHome + "/user-dirs.dirs");
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(kKey, 0) != 0) continue;
        std::string value = line.substr(kKey.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        constexpr std::string_view kHome = "$HOME";
        if (value.rfind(kHome, 0) == 0) {
            if (home.empty()) return {};
            value = home + value.substr(kHome.size());
        }
        return value.empty() || value.front() != '/' ? std::string{} : WithoutTrailingSlash(value);
    }
    return {};
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && entry->pw_dir[0] == '/') {
        return entry->pw_dir;
    }
    return {};
}

std::string ConfigHomeFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        return WithoutTrailingSlash(config);
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string{} : WithoutTrailingSlash(home) + "/.config";
}

std::string DocumentsFolder() {
    const std::string home = HomeFolder();
    std::string folder = DocumentsFromUserDirs(ConfigHomeFolder(), home);
    if (folder.empty() && !home.empty()) folder = WithoutTrailingSlash(home) + "/Documents";
    std::error_code error;
    return !folder.empty() && std::filesystem::is_directory(folder, error) ? folder : std::string{};
}
