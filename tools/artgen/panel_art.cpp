// The window's face: title, labels and the wells that the switches, the
// tempo display and the channel rows sit in.
#include <cmath>
#include <cstdint>
#include <string>

#include "tools/artgen/art.h"
#include "tools/artgen/art_style.h"

namespace {

constexpr int kWidth = 408;
constexpr int kHeight = 544;
constexpr double kLabelSize = 10;
constexpr double kLabelSpacing = 0.8;

// A fine brushed grain, the same on every run.
void BrushedGrain(cairo_t* cr)
{
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / static_cast<double>(1u << 24);
    };
    cairo_set_line_width(cr, 1.0);
    for (int y = 0; y < kHeight; ++y) {
        const double shade = next();
        const bool light = shade > 0.5;
        SetColour(cr, light ? Palette::kEdgeLight : Palette::kEdgeDark, 0.05 + 0.05 * next());
        const double start = next() * kWidth * 0.6;
        cairo_move_to(cr, start, y + 0.5);
        cairo_line_to(cr, start + kWidth * (0.3 + 0.5 * next()), y + 0.5);
        cairo_stroke(cr);
    }
}

// An engraved line: dark groove with a light lip under it.
void Groove(cairo_t* cr, double x1, double x2, int y)
{
    cairo_set_line_width(cr, 1.0);
    SetColour(cr, Palette::kEdgeDark, 0.9);
    cairo_move_to(cr, x1, y + 0.5);
    cairo_line_to(cr, x2, y + 0.5);
    cairo_stroke(cr);
    SetColour(cr, Palette::kEdgeLight, 0.5);
    cairo_move_to(cr, x1, y + 1.5);
    cairo_line_to(cr, x2, y + 1.5);
    cairo_stroke(cr);
}

void Label(cairo_t* cr, const std::string& text, double x, double baseline, Align align, Colour colour = Palette::kLabel)
{
    DrawText(cr, text, x, baseline, kLabelSize, true, colour, align, kLabelSpacing);
}

void TitleBar(cairo_t* cr)
{
    FillVertical(cr, 0, 0, kWidth, 34, 0, Mix(Palette::kPanelBottom, Palette::kRecess, 0.4), Palette::kRecess);
    PaintLogo(cr, 10, 6, 22);
    DrawText(cr, "Ombrix Converter", 40, 24, 17, true, Palette::kLabel);
    DrawText(cr, "MIDI \u2192 WAV  PRACTICE TRACKS", 398, 23, 8.5, true, Palette::kAccent, Align::kRight, 0.8);
    Groove(cr, 0, kWidth, 34);
}

void FileSection(cairo_t* cr)
{
    Well(cr, 41, 40, 46, 46, 8);
    Well(cr, 143, 40, 46, 46, 8);
    // PLAY/STOP at (195, 43), beside CONVERT, short of the tempo display.
    Well(cr, 192, 40, 46, 46, 8);
    Label(cr, "LOAD", 64, 100, Align::kCentre);
    Label(cr, "CONVERT", 166, 100, Align::kCentre);
    Label(cr, "PLAY", 215, 100, Align::kCentre);
    // LOAD leads to CONVERT.
    SetColour(cr, Palette::kLabelDim, 0.8);
    cairo_set_line_width(cr, 1.0);
    for (double x = 96; x < 130; x += 4) {
        cairo_rectangle(cr, x, 62.5, 2, 1);
    }
    cairo_fill(cr);
    cairo_move_to(cr, 131, 59);
    cairo_line_to(cr, 136, 63);
    cairo_line_to(cr, 131, 67);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void TempoSection(cairo_t* cr)
{
    Label(cr, "TEMPO CHANGE", 246, 49, Align::kLeft);
    // The display: a dark bezel around a yellow field; the digit cells sit
    // at (249, 59), (280, 59), (311, 59), 30 x 34 each.
    Well(cr, 242, 52, 106, 48, 4);
    SetColour(cr, Palette::kLcd);
    cairo_rectangle(cr, 245, 55, 100, 42);
    cairo_fill(cr);
    SetColour(cr, Palette::kLcdInk, 0.25);
    cairo_rectangle(cr, 245, 55, 100, 1);
    cairo_rectangle(cr, 245, 55, 1, 42);
    cairo_fill(cr);
    DrawText(cr, "%", 357, 85, 15, true, Palette::kLabel, Align::kCentre);
    // The tempo keys: up at (369, 55), down at (369, 77).
    Well(cr, 367, 53, 26, 48, 4);
    // PRE COUNT: the box is at (248, 101).
    Label(cr, "PRE COUNT", 267, 113, Align::kLeft);
}

void PartSection(cairo_t* cr)
{
    Groove(cr, 8, kWidth - 8, 119);
    Label(cr, "EASY MINUS ONE", 27, 136, Align::kLeft);
    const double labelEnd = 27 + TextWidth(cr, "EASY MINUS ONE", kLabelSize, true, kLabelSpacing) + 8;
    SetColour(cr, Palette::kAccent, 0.85);
    cairo_rectangle(cr, labelEnd, 131, 391 - labelEnd, 2);
    cairo_fill(cr);
    // The four part keys: 80 x 48 at x 27, 122, 216, 311, y 145.
    Well(cr, 22, 141, 374, 57, 6);
}

void ChannelSection(cairo_t* cr)
{
    Well(cr, 3, 202, 402, 327, 6);
    // Channel numbers beside the rows (row i at y = 209 + 20 i).
    for (int i = 0; i < 16; ++i) {
        const int top = 209 + 20 * i;
        DrawText(cr, std::to_string(i + 1), 21, top + 12, 10, true, Palette::kLabelDim, Align::kRight);
    }
    // The switch columns: VOLUME DOWN at x 349, MUTE at x 372, 23 pixels
    // apart; a coloured mark under each, matching its lamp, and a short
    // label centred under it, so that the two never run together.
    SetColour(cr, Palette::kGreen, 0.9);
    cairo_rectangle(cr, 350, 530, 14, 2);
    cairo_fill(cr);
    SetColour(cr, Palette::kYellow, 0.9);
    cairo_rectangle(cr, 373, 530, 14, 2);
    cairo_fill(cr);
    DrawText(cr, "VOL", 357, 540, 8, true, Mix(Palette::kGreen, Palette::kLabel, 0.35), Align::kCentre, 0.0);
    DrawText(cr, "MUTE", 380, 540, 8, true, Mix(Palette::kYellow, Palette::kLabel, 0.3), Align::kCentre, 0.0);
}

}  // namespace

void PaintBackground(cairo_t* cr)
{
    FillVertical(cr, 0, 0, kWidth, kHeight, 0, Palette::kPanelTop, Palette::kPanelBottom);
    BrushedGrain(cr);
    TitleBar(cr);
    FileSection(cr);
    TempoSection(cr);
    PartSection(cr);
    ChannelSection(cr);
    Bevel(cr, 0, 0, kWidth, kHeight, true);
}
