// The sound settings' widgets.
#include "ui/shell/sound_dialog.h"

#include <string>
#include <vector>

#include "app/startup/soundfont_catalog.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "ui/shell/choice_dialog.h"
#include "ui/window/sound_options.h"

namespace {


// A list of `options` with `current` chosen, named by `label`.
GtkWidget* Choice(const std::vector<SoundOption>& options, const std::string& current, GtkWidget* label) {
    GtkWidget* combo = gtk_combo_box_text_new();
    for (const SoundOption& option : options)
        gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(combo), option.value.c_str(), option.label.c_str());
    gtk_combo_box_set_active_id(GTK_COMBO_BOX(combo), current.c_str());
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), combo);
    atk_object_set_name(gtk_widget_get_accessible(combo), gtk_label_get_text(GTK_LABEL(label)));
    return combo;
}

std::string ChosenValue(GtkWidget* combo) {
    const gchar* id = gtk_combo_box_get_active_id(GTK_COMBO_BOX(combo));
    return id ? id : "";
}

// "Other file...": a SoundFont file from anywhere joins the list, chosen.
void OnOtherFile(GtkButton*, gpointer data) {
    GtkWidget* combo = GTK_WIDGET(data);
    GtkWidget* dialog = gtk_file_chooser_dialog_new(Tr("Choose a SoundFont"),
                                                    GTK_WINDOW(gtk_widget_get_toplevel(combo)),
                                                    GTK_FILE_CHOOSER_ACTION_OPEN, Tr("_Cancel"), GTK_RESPONSE_CANCEL,
                                                    Tr("_Open"), GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, Tr("SoundFonts (*.sf2, *.sf3)"));
    gtk_file_filter_add_pattern(filter, "*.[sS][fF][23]");
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
        if (path) {
            if (!gtk_combo_box_set_active_id(GTK_COMBO_BOX(combo), path)) {
                gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(combo), path, path);
                gtk_combo_box_set_active_id(GTK_COMBO_BOX(combo), path);
            }
            g_free(path);
        }
    }
    gtk_widget_destroy(dialog);
}

}  // namespace

std::optional<SoundChoice> RunSoundDialog(GtkWindow* parent, const SoundChoice& current) {
    GtkWidget* grid = nullptr;
    GtkWidget* dialog = NewChoiceDialog(parent, Tr("Sound"), grid);

    GtkWidget* fontLabel = ChoiceLabel(Tr("_SoundFont"));
    GtkWidget* font =
        Choice(SoundFontOptions(InstalledSoundFonts(SoundFontFolders()), current.soundFont), current.soundFont, fontLabel);
    GtkWidget* other = gtk_button_new_with_mnemonic(Tr("Other _file..."));
    g_signal_connect(other, "clicked", G_CALLBACK(OnOtherFile), font);
    gtk_grid_attach(GTK_GRID(grid), fontLabel, 0, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), font, 1, 0, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), other, 2, 0, 1, 1);
    GtkWidget* reverbLabel = ChoiceLabel(Tr("_Reverb"));
    GtkWidget* reverb = Choice(ReverbOptions(current.reverb), current.reverb, reverbLabel);
    gtk_grid_attach(GTK_GRID(grid), reverbLabel, 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), reverb, 1, 1, 1, 1);
    GtkWidget* chorusLabel = ChoiceLabel(Tr("C_horus"));
    GtkWidget* chorus = Choice(ChorusOptions(current.chorus), current.chorus, chorusLabel);
    gtk_grid_attach(GTK_GRID(grid), chorusLabel, 0, 2, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), chorus, 1, 2, 1, 1);
    GtkWidget* note = ChoiceLabel(Tr("Every conversion from now on plays with this sound."));
    gtk_grid_attach(GTK_GRID(grid), note, 0, 3, 3, 1);
    GtkWidget* problem = gtk_label_new(nullptr);
    gtk_label_set_line_wrap(GTK_LABEL(problem), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(problem), 50);
    gtk_widget_set_halign(problem, GTK_ALIGN_START);
    gtk_widget_set_no_show_all(problem, TRUE);
    gtk_grid_attach(GTK_GRID(grid), problem, 0, 4, 3, 1);

    gtk_widget_show_all(dialog);
    std::optional<SoundChoice> chosen;
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        SoundChoice choice;
        choice.soundFont = ChosenValue(font);
        choice.reverb = ChosenValue(reverb);
        choice.chorus = ChosenValue(chorus);
        const std::string wrong = choice.soundFont.empty() ? std::string() : SoundFontProblem(choice.soundFont);
        if (wrong.empty()) {
            chosen = choice;
            break;
        }
        gchar* markup = g_markup_printf_escaped("<span foreground=\"#c01c28\">%s</span>",
                                                Formatted(Tr("This SoundFont cannot be used: %s."), wrong.c_str()).c_str());
        gtk_label_set_markup(GTK_LABEL(problem), markup);
        g_free(markup);
        gtk_widget_show(problem);
        gtk_widget_grab_focus(font);
    }
    gtk_widget_destroy(dialog);
    return chosen;
}
