// GTK start-up and the main window's run.
#include "ui/shell/gtk_shell.h"

#include <gtk/gtk.h>

#include <iostream>

#include "ui/shell/gtk_main_window.h"
#include "ui/shell/message_dialogs.h"

namespace {

// The skin is pixel art laid out for 96 dpi.
constexpr double kScreenDpi = 96.0;

}  // namespace

bool GtkShell::Start() {
    g_set_prgname("ombrix");
    g_set_application_name("Ombrix Converter");
    if (!gtk_init_check(nullptr, nullptr)) {
        std::cerr << kNoDisplayMessage << '\n';
        return false;
    }
    gdk_screen_set_resolution(gdk_screen_get_default(), kScreenDpi);
    return true;
}

void GtkShell::ShowMessage(std::string_view text) { ShowMessageDialog(nullptr, text); }

int GtkShell::RunMainWindow(COmbrixDlg& dlg, SongContainer& renderSong, const std::string& songPath) {
    GtkMainWindow window(dlg, renderSong);
    return window.Run(songPath);
}
