// The About box.
#include "ui/shell/about_box.h"

#include "platform/translation.h"
#include "resources/resource_ids.h"
#include "ui/gtk/window_icon.h"

void RunAboutBox(GtkWindow* parent) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(Tr("About Ombrix Converter"), parent,
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    Tr("_OK"), GTK_RESPONSE_OK, nullptr);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 16);
    gtk_container_set_border_width(GTK_CONTAINER(row), 16);
    if (GdkPixbuf* icon = NewIconPixbuf(ResourceId::kIcon)) {
        gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_pixbuf(icon), FALSE, FALSE, 0);
        g_object_unref(icon);
    }
    GtkWidget* lines = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    GtkWidget* version = gtk_label_new(kAboutVersionText);
    GtkWidget* purpose = gtk_label_new(Tr("MIDI files to WAV practice tracks"));
    gtk_widget_set_halign(version, GTK_ALIGN_START);
    gtk_widget_set_halign(purpose, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(lines), version, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(lines), purpose, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), lines, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row, FALSE, FALSE, 0);
    gtk_widget_show_all(dialog);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}
