// Writing an image as a 24-bit BMP file: file header, 40-byte info header,
// bottom-up rows padded to four bytes.
#pragma once

#include <cairo.h>

#include <string>

// Writes the pixels of `surface` (an RGB24 or ARGB32 image surface; alpha is
// dropped) to `path`. False, with the reason on standard error, on failure.
bool WriteBmp24(cairo_surface_t* surface, const std::string& path);
