// The Practice dialog's widgets.
#include "ui/shell/practice_dialog.h"

#include <algorithm>
#include <array>

#include "app/options/practice_values.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "ui/shell/choice_dialog.h"
#include "ui/window/practice_choices.h"
#include "ui/window/practice_form.h"
#include "ui/window/tempo_buttons.h"

namespace {

// The loudness a file gets when the choice is first turned on (LUFS), and its range.
constexpr double kDefaultLoudness = -16.0;
constexpr double kQuietestLoudness = -40.0;
constexpr double kLoudestLoudness = -5.0;
constexpr int kNumberChars = 6;
constexpr int kColumns = 5;

// A bold line that opens a group of choices.
GtkWidget* Heading(const char* text) {
    GtkWidget* label = gtk_label_new(nullptr);
    gchar* markup = g_markup_printf_escaped("<b>%s</b>", text);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    gtk_widget_set_margin_top(label, kDialogSpacing);
    return label;
}

// The name a screen reader gives `widget`.
void Name(GtkWidget* widget, const char* name) { atk_object_set_name(gtk_widget_get_accessible(widget), name); }

GtkWidget* Spin(double low, double high, double value, double step, GtkWidget* label) {
    GtkWidget* spin = gtk_spin_button_new_with_range(low, high, step);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(spin), value);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
    if (label) {
        gtk_label_set_mnemonic_widget(GTK_LABEL(label), spin);
        // The label does not name a spin button for screen readers by itself.
        Name(spin, gtk_label_get_text(GTK_LABEL(label)));
    }
    return spin;
}

GtkWidget* Check(const char* text, bool active) {
    GtkWidget* check = gtk_check_button_new_with_mnemonic(text);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), active);
    return check;
}

// A field for a typed number or list, named by `label`.
GtkWidget* Entry(const std::string& text, GtkWidget* label, int chars = kNumberChars) {
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(entry), chars);
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), entry);
    Name(entry, gtk_label_get_text(GTK_LABEL(label)));
    return entry;
}

// A widget is usable only while its check box is ticked.
void FollowCheck(GtkWidget* check, GtkWidget* widget) {
    g_object_bind_property(check, "active", widget, "sensitive", G_BINDING_SYNC_CREATE);
}

int IntOf(GtkWidget* spin) { return gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(spin)); }
bool Ticked(GtkWidget* check) { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check)); }
std::string TextOf(GtkWidget* entry) { return gtk_entry_get_text(GTK_ENTRY(entry)); }

// Places widgets in the grid's next row, one a column; a null leaves a column empty.
class Rows {
public:
    explicit Rows(GtkWidget* grid) : grid_(GTK_GRID(grid)) {}
    void Add(std::initializer_list<GtkWidget*> widgets) {
        int column = 0;
        for (GtkWidget* widget : widgets) {
            if (widget) gtk_grid_attach(grid_, widget, column, row_, 1, 1);
            ++column;
        }
        ++row_;
    }
    void AddWide(GtkWidget* widget, int column = 0) { gtk_grid_attach(grid_, widget, column, row_++, kColumns - column, 1); }

private:
    GtkGrid* grid_;
    int row_ = 0;
};

}  // namespace

std::optional<PracticeSettings> RunPracticeDialog(GtkWindow* parent, const PracticeSettings& current,
                                                  const SongOptions& song, int lastMeasure) {
    GtkWidget* grid = nullptr;
    GtkWidget* dialog = NewChoiceDialog(parent, Tr("Practice"), grid);
    Rows rows(grid);
    const PracticeForm form = PracticeFormOf(current);

    const int measures = std::max(lastMeasure, 1);
    const bool section = current.firstMeasure > 0;
    GtkWidget* sectionCheck = Check(Tr("Only _measures"), section);
    GtkWidget* first = Spin(1, measures, section ? current.firstMeasure : 1, 1, nullptr);
    Name(first, Tr("First measure"));
    GtkWidget* toLabel = ChoiceLabel(Tr("_to"));
    GtkWidget* last = Spin(1, measures, section ? current.lastMeasure : measures, 1, toLabel);
    Name(last, Tr("Last measure"));
    FollowCheck(sectionCheck, first);
    FollowCheck(sectionCheck, last);
    gchar* count = g_strdup_printf(Tr("of %d"), measures);
    rows.Add({sectionCheck, first, toLabel, last, ChoiceLabel(count)});
    g_free(count);

    GtkWidget* loopCheck = Check(Tr("_Repeat the section"), form.loop);
    GtkWidget* passes = Spin(2, kMaxLoopPasses, form.loop ? current.loopPasses : 2, 1, nullptr);
    Name(passes, Tr("Passes"));
    FollowCheck(loopCheck, passes);
    rows.Add({loopCheck, passes, ChoiceLabel(Tr("times"))});
    GtkWidget* stepLabel = ChoiceLabel(Tr("Each pass _faster by (points)"));
    GtkWidget* step = Entry(form.tempoStep, stepLabel);
    GtkWidget* toTempoLabel = ChoiceLabel(Tr("or l_ast pass's tempo (%)"));
    GtkWidget* toTempo = Entry(form.tempoTo, toTempoLabel);
    FollowCheck(loopCheck, step);
    FollowCheck(loopCheck, toTempo);
    rows.Add({stepLabel, step, toTempoLabel, toTempo});

    GtkWidget* tempoLabel = ChoiceLabel(Tr("_Tempo (%)"));
    GtkWidget* tempo = Spin(kMinTempoPercent, kMaxTempoPercent, current.tempoPercent, 1, tempoLabel);
    GtkWidget* keyLabel = ChoiceLabel(Tr("_Key (semitones)"));
    GtkWidget* key = Spin(-kMaxTransposeSemitones, kMaxTransposeSemitones, current.transpose, 1, keyLabel);
    rows.Add({tempoLabel, tempo, keyLabel, key});

    rows.AddWide(Heading(Tr("Count-in and click")));
    GtkWidget* preCount = Check(Tr("_Pre-count"), current.preCount);
    GtkWidget* countInLabel = ChoiceLabel(Tr("Count-_in length"));
    GtkWidget* countIn = gtk_combo_box_text_new();
    gtk_label_set_mnemonic_widget(GTK_LABEL(countInLabel), countIn);
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(countIn), Tr("1 measure"));
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(countIn), Tr("2 measures"));
    gtk_combo_box_set_active(GTK_COMBO_BOX(countIn), std::clamp(current.countInMeasures, 1, kLongestCountInBars) - 1);
    Name(countIn, gtk_label_get_text(GTK_LABEL(countInLabel)));
    FollowCheck(preCount, countIn);
    rows.Add({preCount, nullptr, countInLabel, countIn});
    GtkWidget* click = Check(Tr("_Click on every beat"), current.click);
    GtkWidget* clickLevelLabel = ChoiceLabel(Tr("Click le_vel (dB)"));
    GtkWidget* clickLevel = Entry(form.clickLevel, clickLevelLabel);
    rows.Add({click, nullptr, clickLevelLabel, clickLevel});
    GtkWidget* drop = Check(Tr("_Drop the empty measures before the song"), current.dropEmptyBars);
    rows.AddWide(drop);

    rows.AddWide(Heading(Tr("Levels in dB (empty: as the song plays)")));
    const std::array<const char*, kLevelParts.size()> partLabels = {Tr("M_elody"), Tr("_Guitar"), Tr("_Bass"),
                                                                     Tr("Dr_ums")};
    std::array<GtkWidget*, kLevelParts.size()> partLevels{};
    for (std::size_t part = 0; part < kLevelParts.size(); part += 2) {
        GtkWidget* left = ChoiceLabel(partLabels[part]);
        GtkWidget* right = ChoiceLabel(partLabels[part + 1]);
        partLevels[part] = Entry(form.partLevels[part], left);
        partLevels[part + 1] = Entry(form.partLevels[part + 1], right);
        rows.Add({left, partLevels[part], right, partLevels[part + 1]});
    }
    GtkWidget* othersLabel = ChoiceLabel(Tr("Ot_her levels"));
    GtkWidget* others = Entry(form.otherLevels, othersLabel, 0);
    gtk_entry_set_placeholder_text(GTK_ENTRY(others), "2,5-7=-6; Alto=+6");
    gtk_widget_set_tooltip_text(others, Tr("Channels or a track's name with its level, such as 2,5-7=-6; Alto=+6"));
    rows.Add({othersLabel});
    gtk_grid_attach_next_to(GTK_GRID(grid), others, othersLabel, GTK_POS_RIGHT, kColumns - 1, 1);

    rows.AddWide(Heading(Tr("File")));
    GtkWidget* loudnessCheck = Check(Tr("_Loudness (LUFS)"), current.loudnessLufs.has_value());
    GtkWidget* loudness =
        Spin(kQuietestLoudness, kLoudestLoudness, current.loudnessLufs.value_or(kDefaultLoudness), 1, nullptr);
    Name(loudness, Tr("Loudness (LUFS)"));
    gtk_spin_button_set_digits(GTK_SPIN_BUTTON(loudness), 1);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(loudness), FALSE);
    FollowCheck(loudnessCheck, loudness);
    rows.Add({loudnessCheck, loudness});
    GtkWidget* stems = Check(Tr("_Stems: one more file for each channel"), current.stems);
    rows.AddWide(stems);
    rows.AddWide(ChoiceLabel(Tr("The save dialog chooses the format.")));
    GtkWidget* problem = gtk_label_new(nullptr);
    gtk_label_set_line_wrap(GTK_LABEL(problem), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(problem), 50);
    gtk_widget_set_halign(problem, GTK_ALIGN_START);
    gtk_widget_set_no_show_all(problem, TRUE);
    rows.AddWide(problem);

    gtk_widget_show_all(dialog);
    std::optional<PracticeSettings> chosen;
    while (!chosen && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
        PracticeSettings settings = current;
        settings.firstMeasure = Ticked(sectionCheck) ? IntOf(first) : 0;
        settings.lastMeasure = Ticked(sectionCheck) ? IntOf(last) : 0;
        settings.tempoPercent = IntOf(tempo);
        settings.transpose = IntOf(key);
        settings.preCount = Ticked(preCount);
        settings.countInMeasures = gtk_combo_box_get_active(GTK_COMBO_BOX(countIn)) + 1;
        settings.dropEmptyBars = Ticked(drop);
        settings.click = Ticked(click);
        settings.loudnessLufs.reset();
        if (Ticked(loudnessCheck)) settings.loudnessLufs = gtk_spin_button_get_value(GTK_SPIN_BUTTON(loudness));
        settings.stems = Ticked(stems);
        PracticeForm typed;
        typed.clickLevel = TextOf(clickLevel);
        typed.loop = Ticked(loopCheck);
        typed.loopPasses = TextOf(passes);
        // A tempo change belongs to the loop: without it the fields are not read.
        if (typed.loop) {
            typed.tempoStep = TextOf(step);
            typed.tempoTo = TextOf(toTempo);
        }
        for (std::size_t part = 0; part < kLevelParts.size(); ++part) typed.partLevels[part] = TextOf(partLevels[part]);
        typed.otherLevels = TextOf(others);
        const PracticeFormProblem wrong = ReadPracticeForm(typed, song, settings);
        if (wrong.field == PracticeField::kNone) {
            chosen = settings;
            break;
        }
        gchar* markup = g_markup_printf_escaped("<span foreground=\"#c01c28\">%s</span>", wrong.message.c_str());
        gtk_label_set_markup(GTK_LABEL(problem), markup);
        g_free(markup);
        gtk_widget_show(problem);
        GtkWidget* field = nullptr;
        switch (wrong.field) {
            case PracticeField::kClickLevel: field = clickLevel; break;
            case PracticeField::kLoop: field = Ticked(loopCheck) && Ticked(sectionCheck) ? passes : sectionCheck; break;
            case PracticeField::kTempoStep: field = step; break;
            case PracticeField::kTempoTo: field = toTempo; break;
            case PracticeField::kPartLevel: field = partLevels[wrong.part]; break;
            case PracticeField::kOtherLevels: field = others; break;
            case PracticeField::kNone: break;
        }
        if (field) gtk_widget_grab_focus(field);
    }
    gtk_widget_destroy(dialog);
    return chosen;
}
