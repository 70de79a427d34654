// Modal message and question dialogs.
#include "ui/shell/message_dialogs.h"

#include "resources/resource_ids.h"
#include "ui/gtk/window_icon.h"
#include "ui/window/window_texts.h"

namespace {

constexpr char kTitle[] = "Ombrix Converter";

// `text` with every invalid UTF-8 sequence replaced; an empty view (whose
// data may be null) gives an empty string.
std::string ValidText(std::string_view text) {
    if (text.empty()) return {};
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

int RunMessageDialog(GtkWindow* parent, GtkMessageType type, GtkButtonsType buttons, const std::string& text,
                     const std::string& explanation) {
    GtkWidget* dialog = gtk_message_dialog_new(parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type,
                                               buttons, "%s", text.c_str());
    if (!explanation.empty())
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", explanation.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), kTitle);
    SetWindowIconFromResource(GTK_WINDOW(dialog), ResourceId::kIcon);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response;
}

}  // namespace

void ShowMessageDialog(GtkWindow* parent, std::string_view text, std::string_view explanation) {
    RunMessageDialog(parent, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, ValidText(ShownText(text)), ValidText(explanation));
}

bool AskYesNo(GtkWindow* parent, const std::string& question) {
    return RunMessageDialog(parent, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, question, {}) == GTK_RESPONSE_YES;
}

void MessageBoxReport::Explain(std::string_view text, std::string_view explanation) {
    if (beforeShow_) beforeShow_();
    ShowMessageDialog(parent_, text, explanation);
}
