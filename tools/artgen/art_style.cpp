// Palette helpers and the shared drawing moves.
#include "tools/artgen/art_style.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <memory>

namespace {

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutDeleter>;

LayoutPtr MakeLayout(cairo_t* cr, const std::string& text, double pixelSize, bool bold, double letterSpacing)
{
    LayoutPtr layout(pango_cairo_create_layout(cr));
    // Fixed options, so that the images come out the same on every machine
    // that has the font.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(pango_layout_get_context(layout.get()), 96.0);
    pango_layout_context_changed(layout.get());

    PangoFontDescription* font = pango_font_description_from_string("Liberation Sans");
    pango_font_description_set_absolute_size(font, pixelSize * PANGO_SCALE);
    pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);

    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_letter_spacing_new(static_cast<int>(letterSpacing * PANGO_SCALE)));
    pango_layout_set_attributes(layout.get(), attributes);
    pango_attr_list_unref(attributes);
    pango_layout_set_markup(layout.get(), text.c_str(), -1);
    return layout;
}

}  // namespace

void SetColour(cairo_t* cr, Colour colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, alpha);
}

Colour Mix(Colour a, Colour b, double t)
{
    const auto mix = [t](int from, int to) { return static_cast<int>(std::lround(from + (to - from) * t)); };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

void RoundedRect(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    if (radius <= 0) {
        cairo_rectangle(cr, x, y, width, height);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double x, double y, double width, double height, double radius, Colour top, Colour bottom)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y, 0, y + height);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.red / 255.0, top.green / 255.0, top.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.red / 255.0, bottom.green / 255.0, bottom.blue / 255.0);
    cairo_set_source(cr, gradient);
    RoundedRect(cr, x, y, width, height, radius);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
}

void Bevel(cairo_t* cr, int x, int y, int width, int height, bool raised)
{
    const Colour first = raised ? Palette::kEdgeLight : Palette::kEdgeDark;
    const Colour second = raised ? Palette::kEdgeDark : Palette::kEdgeLight;
    cairo_set_line_width(cr, 1.0);
    SetColour(cr, first);
    cairo_move_to(cr, x + 0.5, y + height - 1);
    cairo_line_to(cr, x + 0.5, y + 0.5);
    cairo_line_to(cr, x + width - 1, y + 0.5);
    cairo_stroke(cr);
    SetColour(cr, second);
    cairo_move_to(cr, x + width - 0.5, y + 1);
    cairo_line_to(cr, x + width - 0.5, y + height - 0.5);
    cairo_line_to(cr, x + 1, y + height - 0.5);
    cairo_stroke(cr);
}

void Well(cairo_t* cr, int x, int y, int width, int height, double radius)
{
    // Light lip below and right, dark floor, shadow along the top.
    SetColour(cr, Palette::kEdgeLight, 0.55);
    RoundedRect(cr, x, y, width, height, radius);
    cairo_fill(cr);
    SetColour(cr, Palette::kEdgeDark);
    RoundedRect(cr, x, y, width - 1, height - 1, radius);
    cairo_fill(cr);
    SetColour(cr, Palette::kRecess);
    RoundedRect(cr, x + 1, y + 1, width - 2, height - 2, std::max(0.0, radius - 1));
    cairo_fill(cr);
}

void KeyCap(cairo_t* cr, int x, int y, int width, int height, double radius, bool pressed)
{
    SetColour(cr, Palette::kEdgeDark);
    RoundedRect(cr, x, y, width, height, radius);
    cairo_fill(cr);
    const int inset = 1;
    const double top = y + inset + (pressed ? 1 : 0);
    const double capHeight = height - 2 * inset - (pressed ? 1 : 1);
    const Colour capTop = pressed ? Mix(Palette::kKeyBottom, Palette::kRecess, 0.6) : Palette::kKeyTop;
    const Colour capBottom = pressed ? Mix(Palette::kKeyBottom, Palette::kRecess, 0.35) : Palette::kKeyBottom;
    FillVertical(cr, x + inset, top, width - 2 * inset, capHeight, std::max(0.0, radius - 1), capTop, capBottom);
    // A sheen along the top edge of a raised cap; a shadow inside a pressed one.
    cairo_set_line_width(cr, 1.0);
    if (pressed) {
        SetColour(cr, Palette::kEdgeDark, 0.8);
        cairo_move_to(cr, x + inset + radius * 0.5, top + 0.5);
        cairo_line_to(cr, x + width - inset - radius * 0.5, top + 0.5);
    } else {
        SetColour(cr, Palette::kEdgeLight, 0.9);
        cairo_move_to(cr, x + inset + radius * 0.6, top + 0.5);
        cairo_line_to(cr, x + width - inset - radius * 0.6, top + 0.5);
    }
    cairo_stroke(cr);
}

void Lamp(cairo_t* cr, double cx, double cy, double radius, Colour colour, bool lit)
{
    const Colour body = lit ? colour : Mix(colour, Palette::kRecess, 0.78);
    cairo_pattern_t* lens = cairo_pattern_create_radial(cx - radius * 0.35, cy - radius * 0.35, radius * 0.1, cx, cy, radius);
    const Colour centre = lit ? Mix(colour, Colour{255, 255, 255}, 0.6) : Mix(body, Colour{255, 255, 255}, 0.12);
    cairo_pattern_add_color_stop_rgb(lens, 0, centre.red / 255.0, centre.green / 255.0, centre.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(lens, 1, body.red / 255.0, body.green / 255.0, body.blue / 255.0);
    cairo_set_source(cr, lens);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(lens);
}

void DrawText(cairo_t* cr, const std::string& text, double x, double y, double pixelSize, bool bold, Colour colour,
              Align align, double letterSpacing)
{
    LayoutPtr layout = MakeLayout(cr, text, pixelSize, bold, letterSpacing);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
    // Letter spacing adds space after the last letter too; leave it out.
    const double width = logical.width - letterSpacing;
    double left = x;
    if (align == Align::kCentre) {
        left = x - width / 2.0;
    } else if (align == Align::kRight) {
        left = x - width;
    }
    const double baseline = pango_layout_get_baseline(layout.get()) / static_cast<double>(PANGO_SCALE);
    SetColour(cr, colour);
    cairo_move_to(cr, std::round(left), std::round(y - baseline));
    pango_cairo_show_layout(cr, layout.get());
}

double TextWidth(cairo_t* cr, const std::string& text, double pixelSize, bool bold, double letterSpacing)
{
    LayoutPtr layout = MakeLayout(cr, text, pixelSize, bold, letterSpacing);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout.get(), nullptr, &logical);
    return logical.width - letterSpacing;
}
