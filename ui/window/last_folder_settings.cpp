// The remembered folder in the settings file.
#include "ui/window/last_folder_settings.h"

#include <filesystem>
#include <iostream>

#include "app/startup/settings_file.h"
#include "platform/known_folders.h"

std::string DialogStartFolder(const std::string& remembered, const std::string& documents, const std::string& home) {
    std::error_code error;
    if (!remembered.empty() && std::filesystem::is_directory(remembered, error)) return remembered;
    return documents.empty() ? home : documents;
}

std::string ProgramLastFolderSettings::ReadLastFolder() {
    return DialogStartFolder(::ReadLastFolder(), DocumentsFolder(), HomeFolder());
}

void ProgramLastFolderSettings::WriteLastFolder(std::string_view folder) {
    if (!::WriteLastFolder(folder))
        std::cerr << "ombrix: could not save the last folder in the settings file " << PerUserSettingsFile() << '\n';
}
