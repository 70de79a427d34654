// Key caps of the window's switches: LOAD, CONVERT, the channel switches,
// the tempo arrows and the PRE COUNT box.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/art_style.h"

namespace {

// The stripe under a big key's glyph: dark when released, lit amber while
// the key is held.
void KeyStripe(cairo_t* cr, double x, double y, double width, bool pressed)
{
    SetColour(cr, pressed ? Palette::kAccent : Palette::kRecess);
    RoundedRect(cr, x, y, width, 2, 1);
    cairo_fill(cr);
}

// A folder with an arrow going into it.
void FolderGlyph(cairo_t* cr, double x, double y, Colour ink)
{
    SetColour(cr, ink);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, x + 1, y + 6);
    cairo_line_to(cr, x + 1, y + 18);
    cairo_line_to(cr, x + 21, y + 18);
    cairo_line_to(cr, x + 21, y + 8);
    cairo_line_to(cr, x + 10, y + 8);
    cairo_line_to(cr, x + 8, y + 6);
    cairo_close_path(cr);
    cairo_stroke(cr);
    // Arrow down into the folder.
    cairo_move_to(cr, x + 11, y - 3);
    cairo_line_to(cr, x + 11, y + 12);
    cairo_stroke(cr);
    cairo_move_to(cr, x + 6.5, y + 8);
    cairo_line_to(cr, x + 11, y + 13);
    cairo_line_to(cr, x + 15.5, y + 8);
    cairo_stroke(cr);
}

// An audio waveform: bars of the level a wave file would show.
void WaveGlyph(cairo_t* cr, double x, double centreY, Colour ink)
{
    static constexpr double kBarHeights[] = {4, 9, 15, 20, 12, 17, 8, 13, 5};
    SetColour(cr, ink);
    double left = x;
    for (const double barHeight : kBarHeights) {
        RoundedRect(cr, left, centreY - barHeight / 2, 1.6, barHeight, 0.8);
        cairo_fill(cr);
        left += 2.6;
    }
}

// A play triangle, or the square of stop, centred on (cx, cy).
void TransportGlyph(cairo_t* cr, double cx, double cy, bool stop, Colour ink)
{
    SetColour(cr, ink);
    if (stop) {
        RoundedRect(cr, cx - 6.5, cy - 6.5, 13, 13, 1.5);
    } else {
        cairo_move_to(cr, cx - 5.5, cy - 8);
        cairo_line_to(cr, cx + 8.5, cy);
        cairo_line_to(cr, cx - 5.5, cy + 8);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
}

void BigKey(cairo_t* cr, bool pressed, const std::function<void(cairo_t*, Colour)>& glyph)
{
    KeyCap(cr, 0, 0, 40, 40, 6, pressed);
    const double shift = pressed ? 1 : 0;
    cairo_save(cr);
    cairo_translate(cr, 0, shift);
    glyph(cr, pressed ? Mix(Palette::kLabel, Palette::kAccent, 0.45) : Palette::kLabel);
    KeyStripe(cr, 12, 32, 16, pressed);
    cairo_restore(cr);
}

// A 16 x 16 channel key whose lens shows `colour` when lit.
void ChannelKey(cairo_t* cr, bool pressed, Colour colour, bool lit)
{
    KeyCap(cr, 0, 0, 16, 16, 3, pressed);
    const double shift = pressed ? 1 : 0;
    SetColour(cr, Palette::kEdgeDark);
    cairo_arc(cr, 8, 7.5 + shift, 4.6, 0, 2 * M_PI);
    cairo_fill(cr);
    Lamp(cr, 8, 7.5 + shift, 3.6, colour, lit);
}

}  // namespace

void PaintStrip(cairo_t* cr, int height, const std::function<void(cairo_t*, bool)>& face)
{
    for (const bool pressed : {false, true}) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, pressed ? height : 0, cairo_image_surface_get_width(cairo_get_target(cr)), height);
        cairo_clip(cr);
        cairo_translate(cr, 0, pressed ? height : 0);
        face(cr, pressed);
        cairo_restore(cr);
    }
}

void PaintLoadStrip(cairo_t* cr)
{
    PaintStrip(cr, 40, [](cairo_t* c, bool pressed) {
        BigKey(c, pressed, [](cairo_t* k, Colour ink) { FolderGlyph(k, 9, 9, ink); });
    });
}

void PaintConvertStrip(cairo_t* cr)
{
    PaintStrip(cr, 40, [](cairo_t* c, bool pressed) {
        BigKey(c, pressed, [](cairo_t* k, Colour ink) { WaveGlyph(k, 9, 18, ink); });
    });
}

void PaintTransportStrip(cairo_t* cr, bool playing)
{
    // Playing, the key shows what it does next (stop) and its stripe stays lit.
    PaintStrip(cr, 40, [playing](cairo_t* c, bool pressed) {
        BigKey(c, pressed || playing, [playing](cairo_t* k, Colour ink) { TransportGlyph(k, 20, 17, playing, ink); });
    });
}

void PaintChannelSwitchOff(cairo_t* cr)
{
    PaintStrip(cr, 16, [](cairo_t* c, bool pressed) { ChannelKey(c, pressed, Palette::kLabelDim, false); });
}

void PaintVolumeDownOn(cairo_t* cr)
{
    PaintStrip(cr, 16, [](cairo_t* c, bool pressed) { ChannelKey(c, pressed, Palette::kGreen, true); });
}

void PaintMuteOn(cairo_t* cr)
{
    // More than a lit lens: the whole cap turns yellow and shows a dark bar,
    // so that a muted channel shows by its fill and shape as well.
    PaintStrip(cr, 16, [](cairo_t* c, bool pressed) {
        KeyCap(c, 0, 0, 16, 16, 3, pressed);
        const double shift = pressed ? 1 : 0;
        SetColour(c, Palette::kYellow);
        RoundedRect(c, 2, 2 + shift, 12, 11, 2);
        cairo_fill(c);
        SetColour(c, Palette::kEdgeDark);
        cairo_rectangle(c, 4, 6.5 + shift, 8, 2.5);
        cairo_fill(c);
    });
}

void PaintChannelSwitchDisabled(cairo_t* cr)
{
    // An empty slot: no key, nothing to press.
    SetColour(cr, Palette::kPanelBottom);
    cairo_paint(cr);
    Well(cr, 0, 0, 16, 16, 3);
    SetColour(cr, Palette::kEdgeLight, 0.35);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, 5, 8.5);
    cairo_line_to(cr, 11, 8.5);
    cairo_stroke(cr);
}

void PaintTempoArrow(cairo_t* cr, bool up, bool pressed)
{
    KeyCap(cr, 0, 0, 22, 22, 3, pressed);
    const double shift = pressed ? 1 : 0;
    const double tipY = up ? 6.5 : 15.5;
    const double baseY = up ? 14.5 : 7.5;
    SetColour(cr, pressed ? Palette::kAccent : Palette::kLabel);
    cairo_move_to(cr, 11, tipY + shift);
    cairo_line_to(cr, 16.5, baseY + shift);
    cairo_line_to(cr, 5.5, baseY + shift);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void PaintPreCountStrip(cairo_t* cr, bool ticked)
{
    PaintStrip(cr, 14, [ticked](cairo_t* c, bool pressed) {
        SetColour(c, Palette::kPanelBottom);
        cairo_paint(c);
        Well(c, 0, 0, 14, 14, 2);
        // A light rim, so that the empty box stands out from the panel (over 3:1).
        SetColour(c, Palette::kLabelDim);
        cairo_set_line_width(c, 1.2);
        RoundedRect(c, 1.1, 1.1, 11.8, 11.8, 1.6);
        cairo_stroke(c);
        if (pressed) {
            SetColour(c, Palette::kAccent, 0.35);
            RoundedRect(c, 2, 2, 10, 10, 1);
            cairo_fill(c);
        }
        if (ticked) {
            SetColour(c, Palette::kAccent);
            cairo_set_line_width(c, 2.2);
            cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
            cairo_move_to(c, 3.5, 7.2);
            cairo_line_to(c, 6, 10);
            cairo_line_to(c, 10.8, 3.6);
            cairo_stroke(c);
        }
    });
}
