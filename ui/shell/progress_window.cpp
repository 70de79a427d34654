// Save dialog and progress window of a conversion.
#include "ui/shell/progress_window.h"

#include <algorithm>
#include <cmath>

#include "platform/translation.h"
#include "resources/resource_ids.h"
#include "ui/gtk/window_icon.h"
#include "ui/shell/file_dialogs.h"
#include "ui/window/format_titles.h"

namespace {

// The progress window's client size and margins in pixels.
constexpr int kProgressWidth = 281;
constexpr int kMargin = 14;
// The target path's label shows about this many characters before it is shortened.
constexpr int kTargetChars = 48;
// Events are run at most this often during a conversion (a frame at 60 Hz).
constexpr std::chrono::milliseconds kPumpInterval{16};
// The bar moves in steps no finer than this (well below a pixel).
constexpr double kFractionStep = 1.0 / 1000;

void RunPendingEvents() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace

std::optional<std::string> GtkConversionUi::ChooseOutputFile(const std::string& folder, const std::string& songName) {
    return RunSaveAudioDialog(owner_, folder, songName);
}

void GtkConversionUi::NameProgress(const std::string& songName, const std::string& target, AudioFormat format) {
    title_ = ConvertingToText(format);
    songName_ = songName;
    target_ = target;
}

void GtkConversionUi::OpenProgress(int lower, int upper) {
    CloseProgress();
    lower_ = lower;
    upper_ = upper;
    cancelled_ = false;
    fraction_ = -1.0;
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), title_.empty() ? ConvertingToText(AudioFormat::kWav).c_str() : title_.c_str());
    gtk_window_set_transient_for(GTK_WINDOW(window_), owner_);
    // Not modal: GTK drops the close request of every window outside a modal
    // grab, and the main window's close button must cancel the conversion.
    // The main window takes no input while it is insensitive.
    gtk_window_set_deletable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER_ON_PARENT);
    SetWindowIconFromResource(GTK_WINDOW(window_), ResourceId::kIcon);
    // The window closes only when the conversion ends.
    g_signal_connect(window_, "delete-event", G_CALLBACK(gtk_true), nullptr);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), kMargin);
    gtk_widget_set_size_request(box, kProgressWidth, -1);
    // The song and where it goes, the folder shortened in the middle when the path is long.
    if (!songName_.empty()) {
        GtkWidget* song = gtk_label_new(songName_.c_str());
        gtk_widget_set_halign(song, GTK_ALIGN_START);
        gtk_label_set_ellipsize(GTK_LABEL(song), PANGO_ELLIPSIZE_END);
        gtk_box_pack_start(GTK_BOX(box), song, FALSE, FALSE, 0);
    }
    if (!target_.empty()) {
        gchar* shown = g_filename_display_name(target_.c_str());
        gchar* text = g_strdup_printf(Tr("into %s"), shown);
        GtkWidget* target = gtk_label_new(text);
        g_free(text);
        g_free(shown);
        gtk_widget_set_halign(target, GTK_ALIGN_START);
        gtk_label_set_ellipsize(GTK_LABEL(target), PANGO_ELLIPSIZE_MIDDLE);
        gtk_label_set_max_width_chars(GTK_LABEL(target), kTargetChars);
        gtk_box_pack_start(GTK_BOX(box), target, FALSE, FALSE, 0);
    }
    bar_ = gtk_progress_bar_new();
    label_ = gtk_label_new("1");
    cancel_ = gtk_button_new_with_mnemonic(Tr("_Cancel"));
    // Enter must not stop the conversion: the button never holds the focus.
    gtk_widget_set_can_focus(cancel_, FALSE);
    gtk_widget_set_halign(cancel_, GTK_ALIGN_END);
    g_signal_connect(cancel_, "clicked", G_CALLBACK(OnCancel), this);
    gtk_box_pack_start(GTK_BOX(box), bar_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), label_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), cancel_, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window_), box);

    gtk_widget_set_sensitive(GTK_WIDGET(owner_), FALSE);
    gtk_widget_show_all(window_);
    RunPendingEvents();
    lastPump_ = std::chrono::steady_clock::now();
}

void GtkConversionUi::PumpEvents() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < kPumpInterval) return;
    lastPump_ = now;
    RunPendingEvents();
}

void GtkConversionUi::SetProgressPosition(int position) {
    if (!bar_) return;
    const double range = upper_ - lower_;
    const double fraction = range > 0 ? (position - lower_) / range : 1.0;
    const double shown = std::clamp(fraction, 0.0, 1.0);
    if (fraction_ >= 0.0 && std::abs(shown - fraction_) < kFractionStep && shown < 1.0) return;
    fraction_ = shown;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar_), shown);
}

void GtkConversionUi::SetProgressText(const std::string& text) {
    if (label_) gtk_label_set_text(GTK_LABEL(label_), text.c_str());
}

void GtkConversionUi::CloseProgress() {
    if (!window_) return;
    gtk_widget_destroy(window_);
    window_ = bar_ = label_ = cancel_ = nullptr;
    gtk_widget_set_sensitive(GTK_WIDGET(owner_), TRUE);
    gtk_window_present(owner_);
}

void GtkConversionUi::Cancel() {
    cancelled_ = true;
    if (cancel_) gtk_widget_set_sensitive(cancel_, FALSE);
}

void GtkConversionUi::OnCancel(GtkButton*, gpointer self) { static_cast<GtkConversionUi*>(self)->Cancel(); }

gboolean GtkConversionUi::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
    switch (event->keyval) {
        case GDK_KEY_Escape:
            static_cast<GtkConversionUi*>(self)->Cancel();
            return TRUE;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
        case GDK_KEY_space:
            return TRUE;
        default:
            return FALSE;
    }
}
