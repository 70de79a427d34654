// The main window's canvas on cairo: bitmaps pixel for pixel, channel names
// with pango in the window's font at 96 dpi.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include "ui/gtk/cairo_canvas.h"
#include "ui/window/window_canvas.h"

// The channel-name font: "Arial" 9 points, weight 600. The caller frees it
// with pango_font_description_free.
PangoFontDescription* NewChannelNameFont();

class PangoWindowCanvas final : public WindowCanvas {
public:
    // Draws on `cr` with `font`; both borrowed.
    PangoWindowCanvas(cairo_t* cr, const PangoFontDescription* font) : cr_(cr), font_(font), images_(cr) {}

    void DrawImage(const CQBXBitmap& image, PixelRect source, int x, int y) override {
        images_.DrawImage(image, source, x, y);
    }
    void DrawText(int x, int top, int height, std::string_view text, TextColour colour) override;

private:
    cairo_t* cr_;
    const PangoFontDescription* font_;
    CairoCanvas images_;
};
