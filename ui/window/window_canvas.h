// The main window's drawing surface: bitmaps, and the channel names in the
// window's font (the toolkit chooses the face and size).
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/controls/canvas.h"

// A text colour.
struct TextColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const TextColour&) const = default;
};

class WindowCanvas : public Canvas {
public:
    // Writes `text` (UTF-8) from x on, centred vertically in the band of
    // `height` pixels from `top` (its capital letters as high above the
    // middle as below), in the window's font and `colour`, on a transparent
    // background.
    virtual void DrawText(int x, int top, int height, std::string_view text, TextColour colour) = 0;
};
