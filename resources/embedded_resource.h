// One resource compiled into the program: its kind, its ID and its bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Bitmaps are looked up one per ID; an icon ID holds one image per size.
enum class ResourceKind { kBitmap, kIcon };

// A resource's bytes: a device-independent bitmap starting with its info
// header (the BMP file without its 14-byte file header).
struct EmbeddedResource {
    ResourceKind kind;
    int id;
    const char* name;  // the file name without ".bmp"
    const std::uint8_t* bytes;
    std::size_t size;
};
