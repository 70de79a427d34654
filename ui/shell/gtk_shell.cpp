// GTK start-up and the main window's run.
#include "ui/shell/gtk_shell.h"

#include <gtk/gtk.h>

#include "platform/display.h"
#include "platform/standard_error.h"
#include "platform/translation.h"
#include "ui/shell/gtk_main_window.h"
#include "ui/shell/message_dialogs.h"

namespace {

// The skin is pixel art laid out for 96 dpi.
constexpr double kScreenDpi = 96.0;
// A display server that is busy starting up (a virtual one, say) can refuse
// a connection now and then; a named display is tried a few times.
constexpr int kDisplayAttempts = 5;
constexpr gulong kDisplayRetryMicroseconds = 100000;

}  // namespace

bool GtkShell::Start() {
    g_set_prgname("ombrix");
    g_set_application_name("Ombrix Converter");
    // The locale for messages is already chosen; numbers keep the C locale,
    // so that nothing written into files changes with the user's language.
    gtk_disable_setlocale();
    bool opened = gtk_init_check(nullptr, nullptr);
    for (int attempt = 1; !opened && HasDisplay() && attempt < kDisplayAttempts; ++attempt) {
        g_usleep(kDisplayRetryMicroseconds);
        opened = gtk_init_check(nullptr, nullptr);
    }
    if (!opened) return false;
    gdk_screen_set_resolution(gdk_screen_get_default(), kScreenDpi);
    return true;
}

void GtkShell::ShowMessage(std::string_view text, std::string_view explanation) {
    ShowMessageDialog(nullptr, text, explanation);
}

int GtkShell::RunMainWindow(COmbrixDlg& dlg, SongContainer& renderSong, const std::string& songPath) {
    GtkMainWindow window(dlg, renderSong);
    return window.Run(songPath);
}
