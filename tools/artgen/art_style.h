// The look shared by every image of the window: one palette and the few
// drawing moves (panels, bevels, lamps, engraved text) the images are made of.
#pragma once

#include <cairo.h>

#include <string>

// A colour of the palette, 0..255 a channel.
struct Colour {
    int red;
    int green;
    int blue;
};

namespace Palette {
constexpr Colour kPanelTop{58, 61, 67};       // graphite face, lit edge
constexpr Colour kPanelBottom{38, 40, 45};    // graphite face, far edge
constexpr Colour kRecess{24, 25, 28};         // sunken wells and slots
constexpr Colour kEdgeLight{92, 96, 104};     // bevel highlight
constexpr Colour kEdgeDark{14, 15, 17};       // bevel shadow
constexpr Colour kLabel{233, 224, 201};       // cream screen print
constexpr Colour kLabelDim{150, 145, 132};    // secondary print
constexpr Colour kAccent{226, 150, 58};       // amber accent
constexpr Colour kLcd{232, 207, 74};          // yellow display
constexpr Colour kLcdInk{44, 40, 14};         // lit segment
constexpr Colour kLcdGhost{214, 189, 66};     // unlit segment
constexpr Colour kRowLit{246, 238, 216};      // channel row, used (names print on it)
constexpr Colour kRowDark{52, 54, 58};        // channel row, not used
constexpr Colour kKeyTop{84, 88, 96};         // raised key cap
constexpr Colour kKeyBottom{60, 63, 70};
constexpr Colour kGreen{86, 214, 104};        // VOLUME DOWN lamp
constexpr Colour kYellow{246, 212, 56};       // MUTE lamp
constexpr Colour kRed{226, 66, 52};           // "removed" cross
constexpr Colour kRedLabel{255, 140, 125};    // a removed part's name: 4.5:1 on its key
}  // namespace Palette

// Sets `colour` (with `alpha`) as the source.
void SetColour(cairo_t* cr, Colour colour, double alpha = 1.0);
// Mixes `a` toward `b` by `t` (0 gives a, 1 gives b).
Colour Mix(Colour a, Colour b, double t);

// Adds a rectangle with corners rounded by `radius` to the path.
void RoundedRect(cairo_t* cr, double x, double y, double width, double height, double radius);
// Fills the rectangle with a vertical gradient from `top` to `bottom`.
void FillVertical(cairo_t* cr, double x, double y, double width, double height, double radius, Colour top, Colour bottom);
// A one-pixel bevel inside the rectangle: light top-left and dark
// bottom-right when raised, the other way round when sunken.
void Bevel(cairo_t* cr, int x, int y, int width, int height, bool raised);
// A sunken well with a dark floor, as for a display window or a key slot.
void Well(cairo_t* cr, int x, int y, int width, int height, double radius);
// A key cap filling the rectangle: raised and lit from above when released,
// darker and pushed in by one pixel when pressed.
void KeyCap(cairo_t* cr, int x, int y, int width, int height, double radius, bool pressed);
// A round lamp lens of `colour` lit (glowing) or dark.
void Lamp(cairo_t* cr, double cx, double cy, double radius, Colour colour, bool lit);

// Text alignment around the x coordinate given to DrawText.
enum class Align { kLeft, kCentre, kRight };

// Draws `text` (Pango markup allowed) with its baseline at y, in "Liberation Sans"
// of `pixelSize`, bold when asked, spaced by `letterSpacing` pixels.
void DrawText(cairo_t* cr, const std::string& text, double x, double y, double pixelSize, bool bold, Colour colour,
              Align align = Align::kLeft, double letterSpacing = 0.0);
// The width in pixels that DrawText would give `text`.
double TextWidth(cairo_t* cr, const std::string& text, double pixelSize, bool bold, double letterSpacing = 0.0);
