// File chooser dialogs (GtkFileChooserDialog, never the portal chooser).
#include "ui/shell/file_dialogs.h"

#include <filesystem>

#include "ui/shell/message_dialogs.h"
#include "ui/window/wave_file_name.h"

namespace {

// A size that fits small screens; the user may enlarge the dialog.
constexpr int kDialogWidth = 720;
constexpr int kDialogHeight = 480;

// A filter named `name` that matches `pattern` (GTK patterns are case-sensitive).
void AddFilter(GtkWidget* dialog, const char* name, const char* pattern) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, name);
    gtk_file_filter_add_pattern(filter, pattern);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
}

// Runs `dialog` and destroys it; the chosen file name, or nothing.
std::optional<std::string> RunChooser(GtkWidget* dialog) {
    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
            chosen = name;
            g_free(name);
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}

GtkWidget* NewChooser(GtkWindow* parent, const char* title, GtkFileChooserAction action, const char* acceptLabel,
                      const std::string& folder) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title, parent, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                                    acceptLabel, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_window_set_default_size(GTK_WINDOW(dialog), kDialogWidth, kDialogHeight);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
    if (!folder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), folder.c_str());
    return dialog;
}

}  // namespace

std::optional<std::string> RunOpenMidiDialog(GtkWindow* parent, const std::string& folder) {
    GtkWidget* dialog = NewChooser(parent, "MIDIファイルを開く", GTK_FILE_CHOOSER_ACTION_OPEN, "_Open", folder);
    AddFilter(dialog, "MIDIファイル(*.mid)", "*.[mM][iI][dD]");
    return RunChooser(dialog);
}

std::optional<std::string> RunSaveWaveDialog(GtkWindow* parent, const std::string& folder, const std::string& songName) {
    GtkWidget* dialog = NewChooser(parent, "オーディオファイルの保存", GTK_FILE_CHOOSER_ACTION_SAVE, "_Save", folder);
    AddFilter(dialog, "ウェーブファイル (*.wav)", "*.[wW][aA][vV]");
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), (songName + ".wav").c_str());
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), TRUE);
    const std::optional<std::string> typed = RunChooser(dialog);
    if (!typed) return typed;
    // GTK has confirmed the typed name; a name that only now gets its extension is asked about here.
    const std::string path = WithWaveExtension(*typed);
    std::error_code error;
    if (path != *typed && std::filesystem::exists(path, error)) {
        const std::string question = "A file named \"" + std::filesystem::path(path).filename().string() +
                                     "\" already exists. Do you want to replace it?";
        if (!AskYesNo(parent, question)) return std::nullopt;
    }
    return path;
}
