// The interactive side of start-up: the display, message boxes and the main
// window. The program's main hands one to the application object, so that
// app/ itself knows no toolkit.
#pragma once

#include <string>
#include <string_view>

class COmbrixDlg;
class SongContainer;

class InteractiveShell {
public:
    virtual ~InteractiveShell() = default;
    // Connects to the display. False when there is none; the caller tells
    // the user.
    virtual bool Start() = 0;
    // Shows `text` in a message box, with `explanation` (what to do, in
    // English) under it, and returns when it is acknowledged (only after
    // Start succeeded).
    virtual void ShowMessage(std::string_view text, std::string_view explanation) = 0;
    // Shows the main window on `dlg` and returns the exit status when it is
    // closed. Conversions render through `renderSong`; a non-empty
    // `songPath` is opened first. Both objects are borrowed.
    virtual int RunMainWindow(COmbrixDlg& dlg, SongContainer& renderSong, const std::string& songPath) = 0;
};
