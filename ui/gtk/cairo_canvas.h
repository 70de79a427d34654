// A Canvas that draws on a cairo context, and the cairo copy of a bitmap.
#pragma once

#include <cairo.h>

#include "ui/controls/canvas.h"

// The bitmap as a cairo image surface (RGB24), made on first use and kept
// with the bitmap; the bitmap owns it.
cairo_surface_t* CairoSurfaceOf(const CQBXBitmap& image);

class CairoCanvas : public Canvas {
public:
    // Draws on `cr` (borrowed), whose user space is the canvas's pixels.
    explicit CairoCanvas(cairo_t* cr) : cr_(cr) {}

    // Copies pixel for pixel; a scaled context (HiDPI) keeps the pixels
    // sharp.
    void DrawImage(const CQBXBitmap& image, PixelRect source, int x, int y) override;

private:
    cairo_t* cr_;
};
