// Where the window keeps the folder of the last opened song between runs.
#pragma once

#include <string>
#include <string_view>

class LastFolderSettings {
public:
    virtual ~LastFolderSettings() = default;
    // The folder the open and save dialogs start in when the window opens.
    virtual std::string ReadLastFolder() = 0;
    // Remembers `folder` for the next run.
    virtual void WriteLastFolder(std::string_view folder) = 0;
};

// The settings file of the current user; without a remembered folder the
// program's own folder is the start.
class ProgramLastFolderSettings final : public LastFolderSettings {
public:
    std::string ReadLastFolder() override;
    void WriteLastFolder(std::string_view folder) override;
};
