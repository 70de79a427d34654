// Icon images as GdkPixbufs.
#include "ui/gtk/window_icon.h"

#include <algorithm>
#include <vector>

#include "ui/controls/dib.h"

namespace {

GdkPixbuf* NewPixbuf(const CQBXBitmap& image)
{
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, image.Width(), image.Height());
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const auto& rgb = image.Rgb();
    const int rowBytes = image.Width() * 3;
    for (int y = 0; y < image.Height(); ++y) {
        std::copy(rgb.begin() + y * rowBytes, rgb.begin() + (y + 1) * rowBytes, pixels + y * stride);
    }
    return pixbuf;
}

}  // namespace

void SetWindowIconFromResource(GtkWindow* window, int iconId)
{
    const std::vector<CQBXBitmap> images = LoadIconImages(iconId);
    if (images.empty()) {
        return;
    }
    GList* list = nullptr;
    for (const CQBXBitmap& image : images) {
        list = g_list_append(list, NewPixbuf(image));
    }
    gtk_window_set_icon_list(window, list);
    g_list_free_full(list, g_object_unref);
}

GdkPixbuf* NewIconPixbuf(int iconId)
{
    const std::vector<CQBXBitmap> images = LoadIconImages(iconId);
    return images.empty() ? nullptr : NewPixbuf(images.back());
}
