// Text drawing of the main window.
#include "ui/shell/pango_window_canvas.h"

#include <pango/pangocairo.h>

namespace {

constexpr double kScreenDpi = 96.0;
constexpr int kNamePoints = 9;
constexpr double kColourScale = 255.0;

}  // namespace

PangoFontDescription* NewChannelNameFont() {
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, "Arial");
    pango_font_description_set_size(font, kNamePoints * PANGO_SCALE);
    pango_font_description_set_weight(font, PANGO_WEIGHT_SEMIBOLD);
    return font;
}

void PangoWindowCanvas::DrawText(int x, int top, int height, std::string_view text, TextColour colour) {
    // An empty view may hold no characters at all: nothing to draw.
    if (text.empty()) return;
    // Names come from tone files a user may edit: never hand pango broken UTF-8.
    gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    PangoLayout* layout = pango_cairo_create_layout(cr_);
    PangoContext* context = pango_layout_get_context(layout);
    pango_cairo_context_set_resolution(context, kScreenDpi);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    pango_layout_set_font_description(layout, font_);
    // The capital letters' extent, the same for every name, places the line:
    // names with and without descenders sit alike.
    pango_layout_set_text(layout, "H", -1);
    PangoRectangle capital{};
    pango_layout_get_pixel_extents(layout, &capital, nullptr);
    const int y = top + (height - capital.height + 1) / 2 - capital.y;
    pango_layout_set_text(layout, valid, -1);
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgb(cr_, colour.red / kColourScale, colour.green / kColourScale, colour.blue / kColourScale);
    cairo_move_to(cr_, x, y);
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
    g_object_unref(layout);
    g_free(valid);
}
