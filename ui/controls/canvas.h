// The surface controls and windows draw on: a toolkit draws for real, tests
// record the calls.
#pragma once

#include "ui/controls/qbx_bitmap.h"

// A rectangle in pixels: top-left corner and size.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    // True when (px, py) lies inside, the right and bottom edges excluded.
    bool Contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
    bool operator==(const PixelRect&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;
    // Copies the `source` rectangle of `image` unscaled so that its top-left
    // corner lands at (x, y) of the canvas.
    virtual void DrawImage(const CQBXBitmap& image, PixelRect source, int x, int y) = 0;
};
