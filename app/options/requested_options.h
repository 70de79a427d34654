// Setting a freshly opened song's options from the option command line, by
// clicking the window's switches in a fixed order: volume down, mute, part
// removal, pre-count; the tempo as the window's arrow buttons would set it.
#pragma once

struct ConversionRequest;
struct SongOptions;

// Applies `request` to `options`, which the song's open has just reset and
// filled with the song's channel information.
void ApplyRequestedOptions(const ConversionRequest& request, SongOptions& options);
