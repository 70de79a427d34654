// The yellow tempo display's digit cells and the channel row bars.
#include <array>
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/art_style.h"

namespace {

constexpr int kCellWidth = 30;
constexpr int kCellHeight = 34;

// Segments a..g of a seven-segment digit, as bits 0..6.
enum Segment { kA = 1, kB = 2, kC = 4, kD = 8, kE = 16, kF = 32, kG = 64 };
constexpr std::array<int, 10> kDigitSegments = {
    kA | kB | kC | kD | kE | kF,       // 0
    kB | kC,                           // 1
    kA | kB | kD | kE | kG,            // 2
    kA | kB | kC | kD | kG,            // 3
    kB | kC | kF | kG,                 // 4
    kA | kC | kD | kF | kG,            // 5
    kA | kC | kD | kE | kF | kG,       // 6
    kA | kB | kC,                      // 7
    kA | kB | kC | kD | kE | kF | kG,  // 8
    kA | kB | kC | kD | kF | kG,       // 9
};
constexpr int kAllSegments = 127;

// A segment with pointed ends from (x1, y1) to (x2, y2), horizontal or
// vertical, `thickness` across.
void SegmentPath(cairo_t* cr, double x1, double y1, double x2, double y2, double thickness)
{
    const double h = thickness / 2;
    if (y1 == y2) {
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x1 + h, y1 - h);
        cairo_line_to(cr, x2 - h, y1 - h);
        cairo_line_to(cr, x2, y1);
        cairo_line_to(cr, x2 - h, y1 + h);
        cairo_line_to(cr, x1 + h, y1 + h);
    } else {
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x1 + h, y1 + h);
        cairo_line_to(cr, x1 + h, y2 - h);
        cairo_line_to(cr, x1, y2);
        cairo_line_to(cr, x1 - h, y2 - h);
        cairo_line_to(cr, x1 - h, y1 + h);
    }
    cairo_close_path(cr);
}

// Fills the segments of `mask` in a digit box at (left, top).
void FillSegments(cairo_t* cr, double left, double top, int mask)
{
    constexpr double kWidth = 15;
    constexpr double kHeight = 24;
    constexpr double kThickness = 3.6;
    constexpr double kGap = 1.1;
    const double right = left + kWidth;
    const double middle = top + kHeight / 2;
    const double bottom = top + kHeight;
    if (mask & kA) SegmentPath(cr, left + kGap, top, right - kGap, top, kThickness);
    if (mask & kB) SegmentPath(cr, right, top + kGap, right, middle - kGap, kThickness);
    if (mask & kC) SegmentPath(cr, right, middle + kGap, right, bottom - kGap, kThickness);
    if (mask & kD) SegmentPath(cr, left + kGap, bottom, right - kGap, bottom, kThickness);
    if (mask & kE) SegmentPath(cr, left, middle + kGap, left, bottom - kGap, kThickness);
    if (mask & kF) SegmentPath(cr, left, top + kGap, left, middle - kGap, kThickness);
    if (mask & kG) SegmentPath(cr, left + kGap, middle, right - kGap, middle, kThickness);
    cairo_fill(cr);
}

void PaintCell(cairo_t* cr, int cell, int litSegments)
{
    const double x = cell * kCellWidth;
    SetColour(cr, Palette::kLcd);
    cairo_rectangle(cr, x, 0, kCellWidth, kCellHeight);
    cairo_fill(cr);
    // A slight italic, as display glass digits have.
    cairo_save(cr);
    cairo_matrix_t slant;
    cairo_matrix_init(&slant, 1, 0, -0.08, 1, 0, 0);
    cairo_translate(cr, x + 1.5, 0);
    cairo_transform(cr, &slant);
    SetColour(cr, Palette::kLcdGhost);
    FillSegments(cr, 7, 5, kAllSegments);
    if (litSegments != 0) {
        // The ink casts a faint shadow on the display's back plate.
        SetColour(cr, Palette::kLcdInk, 0.18);
        cairo_save(cr);
        cairo_translate(cr, 1, 1);
        FillSegments(cr, 7, 5, litSegments);
        cairo_restore(cr);
        SetColour(cr, Palette::kLcdInk);
        FillSegments(cr, 7, 5, litSegments);
    }
    cairo_restore(cr);
}

}  // namespace

void PaintDigitStrip(cairo_t* cr)
{
    for (int digit = 0; digit < 10; ++digit) {
        PaintCell(cr, digit, kDigitSegments[static_cast<std::size_t>(digit)]);
    }
    PaintCell(cr, 10, 0);   // blank
    PaintCell(cr, 11, kG);  // "-"
}

void PaintRowBar(cairo_t* cr, bool used)
{
    SetColour(cr, Palette::kRecess);
    cairo_paint(cr);
    if (used) {
        FillVertical(cr, 0, 0, 301, 16, 2, Palette::kEdgeDark, Palette::kEdgeDark);
        // White where the names print: the names' colour (172, 99, 43) keeps
        // a contrast of 4.5:1 only on a face this light.
        FillVertical(cr, 1, 1, 299, 14, 1.5, Colour{255, 255, 255}, Colour{255, 255, 255});
        // Pilot lamp at the right end: this channel plays.
        Lamp(cr, 292.5, 8, 3, Palette::kAccent, true);
    } else {
        FillVertical(cr, 0, 0, 301, 16, 2, Palette::kEdgeDark, Palette::kEdgeDark);
        FillVertical(cr, 1, 1, 299, 14, 1.5, Palette::kRowDark, Mix(Palette::kRowDark, Palette::kRecess, 0.4));
        Lamp(cr, 292.5, 8, 3, Palette::kAccent, false);
    }
}
