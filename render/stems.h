// Stems: besides the mix, one file per used channel of the song (every drum
// channel together as one), for playing along with a single part or for
// listening to it alone. Each stem is the song with every other channel
// muted and the mix's options and gain, so that the stems add up to the
// mix; the pre-count's and metronome's clicks sound in the drum stem only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/song_options.h"

struct Stem {
    std::vector<int> channels;  // channel indexes 0-15 that sound in it
    bool clicks = false;        // the pre-count and metronome sound in it
    std::string fileName;       // "<channel>-<instrument><extension>", channel as two digits
};

// The stems of a song: one per used channel that is not muted, the drum
// channels as one (named after the first), in channel order.
std::vector<Stem> PlanStems(const SongOptions& options, std::string_view extension);
// The folder that takes the stems of the mix at `mixPath`: beside it, named
// as the mix without its extension (a name of dots only followed by " stems"
// instead), so always inside the mix's folder.
std::string StemFolder(const std::string& mixPath);
// `options` with every channel outside `stem` muted.
SongOptions StemOptions(const SongOptions& options, const Stem& stem);
