// What the main window's logic asks of its client area in the toolkit:
// repaints and the mouse capture.
#pragma once

#include "ui/controls/canvas.h"

class ClientArea {
public:
    virtual ~ClientArea() = default;
    // Schedules a repaint of `rect` (client pixels).
    virtual void InvalidateRect(PixelRect rect) = 0;
    // Sends every mouse event to the client area until ReleaseCapture.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
};
