// artgen: draws every image of the window and the program's icon, and writes
// them as the 24-bit BMP files of resources/.
//   artgen <resources folder>
#include <cairo.h>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "tools/artgen/art.h"
#include "tools/artgen/bmp_file.h"

namespace {

struct ImageJob {
    std::string fileName;
    int width;
    int height;
    std::function<void(cairo_t*)> paint;
};

std::vector<ImageJob> Jobs()
{
    std::vector<ImageJob> jobs = {
        {"bitmap_129_background.bmp", 408, 544, PaintBackground},
        {"bitmap_130_drums_on.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kDrums, true); }},
        {"bitmap_131_drums_off.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kDrums, false); }},
        {"bitmap_132_bass_on.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kBass, true); }},
        {"bitmap_133_bass_off.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kBass, false); }},
        {"bitmap_134_guitar_on.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kGuitar, true); }},
        {"bitmap_135_guitar_off.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kGuitar, false); }},
        {"bitmap_136_melody_on.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kMelody, true); }},
        {"bitmap_137_melody_off.bmp", 80, 96, [](cairo_t* cr) { PaintPartStrip(cr, Part::kMelody, false); }},
        {"bitmap_139_load.bmp", 40, 80, PaintLoadStrip},
        {"bitmap_141_convert.bmp", 40, 80, PaintConvertStrip},
        {"bitmap_142_row_unused.bmp", 301, 16, [](cairo_t* cr) { PaintRowBar(cr, false); }},
        {"bitmap_143_row_used.bmp", 301, 16, [](cairo_t* cr) { PaintRowBar(cr, true); }},
        {"bitmap_145_mute_on.bmp", 16, 32, PaintMuteOn},
        {"bitmap_146_channel_switch_off.bmp", 16, 32, PaintChannelSwitchOff},
        {"bitmap_147_channel_switch_disabled.bmp", 16, 16, PaintChannelSwitchDisabled},
        {"bitmap_148_volume_down_on.bmp", 16, 32, PaintVolumeDownOn},
        {"bitmap_149_tempo_up.bmp", 22, 22, [](cairo_t* cr) { PaintTempoArrow(cr, true, false); }},
        {"bitmap_150_tempo_up_pressed.bmp", 22, 22, [](cairo_t* cr) { PaintTempoArrow(cr, true, true); }},
        {"bitmap_151_tempo_down.bmp", 22, 22, [](cairo_t* cr) { PaintTempoArrow(cr, false, false); }},
        {"bitmap_152_tempo_down_pressed.bmp", 22, 22, [](cairo_t* cr) { PaintTempoArrow(cr, false, true); }},
        {"bitmap_153_digits.bmp", 360, 34, PaintDigitStrip},
        {"bitmap_154_precount_on.bmp", 14, 28, [](cairo_t* cr) { PaintPreCountStrip(cr, true); }},
        {"bitmap_155_precount_off.bmp", 14, 28, [](cairo_t* cr) { PaintPreCountStrip(cr, false); }},
        {"bitmap_156_drums_disabled.bmp", 80, 48, [](cairo_t* cr) { PaintPartDisabled(cr, Part::kDrums); }},
        {"bitmap_157_bass_disabled.bmp", 80, 48, [](cairo_t* cr) { PaintPartDisabled(cr, Part::kBass); }},
        {"bitmap_158_guitar_disabled.bmp", 80, 48, [](cairo_t* cr) { PaintPartDisabled(cr, Part::kGuitar); }},
        {"bitmap_160_play.bmp", 40, 80, [](cairo_t* cr) { PaintTransportStrip(cr, false); }},
        {"bitmap_161_stop.bmp", 40, 80, [](cairo_t* cr) { PaintTransportStrip(cr, true); }},
        {"bitmap_159_melody_disabled.bmp", 80, 48, [](cairo_t* cr) { PaintPartDisabled(cr, Part::kMelody); }},
    };
    for (const int size : {16, 32, 48}) {
        jobs.push_back({"icon_128_" + std::to_string(size) + ".bmp", size, size,
                        [size](cairo_t* cr) { PaintIcon(cr, size); }});
    }
    return jobs;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: artgen <resources folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    int failures = 0;
    for (const ImageJob& job : Jobs()) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, job.width, job.height);
        cairo_t* cr = cairo_create(surface);
        job.paint(cr);
        cairo_destroy(cr);
        if (!WriteBmp24(surface, folder + "/" + job.fileName)) {
            ++failures;
        }
        cairo_surface_destroy(surface);
    }
    return failures == 0 ? 0 : 1;
}
