// Stems: besides the mix, one file per channel that plays in the converted
// span (every drum channel together as one), and one of the count-in and
// the click, for playing along with a single part or listening to it alone.
// Each stem is the song with every other channel muted and the mix's
// options, timeline and gain, so that the stems add up to the mix.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/song_options.h"

struct Stem {
    std::vector<int> channels;  // channel indexes 0-15 that sound in it
    bool clicks = false;        // the stem of the count-in and the click
    std::string fileName;       // "<channel>-<instrument><extension>", channel as two digits; "click<extension>"
};

// The stems of a song: one per used channel that is not muted and plays in
// `sounding`, the drum channels as one (named after the first), in channel
// order; then the click's stem when `clicks` sound in the mix.
std::vector<Stem> PlanStems(const SongOptions& options, const std::array<bool, kMidiChannels>& sounding, bool clicks,
                            std::string_view extension);
// Every stem a conversion with `options` may write, before the song is
// prepared shows which channels sound: each used channel's that is not
// muted, and the click's.
std::vector<Stem> PossibleStems(const SongOptions& options, std::string_view extension);
// The folder that takes the stems of the mix at `mixPath`: beside it, named
// as the mix without its extension (a name of dots only followed by " stems"
// instead), so always inside the mix's folder.
std::string StemFolder(const std::string& mixPath);
// `options` with every channel outside `stem` muted. The click's stem keeps
// the other events of the drum channel that carries the clicks (its volume,
// its kit), without its notes.
SongOptions StemOptions(const SongOptions& options, const Stem& stem);
