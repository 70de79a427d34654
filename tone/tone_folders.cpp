// Tone folder paths and the redirected opening of tone files.
#include "tone/tone_folders.h"

#include <filesystem>
#include <system_error>

#include "platform/byte_file.h"
#include "platform/directory_listing.h"

namespace {

constexpr std::string_view kToneFolderName = "TONE/";

// True when `path` lies inside `folder` (given with a trailing "/").
bool LiesUnder(std::string_view path, std::string_view folder) {
    return !folder.empty() && folder.back() == '/' && path.size() > folder.size() && path.starts_with(folder);
}

// True when `path` is missing itself or through a missing folder on its way.
bool IsMissing(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return true;
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

}  // namespace

std::string ToneFolders::ToneFolder() const { return programFolder + std::string(kToneFolderName); }

std::string ToneFolders::MapFolder(std::string_view name) const {
    return ToneFolder() + std::string(name) + "/";
}

bool OpenRedirected(Myifstream& file, const std::string& path, const ToneFolders& folders) {
    const std::string userFolder = folders.settingsFolder.empty() ? std::string{} : folders.settingsFolder + "/";
    if (LiesUnder(path, folders.programFolder)) {
        if (!userFolder.empty()) {
            const std::string userPath = userFolder + path.substr(folders.programFolder.size());
            if (!IsMissing(userPath)) return file.Open(userPath);
        }
        return file.Open(path);
    }
    if (LiesUnder(path, userFolder)) return file.Open(path);
    return false;
}

std::string FirstFileWithExtension(const std::string& folder, std::string_view extension) {
    for (const DirectoryEntry& entry : ListEntriesWithExtension(folder, extension)) {
        if (!entry.isDirectory) return entry.name;
    }
    return {};
}
