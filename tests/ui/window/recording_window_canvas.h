// A window canvas that records images and texts, for tests of the window.
#pragma once

#include <string>
#include <vector>

#include "tests/ui/recording_canvas.h"
#include "ui/window/window_canvas.h"

struct DrawnText {
    int x;
    int top;
    int height;
    std::string text;
    TextColour colour;
    bool operator==(const DrawnText&) const = default;
};

class RecordingWindowCanvas : public WindowCanvas {
public:
    void DrawImage(const CQBXBitmap& image, PixelRect source, int x, int y) override {
        drawn.push_back({&image, source, x, y});
    }
    void DrawText(int x, int top, int height, std::string_view text, TextColour colour) override {
        texts.push_back({x, top, height, std::string(text), colour});
    }

    std::vector<DrawnImage> drawn;
    std::vector<DrawnText> texts;
};
