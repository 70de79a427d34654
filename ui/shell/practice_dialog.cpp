// The Practice dialog's widgets.
#include "ui/shell/practice_dialog.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/translation.h"
#include "ui/window/practice_choices.h"
#include "ui/window/tempo_buttons.h"

namespace {

// The loudness a file gets when the choice is first turned on (LUFS), and its range.
constexpr double kDefaultLoudness = -16.0;
constexpr double kQuietestLoudness = -40.0;
constexpr double kLoudestLoudness = -5.0;
constexpr int kSpacing = 6;
constexpr int kBorder = 12;

GtkWidget* Label(const char* text) {
    GtkWidget* label = gtk_label_new_with_mnemonic(text);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    return label;
}

GtkWidget* Spin(double low, double high, double value, double step, GtkWidget* label) {
    GtkWidget* spin = gtk_spin_button_new_with_range(low, high, step);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), value);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
    if (label) gtk_label_set_mnemonic_widget(GTK_LABEL(label), spin);
    return spin;
}

GtkWidget* Check(const char* text, bool active) {
    GtkWidget* check = gtk_check_button_new_with_mnemonic(text);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), active);
    return check;
}

// A spin button is usable only while its check box is ticked.
void FollowCheck(GtkWidget* check, GtkWidget* widget) {
    g_object_bind_property(check, "active", widget, "sensitive", G_BINDING_SYNC_CREATE);
}

int IntOf(GtkWidget* spin) { return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(spin)); }
bool Ticked(GtkWidget* check) { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)); }

}  // namespace

std::optional<PracticeSettings> RunPracticeDialog(GtkWindow* parent, const PracticeSettings& current, int lastMeasure) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(Tr("Practice"), parent,
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    Tr("_Cancel"), GTK_RESPONSE_CANCEL, Tr("_OK"), GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), kSpacing);
    gtk_grid_set_column_spacing(GTK_GRID(grid), kSpacing);
    gtk_container_set_border_width(GTK_CONTAINER(grid), kBorder);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid, TRUE, TRUE, 0);

    const int measures = std::max(lastMeasure, 1);
    const bool section = current.firstMeasure > 0;
    GtkWidget* sectionCheck = Check(Tr("Only _measures"), section);
    GtkWidget* first = Spin(1, measures, section ? current.firstMeasure : 1, 1, nullptr);
    GtkWidget* toLabel = Label(Tr("_to"));
    GtkWidget* last = Spin(1, measures, section ? current.lastMeasure : measures, 1, toLabel);
    FollowCheck(sectionCheck, first);
    FollowCheck(sectionCheck, last);
    gtk_grid_attach(GTK_GRID(grid), sectionCheck, 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), first, 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), toLabel, 2, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), last, 3, 0, 1, 1);
    gchar* count = g_strdup_printf(Tr("of %d"), measures);
    gtk_grid_attach(GTK_GRID(grid), Label(count), 4, 0, 1, 1);
    g_free(count);

    GtkWidget* tempoLabel = Label(Tr("_Tempo (%)"));
    GtkWidget* tempo = Spin(kMinTempoPercent, kMaxTempoPercent, current.tempoPercent, 1, tempoLabel);
    gtk_grid_attach(GTK_GRID(grid), tempoLabel, 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), tempo, 1, 1, 1, 1);

    GtkWidget* keyLabel = Label(Tr("_Key (semitones)"));
    GtkWidget* key = Spin(-kMaxTransposeSemitones, kMaxTransposeSemitones, current.transpose, 1, keyLabel);
    gtk_grid_attach(GTK_GRID(grid), keyLabel, 0, 2, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), key, 1, 2, 1, 1);

    GtkWidget* preCount = Check(Tr("_Pre-count measure"), current.preCount);
    GtkWidget* click = Check(Tr("_Click on every beat"), current.click);
    gtk_grid_attach(GTK_GRID(grid), preCount, 0, 3, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), click, 0, 4, 2, 1);

    GtkWidget* loudnessCheck = Check(Tr("_Loudness (LUFS)"), current.loudnessLufs.has_value());
    GtkWidget* loudness =
        Spin(kQuietestLoudness, kLoudestLoudness, current.loudnessLufs.value_or(kDefaultLoudness), 1, nullptr);
    gtk_spin_button_set_digits(GTK_SPIN_BUTTON(loudness), 1);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(loudness), FALSE);
    FollowCheck(loudnessCheck, loudness);
    gtk_grid_attach(GTK_GRID(grid), loudnessCheck, 0, 5, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), loudness, 1, 5, 1, 1);

    GtkWidget* stems = Check(Tr("_Stems: one more file for each channel"), current.stems);
    gtk_grid_attach(GTK_GRID(grid), stems, 0, 6, 4, 1);
    gtk_grid_attach(GTK_GRID(grid), Label(Tr("The save dialog chooses the format.")), 0, 7, 4, 1);

    gtk_widget_show_all(dialog);
    std::optional<PracticeSettings> chosen;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        PracticeSettings settings;
        settings.firstMeasure = Ticked(sectionCheck) ? IntOf(first) : 0;
        settings.lastMeasure = Ticked(sectionCheck) ? IntOf(last) : 0;
        settings.tempoPercent = IntOf(tempo);
        settings.transpose = IntOf(key);
        settings.preCount = Ticked(preCount);
        settings.click = Ticked(click);
        if (Ticked(loudnessCheck)) settings.loudnessLufs = gtk_spin_button_get_value(GTK_SPIN_BUTTON(loudness));
        settings.stems = Ticked(stems);
        chosen = settings;
    }
    gtk_widget_destroy(dialog);
    return chosen;
}
