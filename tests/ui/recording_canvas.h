// A canvas that records what is drawn on it, for tests of controls.
#pragma once

#include <vector>

#include "ui/controls/canvas.h"

struct DrawnImage {
    const CQBXBitmap* image;
    PixelRect source;
    int x;
    int y;
    bool operator==(const DrawnImage&) const = default;
};

class RecordingCanvas : public Canvas {
public:
    void DrawImage(const CQBXBitmap& image, PixelRect source, int x, int y) override
    {
        drawn.push_back({&image, source, x, y});
    }

    std::vector<DrawnImage> drawn;
};
