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
    // Writes `text` (UTF-8) with its top-left corner at (x, y), in the
    // window's font and `colour`, on a transparent background.
    virtual void DrawText(int x, int y, std::string_view text, TextColour colour) = 0;
};
