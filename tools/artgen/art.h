// Painters of the window's images. Each paints one whole image on a cairo
// context whose surface has exactly the image's size.
#pragma once

#include <cairo.h>

#include <functional>

// Paints a switch strip of `width` x 2 `height`: `face` is called once for
// the released image (upper half) and once, moved down by `height`, for the
// pressed image (lower half).
void PaintStrip(cairo_t* cr, int height, const std::function<void(cairo_t*, bool pressed)>& face);

// The background of the window, 408 x 544.
void PaintBackground(cairo_t* cr);

// LOAD and CONVERT strips, 40 x 80.
void PaintLoadStrip(cairo_t* cr);
void PaintConvertStrip(cairo_t* cr);
// The PLAY/STOP strip, 40 x 80: a play triangle while stopped, a stop
// square with a lit stripe while playing.
void PaintTransportStrip(cairo_t* cr, bool playing);
// Channel switch strips, 16 x 32: off, VOLUME DOWN on (green), MUTE on
// (yellow); and the 16 x 16 disabled image.
void PaintChannelSwitchOff(cairo_t* cr);
void PaintVolumeDownOn(cairo_t* cr);
void PaintMuteOn(cairo_t* cr);
void PaintChannelSwitchDisabled(cairo_t* cr);
// Tempo arrows, 22 x 22, released or pressed, pointing up or down.
void PaintTempoArrow(cairo_t* cr, bool up, bool pressed);
// PRE COUNT check box strips, 14 x 28.
void PaintPreCountStrip(cairo_t* cr, bool ticked);

// The instruments of the part switches.
enum class Part { kMelody, kGuitar, kBass, kDrums };
// A part switch strip, 80 x 96: the part present (off) or removed (on).
void PaintPartStrip(cairo_t* cr, Part part, bool removed);
// A part switch while no song is loaded, 80 x 48: dimmed, its lamp dark.
void PaintPartDisabled(cairo_t* cr, Part part);

// The digit strip, 360 x 34: twelve 30-wide cells "0"-"9", blank, "-".
void PaintDigitStrip(cairo_t* cr);
// A channel row bar, 301 x 16, lit for a used channel.
void PaintRowBar(cairo_t* cr, bool used);

// The program's icon at `size` x `size`.
void PaintIcon(cairo_t* cr, int size);
// The program's logo mark inside a square of `size` at (x, y).
void PaintLogo(cairo_t* cr, double x, double y, double size);
