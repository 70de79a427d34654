// File chooser dialogs (GtkFileChooserDialog, never the portal chooser).
#include "ui/shell/file_dialogs.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <initializer_list>

#include "platform/translation.h"

#include "ui/shell/message_dialogs.h"
#include "ui/window/audio_file_name.h"

namespace {

// A size that fits small screens; the user may enlarge the dialog.
constexpr int kDialogWidth = 720;
constexpr int kDialogHeight = 480;
// The height of a window manager's title bar, assumed before it is known.
constexpr int kAssumedTitleBar = 32;
// The save dialog's file types keep their format here.
constexpr char kFormatKey[] = "ombrix-audio-format";

// The save dialog's file types, WAV first (the dialog's default).
struct FileType {
    AudioFormat format;
    const char* name;
};
std::array<FileType, 5> SaveFileTypes() {
    return {{{AudioFormat::kWav, Tr("Wave files (*.wav)")},
             {AudioFormat::kFlac, Tr("FLAC files (*.flac)")},
             {AudioFormat::kOgg, Tr("Ogg Vorbis files (*.ogg)")},
             {AudioFormat::kOpus, Tr("Opus files (*.opus)")},
             {AudioFormat::kMp3, Tr("MP3 files (*.mp3)")}}};
}

// "*.[fF][lL][aA][cC]" for ".flac": GTK patterns are case-sensitive.
std::string AnyCasePattern(const std::string& extension) {
    std::string pattern = "*";
    for (const char c : extension) {
        const char lower = static_cast<char>(g_ascii_tolower(c));
        const char upper = static_cast<char>(g_ascii_toupper(c));
        pattern += lower == upper ? std::string(1, c) : std::string{'[', lower, upper, ']'};
    }
    return pattern;
}

// The format of the save dialog's chosen file type (WAV when none is chosen).
AudioFormat ChosenFormat(GtkWidget* dialog) {
    GtkFileFilter* filter = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(dialog));
    if (!filter) return AudioFormat::kWav;
    return static_cast<AudioFormat>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(filter), kFormatKey)));
}

// Another file type was chosen: a name that ends in a format's extension
// takes the new type's, so that the name and the type agree.
void OnFileTypeChosen(GtkWidget* dialog, GParamSpec*, gpointer) {
    gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(dialog));
    if (!name) return;
    const std::string current = name;
    g_free(name);
    const std::string renamed = NameForChosenType(current, ChosenFormat(dialog));
    if (renamed != current) gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), renamed.c_str());
}

// A filter named `name` that matches every pattern of `patterns` (GTK
// patterns are case-sensitive, so each spells both cases).
void AddFilter(GtkWidget* dialog, const char* name, std::initializer_list<const char*> patterns) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, name);
    for (const char* pattern : patterns) gtk_file_filter_add_pattern(filter, pattern);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
}

// The file chooser picks its own size once it is shown (a remembered one,
// or one from its contents), whatever was asked for: a dialog whose frame
// (title bar and borders included) is larger than the monitor's work area
// is shrunk to fit it, so that its buttons stay on the screen.
void FitToWorkArea(GtkWidget* dialog, gpointer) {
    GdkWindow* window = gtk_widget_get_window(dialog);
    if (!window) return;
    GdkMonitor* monitor = gdk_display_get_monitor_at_window(gdk_window_get_display(window), window);
    if (!monitor) return;
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    int width = 0;
    int height = 0;
    gtk_window_get_size(GTK_WINDOW(dialog), &width, &height);
    // What the window manager adds around the client; until it has framed
    // the dialog, a title bar of a usual height is assumed.
    GdkRectangle frame{};
    gdk_window_get_frame_extents(window, &frame);
    const int frameWidth = frame.width > width ? frame.width - width : 0;
    const int frameHeight = frame.height > height ? frame.height - height : kAssumedTitleBar;
    const int fitWidth = area.width - frameWidth;
    const int fitHeight = area.height - frameHeight;
    if (width <= fitWidth && height <= fitHeight) return;
    gtk_window_resize(GTK_WINDOW(dialog), std::min(width, fitWidth), std::min(height, fitHeight));
    gtk_window_move(GTK_WINDOW(dialog), area.x, area.y);
}

// The chosen file name, or nothing; the dialog stays for another round.
std::optional<std::string> RunOnce(GtkWidget* dialog) {
    std::optional<std::string> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
            chosen = name;
            g_free(name);
        }
    }
    return chosen;
}

GtkWidget* NewChooser(GtkWindow* parent, const char* title, GtkFileChooserAction action, const char* acceptLabel,
                      const std::string& folder) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title, parent, action, Tr("_Cancel"), GTK_RESPONSE_CANCEL,
                                                    acceptLabel, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_window_set_default_size(GTK_WINDOW(dialog), kDialogWidth, kDialogHeight);
    g_signal_connect_after(dialog, "map", G_CALLBACK(FitToWorkArea), nullptr);
    g_signal_connect_after(dialog, "size-allocate", G_CALLBACK(+[](GtkWidget* widget, GdkRectangle*, gpointer) {
                               FitToWorkArea(widget, nullptr);
                           }),
                           nullptr);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
    if (!folder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), folder.c_str());
    return dialog;
}

}  // namespace

std::optional<std::string> RunOpenMidiDialog(GtkWindow* parent, const std::string& folder) {
    GtkWidget* dialog = NewChooser(parent, Tr("Open a MIDI file"), GTK_FILE_CHOOSER_ACTION_OPEN, Tr("_Open"), folder);
    AddFilter(dialog, Tr("MIDI files"), {"*.[mM][iI][dD]", "*.[mM][iI][dD][iI]", "*.[kK][aA][rR]", "*.[rR][mM][iI]"});
    AddFilter(dialog, Tr("All files"), {"*"});
    const std::optional<std::string> chosen = RunOnce(dialog);
    gtk_widget_destroy(dialog);
    return chosen;
}

std::optional<std::string> RunSaveAudioDialog(GtkWindow* parent, const std::string& folder, const std::string& songName) {
    GtkWidget* dialog = NewChooser(parent, Tr("Save the audio file"), GTK_FILE_CHOOSER_ACTION_SAVE, Tr("_Save"), folder);
    for (const FileType& type : SaveFileTypes()) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, type.name);
        gtk_file_filter_add_pattern(filter, AnyCasePattern(AudioFormatExtension(type.format)).c_str());
        g_object_set_data(G_OBJECT(filter), kFormatKey, GINT_TO_POINTER(static_cast<int>(type.format)));
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
    }
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), (songName + ".wav").c_str());
    g_signal_connect(dialog, "notify::filter", G_CALLBACK(OnFileTypeChosen), nullptr);
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(dialog), TRUE);
    std::optional<std::string> chosen;
    while (const std::optional<std::string> typed = RunOnce(dialog)) {
        // GTK has confirmed the typed name; a name that only now gets its extension is asked about here,
        // and "No" goes back to the dialog with the name as it was.
        const std::string path = SavedAudioPath(*typed, ChosenFormat(dialog));
        std::error_code error;
        if (path != *typed && std::filesystem::exists(path, error)) {
            gchar* question = g_strdup_printf(Tr("A file named \"%s\" already exists. Do you want to replace it?"),
                                              std::filesystem::path(path).filename().c_str());
            const bool replace = AskYesNo(GTK_WINDOW(dialog), question);
            g_free(question);
            if (!replace) continue;
        }
        chosen = path;
        break;
    }
    gtk_widget_destroy(dialog);
    return chosen;
}
