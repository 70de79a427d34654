// The remembered folder in the settings file.
#include "ui/window/last_folder_settings.h"

#include <iostream>

#include "app/startup/settings_file.h"
#include "platform/program_folder.h"

std::string ProgramLastFolderSettings::ReadLastFolder() {
    std::string folder = ::ReadLastFolder();
    if (!folder.empty()) return folder;
    folder = ProgramFolder();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

void ProgramLastFolderSettings::WriteLastFolder(std::string_view folder) {
    if (!::WriteLastFolder(folder))
        std::cerr << "ombrix: could not save the last folder in the settings file " << PerUserSettingsFile() << '\n';
}
