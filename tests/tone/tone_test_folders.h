// Test helpers: a throw-away program folder and settings folder for tone
// files, written line by line by the tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

#include "tone/tone_folders.h"

class TempToneFolders {
public:
    TempToneFolders() {
        std::random_device seed;
        root_ = std::filesystem::temp_directory_path() / ("ombrix-tone-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(root_ / "program");
        std::filesystem::create_directories(root_ / "settings");
        folders_.programFolder = (root_ / "program").string() + "/";
        folders_.settingsFolder = (root_ / "settings").string();
    }
    ~TempToneFolders() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempToneFolders(const TempToneFolders&) = delete;
    TempToneFolders& operator=(const TempToneFolders&) = delete;

    const ToneFolders& Folders() const { return folders_; }
    // The path of `relative` under the program's folder ("TONE/QNS/A.TNF").
    std::string ProgramPath(std::string_view relative) const { return folders_.programFolder + std::string(relative); }
    std::string SettingsPath(std::string_view relative) const {
        return folders_.settingsFolder + "/" + std::string(relative);
    }

    // Writes `text` to `path`, creating its folders.
    static void Write(const std::string& path, std::string_view text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // Writes the lines, each ended with CR LF, under the program's folder; returns the path.
    std::string WriteProgramFile(std::string_view relative, std::initializer_list<std::string_view> lines) const {
        const std::string path = ProgramPath(relative);
        Write(path, Join(lines));
        return path;
    }
    std::string WriteSettingsFile(std::string_view relative, std::initializer_list<std::string_view> lines) const {
        const std::string path = SettingsPath(relative);
        Write(path, Join(lines));
        return path;
    }

    static std::string Join(std::initializer_list<std::string_view> lines) {
        std::string text;
        for (const std::string_view line : lines) (text += line) += "\r\n";
        return text;
    }

private:
    std::filesystem::path root_;
    ToneFolders folders_;
};
