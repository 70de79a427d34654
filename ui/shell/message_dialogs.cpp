// Modal message and question dialogs.
#include "ui/shell/message_dialogs.h"

#include "ui/gtk/window_icon.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kTitle[] = "Ombrix Converter";

int RunMessageDialog(GtkWindow* parent, GtkMessageType type, GtkButtonsType buttons, const std::string& text) {
    GtkWidget* dialog = gtk_message_dialog_new(parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type,
                                               buttons, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), kTitle);
    SetWindowIconFromResource(GTK_WINDOW(dialog), ResourceId::kIcon);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response;
}

}  // namespace

void ShowMessageDialog(GtkWindow* parent, std::string_view text) {
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    RunMessageDialog(parent, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, valid);
    g_free(valid);
}

bool AskYesNo(GtkWindow* parent, const std::string& question) {
    return RunMessageDialog(parent, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, question) == GTK_RESPONSE_YES;
}
