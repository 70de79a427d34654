// The EASY MINUS ONE part switches: the instrument on a key, and the same
// key crossed out once the part is removed.
#include <cmath>

#include "tools/artgen/art.h"
#include "tools/artgen/art_style.h"

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 48;
// Centre of the instrument picture on the key.
constexpr double kPictureX = 40;
constexpr double kPictureY = 18;

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry, double angle = 0)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

// Saves the context and turns it so that a stringed instrument drawn along
// the x axis lies slightly raised to the right, centred on the key; restore
// when done.
void LayDown(cairo_t* cr, double shiftX, double scale)
{
    cairo_save(cr);
    cairo_translate(cr, kPictureX + shiftX, kPictureY);
    cairo_rotate(cr, -0.22);
    cairo_scale(cr, scale, scale);
}

// Two beamed eighth notes.
void Melody(cairo_t* cr, Colour ink)
{
    SetColour(cr, ink);
    const double stemTop = 6;
    const double heads[2][2] = {{30, 27}, {49, 24}};
    for (const auto& head : heads) {
        Ellipse(cr, head[0], head[1], 5, 3.6, -0.4);
        cairo_fill(cr);
        cairo_rectangle(cr, head[0] + 3.4, stemTop + (head[0] > 40 ? -2 : 1), 1.8, head[1] - stemTop - (head[0] > 40 ? -2 : 1));
        cairo_fill(cr);
    }
    // The beam, rising to the right.
    cairo_move_to(cr, 33.4, stemTop + 1);
    cairo_line_to(cr, 54.2, stemTop - 2);
    cairo_line_to(cr, 54.2, stemTop + 2.6);
    cairo_line_to(cr, 33.4, stemTop + 5.6);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// An acoustic guitar lying with its neck to the right: waisted body, sound
// hole, bridge, neck and head with pegs.
void Guitar(cairo_t* cr, Colour ink, Colour hole)
{
    LayDown(cr, 2, 0.9);
    SetColour(cr, ink);
    Ellipse(cr, -18, 0, 10, 10.5);
    cairo_fill(cr);
    Ellipse(cr, -5, 0, 7.5, 8);
    cairo_fill(cr);
    cairo_rectangle(cr, 1, -2, 26, 4);
    cairo_fill(cr);
    RoundedRect(cr, 26, -3.5, 8, 7, 1.5);
    cairo_fill(cr);
    SetColour(cr, hole);
    cairo_arc(cr, -6, 0, 3.6, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, -21, -3.5, 2, 7);  // bridge
    cairo_fill(cr);
    cairo_set_line_width(cr, 0.7);
    for (int string = -1; string <= 1; ++string) {
        cairo_move_to(cr, -20, string * 1.1);
        cairo_line_to(cr, 27, string * 1.1);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// An electric bass: solid body with horns, pickups, a long neck and a head
// with four pegs.
void Bass(cairo_t* cr, Colour ink, Colour detail)
{
    LayDown(cr, 1, 0.92);
    SetColour(cr, ink);
    // Body: rounded lower end and two horns toward the neck.
    cairo_move_to(cr, -14, -9);
    cairo_curve_to(cr, -26, -11, -34, -6, -32, 1);
    cairo_curve_to(cr, -30, 9, -22, 10, -13, 8);
    cairo_curve_to(cr, -8, 7, -6, 10, -1, 9);
    cairo_curve_to(cr, -5, 5, -6, 3, -6, 1);
    cairo_line_to(cr, -6, -2);
    cairo_curve_to(cr, -4, -6, -3, -10, 2, -12);
    cairo_curve_to(cr, -5, -12, -9, -8, -14, -9);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, -8, -1.6, 36, 3.2);  // neck
    cairo_fill(cr);
    cairo_move_to(cr, 28, -2.5);
    cairo_line_to(cr, 37, -4);
    cairo_line_to(cr, 37, 2);
    cairo_line_to(cr, 28, 2.5);
    cairo_close_path(cr);
    cairo_fill(cr);
    for (int peg = 0; peg < 4; ++peg) {
        cairo_arc(cr, 29.5 + peg * 2.3, peg % 2 == 0 ? -4.6 : 4.2, 1.1, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    SetColour(cr, detail);
    cairo_rectangle(cr, -24, -3.5, 2.2, 7);  // pickups
    cairo_rectangle(cr, -18, -3.5, 2.2, 7);
    cairo_fill(cr);
    cairo_restore(cr);
}

// A snare drum with two crossed sticks over it.
void Drums(cairo_t* cr, Colour ink, Colour detail)
{
    const double cx = kPictureX;
    SetColour(cr, ink);
    // Shell.
    cairo_rectangle(cr, cx - 15, 17, 30, 10);
    cairo_fill(cr);
    Ellipse(cr, cx, 27, 15, 3.5);
    cairo_fill(cr);
    // Head, a shade apart from the shell.
    SetColour(cr, detail);
    Ellipse(cr, cx, 17, 15, 3.5);
    cairo_fill(cr);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 1.0);
    Ellipse(cr, cx, 17, 14.5, 3);
    cairo_stroke(cr);
    // Tension rods.
    SetColour(cr, detail);
    for (const double x : {-11.0, -4.0, 4.0, 11.0}) {
        cairo_rectangle(cr, cx + x - 0.6, 19.5, 1.2, 8);
    }
    cairo_fill(cr);
    // Sticks.
    SetColour(cr, ink);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 2.2);
    cairo_move_to(cr, cx - 15, 5);
    cairo_line_to(cr, cx + 4, 13);
    cairo_move_to(cr, cx + 15, 5);
    cairo_line_to(cr, cx - 4, 13);
    cairo_stroke(cr);
    cairo_arc(cr, cx + 4.5, 13.2, 1.8, 0, 2 * M_PI);
    cairo_arc(cr, cx - 4.5, 13.2, 1.8, 0, 2 * M_PI);
    cairo_fill(cr);
}

const char* NameOf(Part part)
{
    switch (part) {
    case Part::kMelody:
        return "MELODY";
    case Part::kGuitar:
        return "GUITAR";
    case Part::kBass:
        return "BASS";
    case Part::kDrums:
        return "DRUMS";
    }
    return "";
}

void Picture(cairo_t* cr, Part part, Colour ink, Colour detail)
{
    switch (part) {
    case Part::kMelody:
        Melody(cr, ink);
        break;
    case Part::kGuitar:
        Guitar(cr, ink, detail);
        break;
    case Part::kBass:
        Bass(cr, ink, detail);
        break;
    case Part::kDrums:
        Drums(cr, ink, detail);
        break;
    }
}

// The red "no" sign over the picture: a ring and a slash.
void CrossOut(cairo_t* cr)
{
    cairo_set_line_width(cr, 2.6);
    SetColour(cr, Palette::kEdgeDark, 0.6);
    cairo_arc(cr, kPictureX, kPictureY + 0.6, 14.5, 0, 2 * M_PI);
    cairo_stroke(cr);
    SetColour(cr, Palette::kRed);
    cairo_arc(cr, kPictureX, kPictureY, 14.5, 0, 2 * M_PI);
    cairo_stroke(cr);
    const double d = 14.5 * std::cos(M_PI / 4);
    cairo_move_to(cr, kPictureX - d, kPictureY - d);
    cairo_line_to(cr, kPictureX + d, kPictureY + d);
    cairo_stroke(cr);
}

void PartFace(cairo_t* cr, Part part, bool removed, bool pressed)
{
    SetColour(cr, Palette::kRecess);
    cairo_paint(cr);
    KeyCap(cr, 0, 0, kWidth, kHeight, 5, pressed);
    cairo_save(cr);
    cairo_translate(cr, 0, pressed ? 1 : 0);
    const Colour face = pressed ? Mix(Palette::kKeyBottom, Palette::kRecess, 0.25) : Palette::kKeyBottom;
    if (removed) {
        Picture(cr, part, Mix(Palette::kLabelDim, face, 0.45), face);
        CrossOut(cr);
        DrawText(cr, NameOf(part), kWidth / 2.0, 44, 10, true, Palette::kRedLabel, Align::kCentre, 1.0);
    } else {
        Picture(cr, part, pressed ? Mix(Palette::kLabel, Palette::kAccent, 0.45) : Palette::kLabel, face);
        DrawText(cr, NameOf(part), kWidth / 2.0, 44, 10, true, Palette::kLabel, Align::kCentre, 1.0);
    }
    // Status lamp in the corner: green while the part plays, red once removed.
    Lamp(cr, 8, 7.5, 2.4, removed ? Palette::kRed : Palette::kGreen, true);
    cairo_restore(cr);
}

}  // namespace

void PaintPartDisabled(cairo_t* cr, Part part)
{
    SetColour(cr, Palette::kRecess);
    cairo_paint(cr);
    KeyCap(cr, 0, 0, kWidth, kHeight, 5, false);
    const Colour ink = Mix(Palette::kLabelDim, Palette::kKeyBottom, 0.35);
    Picture(cr, part, ink, Palette::kKeyBottom);
    DrawText(cr, NameOf(part), kWidth / 2.0, 44, 10, true, ink, Align::kCentre, 1.0);
    Lamp(cr, 8, 7.5, 2.4, Palette::kGreen, false);
}

void PaintPartStrip(cairo_t* cr, Part part, bool removed)
{
    PaintStrip(cr, kHeight, [part, removed](cairo_t* c, bool pressed) { PartFace(c, part, removed, pressed); });
}
