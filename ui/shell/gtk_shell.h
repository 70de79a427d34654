// Interactive mode on GTK 3: the toolkit starts only here (batch mode never
// touches it), message boxes before the window exists, and the main window.
#pragma once

#include "app/startup/interactive_shell.h"

class GtkShell final : public InteractiveShell {
public:
    bool Start() override;
    void ShowMessage(std::string_view text, std::string_view explanation) override;
    int RunMainWindow(COmbrixDlg& dlg, SongContainer& renderSong, const std::string& songPath) override;
};
