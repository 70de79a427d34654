// Settings folder resolution, recursive folder creation and the remembered
// song folder, on the XDG folders and the INI stand-in.
#include "app/startup/settings_file.h"

#include <filesystem>
#include <vector>

#include "app/song/path_limits.h"
#include "platform/ini_file.h"
#include "platform/known_folders.h"
#include "platform/program_folder.h"

std::string g_szSettingsFolder;
std::string g_szDocumentsFolder;

namespace {

constexpr std::string_view kSettingsSubfolder = "Quorel/OMBRIX";
constexpr std::string_view kSettingsFileName = "Ombrix.ini";
constexpr std::string_view kSection = "DirPath";
constexpr std::string_view kSongFolderKey = "SongFile";

// Creates one folder; 0 on success, otherwise the desktop's error code.
int CreateOneDirectory(const std::string& path) {
    std::error_code error;
    if (std::filesystem::create_directory(path, error)) return 0;
    if (!error || error == std::errc::file_exists) return kErrorAlreadyExists;
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return kErrorPathNotFound;
    }
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return kErrorAccessDenied;
    }
    return kErrorCannotCreate;
}

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

bool CreateDirectoryPath(std::string path, int& lastError) {
    if (!path.empty() && path.back() != '/') path += '/';
    lastError = 0;
    if (path.empty() || path == "/") {
        lastError = kErrorAlreadyExists;
        return false;
    }
    std::vector<std::string> missing;
    for (;;) {
        const int error = CreateOneDirectory(path);
        if (error == 0) break;
        lastError = error;
        // A file of that name does not count as the folder being there.
        if (error == kErrorAlreadyExists) return IsDirectory(path);
        if (error != kErrorPathNotFound) return false;
        const auto slash = path.rfind('/');
        if (slash == std::string::npos) return false;
        if (slash + 1 < path.size()) missing.push_back(path.substr(slash + 1));
        path.resize(slash);
    }
    while (!missing.empty()) {
        path += "/" + missing.back();
        missing.pop_back();
        if (const int error = CreateOneDirectory(path); error != 0) {
            lastError = error;
            return false;
        }
    }
    return true;
}

std::string SettingsFolderUnder(std::string appDataFolder) {
    if (!appDataFolder.empty() && appDataFolder.back() != '/') appDataFolder += '/';
    std::string folder = appDataFolder + std::string(kSettingsSubfolder);
    if (!FitsPathBuffer(folder)) return {};
    std::error_code error;
    if (std::filesystem::exists(folder, error)) return IsDirectory(folder) ? folder : std::string{};
    int lastError = 0;
    return CreateDirectoryPath(folder, lastError) ? folder : std::string{};
}

void ResolveSettingsFolder() {
    static bool resolved = false;
    if (resolved) return;
    resolved = true;
    const std::string documents = DocumentsFolder();
    g_szDocumentsFolder = FitsPathBuffer(documents) ? documents : std::string{};
    const std::string appData = ConfigHomeFolder();
    g_szSettingsFolder = appData.empty() ? std::string{} : SettingsFolderUnder(appData);
}

std::string PerUserSettingsFile() {
    if (g_szSettingsFolder.empty()) return std::string(kSettingsFileName);
    return g_szSettingsFolder + "/" + std::string(kSettingsFileName);
}

std::string FallbackSettingsFile() {
    const std::string& folder = ProgramFolder();
    return folder.empty() ? std::string{} : folder + std::string(kSettingsFileName);
}

std::string ReadLastFolderFrom(const std::string& perUserFile, const std::string& fallbackFile,
                               const std::string& documentsFolder) {
    const std::string beside =
        GetPrivateProfileString(kSection, kSongFolderKey, documentsFolder, kMaxPath, fallbackFile);
    return GetPrivateProfileString(kSection, kSongFolderKey, beside, kMaxPath, perUserFile);
}

std::string ReadLastFolder() {
    ResolveSettingsFolder();
    return ReadLastFolderFrom(PerUserSettingsFile(), FallbackSettingsFile(), g_szDocumentsFolder);
}

bool WriteLastFolder(std::string_view text) {
    ResolveSettingsFolder();
    return WritePrivateProfileString(kSection, kSongFolderKey, text, PerUserSettingsFile());
}
