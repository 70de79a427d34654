// The remembered folder in the settings file.
#include "ui/window/last_folder_settings.h"

#include <filesystem>
#include <iostream>

#include "app/startup/settings_file.h"
#include "app/startup/sound_settings.h"
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

SoundChoice ProgramLastFolderSettings::ReadSound() {
    ResolveSettingsFolder();
    return ReadSoundSettings(PerUserSettingsFile());
}

void ProgramLastFolderSettings::WriteSound(const SoundChoice& choice) {
    ResolveSettingsFolder();
    if (!WriteSoundSettings(choice, PerUserSettingsFile()))
        std::cerr << "ombrix: could not save the sound in the settings file " << PerUserSettingsFile() << '\n';
}
