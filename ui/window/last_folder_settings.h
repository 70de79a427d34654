// Where the window keeps its settings between runs: the folder of the last
// opened song and the sound it converts with.
#pragma once

#include <string>
#include <string_view>

#include "app/startup/sound_choice.h"

class LastFolderSettings {
public:
    virtual ~LastFolderSettings() = default;
    // The folder the open and save dialogs start in when the window opens.
    virtual std::string ReadLastFolder() = 0;
    // Remembers `folder` for the next run.
    virtual void WriteLastFolder(std::string_view folder) = 0;
    // The SoundFont, reverb and chorus conversions use.
    virtual SoundChoice ReadSound() = 0;
    // Remembers `choice` for this and the next runs.
    virtual void WriteSound(const SoundChoice& choice) = 0;
};

// Where the dialogs start: the `remembered` folder while it exists, else the
// documents folder, else the home folder (never the program's own folder).
// Empty arguments stand for none.
std::string DialogStartFolder(const std::string& remembered, const std::string& documents, const std::string& home);

// The settings file of the current user; the dialogs start as
// DialogStartFolder says.
class ProgramLastFolderSettings final : public LastFolderSettings {
public:
    std::string ReadLastFolder() override;
    void WriteLastFolder(std::string_view folder) override;
    SoundChoice ReadSound() override;
    void WriteSound(const SoundChoice& choice) override;
};
