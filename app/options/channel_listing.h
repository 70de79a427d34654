// What --list prints for a song: one line per used channel, tab-separated:
// the channel (1-16), "drum" or "-", the part switch that removes it
// (melody, guitar, bass, drums, several joined by ",", or "-"), the
// instrument name the window shows, and why the channel belongs to its part
// (`named "Bass"`, `bass instrument, median E2`, `lowest line, median A1`,
// `lyrics`, `top line, median C5`, `doubles channel 2`, `guitar instrument`,
// `drum channel`, `drum notes`, `drum kit bank`; "-" without a part).
#pragma once

#include <string>
#include <vector>

struct SongOptions;

// The lines for a song opened with these options (channel information filled).
std::vector<std::string> ChannelListing(const SongOptions& options);
