// Drawing bitmaps with cairo: exact pixels, sub-rectangles, and sharp
// pixels on a doubled (HiDPI) surface.
#include "ui/gtk/cairo_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A 4 x 2 bitmap whose pixel (x, y) is (10 x, 100 + y, 7).
CQBXBitmap Pattern()
{
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            rgb.insert(rgb.end(), {static_cast<std::uint8_t>(10 * x), static_cast<std::uint8_t>(100 + y), 7});
        }
    }
    return CQBXBitmap(4, 2, rgb);
}

std::uint32_t PixelAt(cairo_surface_t* surface, int x, int y)
{
    cairo_surface_flush(surface);
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                                              y * cairo_image_surface_get_stride(surface));
    return row[x] & 0xFFFFFF;
}

std::uint32_t Rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

TEST(CairoCanvasTest, CopiesTheSourceRectangleToThePointAndNothingElse)
{
    const CQBXBitmap image = Pattern();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    CairoCanvas canvas(cr);
    canvas.DrawImage(image, {1, 1, 2, 1}, 5, 3);  // pixels (1,1) and (2,1)
    cairo_destroy(cr);

    EXPECT_EQ(PixelAt(surface, 5, 3), Rgb(10, 101, 7));
    EXPECT_EQ(PixelAt(surface, 6, 3), Rgb(20, 101, 7));
    EXPECT_EQ(PixelAt(surface, 4, 3), 0u);
    EXPECT_EQ(PixelAt(surface, 7, 3), 0u);
    EXPECT_EQ(PixelAt(surface, 5, 2), 0u);
    EXPECT_EQ(PixelAt(surface, 5, 4), 0u);
    cairo_surface_destroy(surface);
}

TEST(CairoCanvasTest, DoubledSurfaceRepeatsEachPixelWithoutBlending)
{
    const CQBXBitmap image = Pattern();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 4);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, 2, 2);
    CairoCanvas(cr).DrawImage(image, {0, 0, 4, 2}, 0, 0);
    cairo_destroy(cr);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(PixelAt(surface, x, 3), Rgb(10 * (x / 2), 101, 7)) << x;
    }
    cairo_surface_destroy(surface);
}

TEST(CairoCanvasTest, SurfaceIsMadeOnceAndKeptWithTheBitmap)
{
    const CQBXBitmap image = Pattern();
    cairo_surface_t* first = CairoSurfaceOf(image);
    EXPECT_EQ(CairoSurfaceOf(image), first);
    EXPECT_EQ(cairo_image_surface_get_width(first), 4);
    EXPECT_EQ(PixelAt(first, 3, 1), Rgb(30, 101, 7));
}

}  // namespace
