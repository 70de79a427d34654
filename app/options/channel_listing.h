// What --list prints for a song: one line per used channel, tab-separated:
// the channel (1-16), "drum" or "-", the part switch that removes it
// (melody, guitar, bass, drums, several joined by ",", or "-"), and the
// instrument name the window shows.
#pragma once

#include <string>
#include <vector>

struct SongOptions;

// The lines for a song opened with these options (channel information filled).
std::vector<std::string> ChannelListing(const SongOptions& options);
