// Build step: writes the program's icon (its largest size) as a PNG file for
// the desktop's icon theme. Usage: ombrix_icon_png <output.png>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <iostream>

#include "resources/resource_ids.h"
#include "ui/gtk/window_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ombrix_icon_png <output.png>\n";
        return 2;
    }
    GdkPixbuf* icon = NewIconPixbuf(ResourceId::kIcon);
    if (!icon) {
        std::cerr << "ombrix_icon_png: the program has no icon resource\n";
        return 1;
    }
    GError* error = nullptr;
    const bool saved = gdk_pixbuf_save(icon, argv[1], "png", &error, nullptr);
    g_object_unref(icon);
    if (!saved) {
        std::cerr << "ombrix_icon_png: " << argv[1] << ": " << (error ? error->message : "not written") << '\n';
        g_clear_error(&error);
        return 1;
    }
    return 0;
}
