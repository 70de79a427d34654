// Setting a freshly opened song's options from the option command line, by
// clicking the window's switches in a fixed order: volume down, mute, part
// removal, pre-count; the tempo as the window's arrow buttons would set it.
#pragma once

#include <string>
#include <vector>

#include "app/options/option_values.h"

struct ConversionRequest;
struct SongOptions;

// Applies `request` to `options`, which the song's open has just reset and
// filled with the song's channel information.
void ApplyRequestedOptions(const ConversionRequest& request, SongOptions& options);

// The part switches `request` removes that take no channel of the song
// (`options` after the open): the song has no such part, nothing is removed.
std::vector<int> PartsNotFound(const ConversionRequest& request, const SongOptions& options);

// The channels `target` of a --level names in the opened song: a channel
// list, else the channels of a part (melody, guitar, bass, drums), else the
// channels of the tracks so named (whole name, any case). None when the
// song has nothing of that name.
ChannelSet LevelTargetChannels(std::string_view target, const SongOptions& options);

// The --level targets that name nothing in the song (`options` after the open).
std::vector<std::string> LevelTargetsNotFound(const ConversionRequest& request, const SongOptions& options);
