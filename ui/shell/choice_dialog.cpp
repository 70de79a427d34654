// The modal frame of the practice and sound dialogs.
#include "ui/shell/choice_dialog.h"

#include "platform/translation.h"

GtkWidget* NewChoiceDialog(GtkWindow* parent, const char* title, GtkWidget*& grid) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(title, parent,
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    Tr("_Cancel"), GTK_RESPONSE_CANCEL, Tr("_OK"), GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), kDialogSpacing);
    gtk_grid_set_column_spacing(GTK_GRID(grid), kDialogSpacing);
    gtk_container_set_border_width(GTK_CONTAINER(grid), kDialogBorder);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid, TRUE, TRUE, 0);
    return dialog;
}

GtkWidget* ChoiceLabel(const char* text) {
    GtkWidget* label = gtk_label_new_with_mnemonic(text);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    return label;
}
