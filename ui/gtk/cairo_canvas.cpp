// Drawing bitmaps with cairo.
#include "ui/gtk/cairo_canvas.h"

#include <cstdint>
#include <memory>

cairo_surface_t* CairoSurfaceOf(const CQBXBitmap& image)
{
    std::shared_ptr<void>& cache = image.ToolkitCache();
    if (!cache) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.Width(), image.Height());
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        if (data != nullptr) {
            for (int y = 0; y < image.Height(); ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
                for (int x = 0; x < image.Width(); ++x) {
                    const auto rgb = image.Pixel(x, y);
                    row[x] = static_cast<std::uint32_t>(rgb[0]) << 16 | static_cast<std::uint32_t>(rgb[1]) << 8 | rgb[2];
                }
            }
        }
        cairo_surface_mark_dirty(surface);
        cache = std::shared_ptr<void>(surface, [](void* s) { cairo_surface_destroy(static_cast<cairo_surface_t*>(s)); });
    }
    return static_cast<cairo_surface_t*>(cache.get());
}

void CairoCanvas::DrawImage(const CQBXBitmap& image, PixelRect source, int x, int y)
{
    cairo_save(cr_);
    cairo_set_source_surface(cr_, CairoSurfaceOf(image), x - source.x, y - source.y);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr_, x, y, source.width, source.height);
    cairo_fill(cr_);
    cairo_restore(cr_);
}
