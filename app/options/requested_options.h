// Setting a freshly opened song's options from the option command line, by
// clicking the window's switches in a fixed order: volume down, mute, part
// removal, pre-count; the tempo as the window's arrow buttons would set it.
#pragma once

#include <vector>

struct ConversionRequest;
struct SongOptions;

// Applies `request` to `options`, which the song's open has just reset and
// filled with the song's channel information.
void ApplyRequestedOptions(const ConversionRequest& request, SongOptions& options);

// The part switches `request` removes that take no channel of the song
// (`options` after the open): the song has no such part, nothing is removed.
std::vector<int> PartsNotFound(const ConversionRequest& request, const SongOptions& options);
