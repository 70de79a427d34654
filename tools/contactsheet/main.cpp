// contactsheet: renders every embedded image of the program into one PNG,
// each at its size and, enlarged twice, beside its ID, name and size, with
// a mock-up of the window's face composed from them.
//   contactsheet <output.png>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "resources/embedded_table.h"
#include "resources/resource_ids.h"
#include "ui/controls/dib.h"
#include "ui/gtk/cairo_canvas.h"
#include "ui/shell/pango_window_canvas.h"
#include "ui/window/main_window.h"

namespace {

constexpr int kMargin = 16;
constexpr int kZoom = 2;
constexpr int kCaptionHeight = 16;
constexpr int kTileGap = 14;
constexpr int kSheetWidth = 1640;

struct Tile {
    std::string caption;
    std::unique_ptr<CQBXBitmap> image;
};

// Shows `text` at (x, y) unless `measureOnly`; returns its width.
int Caption(cairo_t* cr, const std::string& text, double x, double y, bool measureOnly = false)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Liberation Sans 9");
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), -1);
    int width = 0;
    pango_layout_get_pixel_size(layout, &width, nullptr);
    if (!measureOnly) {
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
        cairo_move_to(cr, x, y);
        pango_cairo_show_layout(cr, layout);
    }
    g_object_unref(layout);
    return width;
}

void DrawZoomed(cairo_t* cr, const CQBXBitmap& image, double x, double y, int zoom)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, zoom, zoom);
    CairoCanvas(cr).DrawImage(image, {0, 0, image.Width(), image.Height()}, 0, 0);
    cairo_restore(cr);
}

std::vector<Tile> LoadTiles()
{
    std::vector<Tile> tiles;
    for (const EmbeddedResource* resource : EmbeddedResources()) {
        std::unique_ptr<CQBXBitmap> image = LoadDib({resource->bytes, resource->size});
        // The file name without its "<kind>_<id>_" prefix says what the image is.
        std::string name = resource->name;
        name = name.substr(std::min(name.size(), name.find('_', name.find('_') + 1) + 1));
        if (resource->kind == ResourceKind::kIcon) {
            name = "icon";
        }
        std::string caption = std::to_string(resource->id) + "  " + name;
        if (image) {
            caption += "  " + std::to_string(image->Width()) + " \u00d7 " + std::to_string(image->Height());
        } else {
            caption += "  (does not load)";
        }
        tiles.push_back({caption, std::move(image)});
    }
    return tiles;
}

// The face with switches in a few states, digits "100" and some rows lit.
void DrawMockUp(cairo_t* cr, double x, double y)
{
    const auto load = [](int id) { return LoadDibResource(id); };
    cairo_save(cr);
    cairo_translate(cr, x, y);
    CairoCanvas canvas(cr);
    const auto put = [&canvas](const std::unique_ptr<CQBXBitmap>& image, int px, int py, int sourceY, int height) {
        if (image) {
            canvas.DrawImage(*image, {0, sourceY, image->Width(), height}, px, py);
        }
    };
    const auto background = load(ResourceId::kBackground);
    put(background, 0, 0, 0, 544);
    put(load(ResourceId::kLoad), 44, 43, 0, 40);
    put(load(ResourceId::kConvert), 146, 43, 40, 40);  // held down
    const auto digits = load(ResourceId::kDigits);
    const int cells[] = {1, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (digits) {
            canvas.DrawImage(*digits, {kDigitCellWidth * cells[i], 0, kDigitCellWidth, 34}, 249 + 31 * i, 59);
        }
    }
    put(load(ResourceId::kTempoUpPressed), 369, 55, 0, 22);
    put(load(ResourceId::kTempoDown), 369, 77, 0, 22);
    put(load(ResourceId::kPreCountOn), 248, 101, 0, 14);
    put(load(ResourceId::kMelodyOn), 27, 145, 0, 48);
    put(load(ResourceId::kGuitarDisabled), 122, 145, 0, 48);  // as without a song
    put(load(ResourceId::kBassOff), 216, 145, 48, 48);  // held down
    put(load(ResourceId::kDrumsOff), 311, 145, 0, 48);
    const auto rowUsed = load(ResourceId::kRowUsed);
    const auto rowUnused = load(ResourceId::kRowUnused);
    const auto off = load(ResourceId::kChannelSwitchOff);
    const auto disabled = load(ResourceId::kChannelSwitchDisabled);
    const auto volumeDown = load(ResourceId::kVolumeDownOn);
    const auto mute = load(ResourceId::kMuteOn);
    PangoFontDescription* font = NewChannelNameFont();
    PangoWindowCanvas names(cr, font);
    const char* rowNames[16] = {"Piano 1", "Fingered Bs.", "Strings", "Flute", "", "", "", "", "", "Standard Set",
                             "", "", "", "", "", ""};
    for (int i = 0; i < 16; ++i) {
        const int top = 209 + 20 * i;
        const bool used = rowNames[i][0] != '\0';
        put(used ? rowUsed : rowUnused, 26, top - 1, 0, 16);
        if (used) {
            names.DrawText(kChannelNameX, top - 1, 16, rowNames[i], kChannelNameColour);
            put(i == 2 ? volumeDown : off, 349, top, 0, 16);
            put(i == 3 ? mute : off, 372, top, i == 0 ? 16 : 0, 16);
        } else if (disabled) {
            canvas.DrawImage(*disabled, {0, 0, 16, 16}, 349, top);
            canvas.DrawImage(*disabled, {0, 0, 16, 16}, 372, top);
        }
    }
    pango_font_description_free(font);
    cairo_restore(cr);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: contactsheet <output.png>\n";
        return 2;
    }
    const std::vector<Tile> tiles = LoadTiles();
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* measure = cairo_create(scratch);

    // Lay the tiles out in rows to the right of the two full-size faces.
    const int gridLeft = kMargin + 2 * (408 + kTileGap) + kMargin;
    struct Placed {
        const Tile* tile;
        int x;
        int y;
    };
    std::vector<Placed> placed;
    int x = gridLeft;
    int y = kMargin;
    int rowHeight = 0;
    for (const Tile& tile : tiles) {
        if (tile.image && tile.image->Width() == 408) {
            continue;  // the background is shown at full size on the left
        }
        const int width = std::max(tile.image ? tile.image->Width() * kZoom : 0, Caption(measure, tile.caption, 0, 0, true));
        const int height = (tile.image ? tile.image->Height() * kZoom : 0) + kCaptionHeight;
        if (x + width > kSheetWidth - kMargin) {
            x = gridLeft;
            y += rowHeight + kTileGap;
            rowHeight = 0;
        }
        placed.push_back({&tile, x, y});
        x += width + kTileGap;
        rowHeight = std::max(rowHeight, height);
    }
    cairo_destroy(measure);
    cairo_surface_destroy(scratch);
    const int sheetHeight = std::max(y + rowHeight, 544 + kCaptionHeight) + kMargin;

    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSheetWidth, sheetHeight);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.16, 0.16, 0.17);
    cairo_paint(cr);
    for (const Tile& tile : tiles) {
        if (tile.image && tile.image->Width() == 408) {
            Caption(cr, tile.caption, kMargin, kMargin);
            DrawZoomed(cr, *tile.image, kMargin, kMargin + kCaptionHeight, 1);
        }
    }
    Caption(cr, "mock-up: the face with its switches, digits and rows", kMargin + 408 + kTileGap, kMargin);
    DrawMockUp(cr, kMargin + 408 + kTileGap, kMargin + kCaptionHeight);
    for (const Placed& p : placed) {
        Caption(cr, p.tile->caption, p.x, p.y);
        if (p.tile->image) {
            DrawZoomed(cr, *p.tile->image, p.x, p.y + kCaptionHeight, kZoom);
        }
    }
    cairo_destroy(cr);
    const cairo_status_t status = cairo_surface_write_to_png(sheet, argv[1]);
    cairo_surface_destroy(sheet);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::cerr << "contactsheet: cannot write " << argv[1] << ": " << cairo_status_to_string(status) << "\n";
        return 1;
    }
    return 0;
}
