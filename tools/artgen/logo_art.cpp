// The program's mark: an amber ring around a note turning into a wave; on
// the title bar of the face and, on a key cap, as the window icon.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/art_style.h"

void PaintLogo(cairo_t* cr, double x, double y, double size)
{
    const double r = size / 2;
    const double cx = x + r;
    const double cy = y + r;
    SetColour(cr, Palette::kRecess);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    SetColour(cr, Palette::kAccent);
    cairo_set_line_width(cr, std::max(1.5, size * 0.09));
    cairo_arc(cr, cx, cy, r - size * 0.07, 0, 2 * M_PI);
    cairo_stroke(cr);

    // The wave: one period across the ring, in cream.
    SetColour(cr, Palette::kLabel);
    cairo_set_line_width(cr, std::max(1.2, size * 0.085));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double left = cx - r * 0.55;
    const double width = r * 1.1;
    const double amplitude = r * 0.32;
    const int steps = 24;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double px = left + width * t;
        const double py = cy - amplitude * std::sin(2 * M_PI * t);
        if (i == 0) {
            cairo_move_to(cr, px, py);
        } else {
            cairo_line_to(cr, px, py);
        }
    }
    cairo_stroke(cr);
    if (size >= 20) {
        // A note head where the wave starts.
        SetColour(cr, Palette::kAccent);
        cairo_save(cr);
        cairo_translate(cr, left - r * 0.02, cy + r * 0.02);
        cairo_rotate(cr, -0.45);
        cairo_scale(cr, r * 0.2, r * 0.14);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    }
}

void PaintIcon(cairo_t* cr, int size)
{
    SetColour(cr, Palette::kRecess);
    cairo_paint(cr);
    const double radius = size / 6.0;
    FillVertical(cr, 0, 0, size, size, radius, Palette::kKeyTop, Palette::kPanelBottom);
    const double margin = size <= 16 ? 1 : size * 0.1;
    PaintLogo(cr, margin, margin, size - 2 * margin);
}
