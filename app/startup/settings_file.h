// The settings file "Ombrix.ini": it remembers the folder from which the user
// last opened a MIDI file (section "DirPath", key "SongFile"). The per-user
// copy lives in "Quorel/OMBRIX" under the configuration folder; a copy beside
// the program is read when the per-user one has no value.
#pragma once

#include <string>
#include <string_view>

// The per-user settings folder without a trailing "/"; empty when it could
// not be determined or created. Filled by ResolveSettingsFolder.
extern std::string g_szSettingsFolder;
// The user's documents folder; empty when unavailable. Filled by
// ResolveSettingsFolder.
extern std::string g_szDocumentsFolder;

// Error codes that CreateDirectoryPath reports, as the desktop numbers them.
constexpr int kErrorPathNotFound = 3;
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorAlreadyExists = 183;
constexpr int kErrorCannotCreate = 82;

// Fills g_szSettingsFolder and g_szDocumentsFolder on the first call (creating
// the settings folder when needed); later calls do nothing, also after a
// failure.
void ResolveSettingsFolder();

// The settings folder "Quorel/OMBRIX" under `appDataFolder`, created when
// missing; empty when it cannot be used (a file stands in its place, it
// cannot be created, or the path is too long).
std::string SettingsFolderUnder(std::string appDataFolder);

// Creates the folder `path` and every missing parent. Returns true when the
// folder exists afterwards; `lastError` gets the last error code (0 when none).
// A root ("/" or "") is never created: false with kErrorAlreadyExists.
bool CreateDirectoryPath(std::string path, int& lastError);

// The remembered folder: the per-user file's value, else the value beside the
// program, else `documentsFolder`; at most 259 bytes.
std::string ReadLastFolderFrom(const std::string& perUserFile, const std::string& fallbackFile,
                               const std::string& documentsFolder);

// The per-user settings file: g_szSettingsFolder + "/Ombrix.ini", or the bare
// name when that folder is empty.
std::string PerUserSettingsFile();

// The read-only settings file beside the program.
std::string FallbackSettingsFile();

// Resolves the folders and reads the remembered folder (see ReadLastFolderFrom).
std::string ReadLastFolder();

// Resolves the folders and stores `text` in the per-user settings file.
// Returns false when the file could not be written.
bool WriteLastFolder(std::string_view text);
