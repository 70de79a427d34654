// What the notes of a loaded song say about each of its channels: how much
// it plays, how high, whether one note at a time, whether it is the top or
// the bottom voice, whether the words are sung on its notes, which other
// channels it doubles. The part finder decides from these.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/song_options.h"

class SongContainer;

// A channel plays a line, not chords, with at least this share of single notes.
constexpr double kLineMonophony = 0.2;

struct ChannelProfile {
    int notes = 0;
    // Register: the median, the tenth and the ninetieth percentile of the
    // note numbers.
    int median = 0;
    int low = 0;
    int high = 0;
    // Share of the song's measures (from its first note to its last) in
    // which the channel sounds.
    double coverage = 0;
    // Share of the channel's notes that start alone, not in a chord.
    double monophony = 0;
    // Share of its notes that start at or above (below) every note that
    // another melodic channel sounds at that moment.
    double topShare = 0;
    double bottomShare = 0;
    // The same bottom share against the channels that play lines (at least
    // kLineMonophony of their notes single): a chord pad held below is left out.
    double lineBottomShare = 0;
    // Lyrics or karaoke syllables that fall on one of its note starts.
    int sung = 0;
    // Per other channel: the share of this channel's notes that start with
    // one of that channel's notes of the same pitch class.
    std::array<double, kMidiChannels> doubles{};
    // A drum-kit bank (select 120 or 127) before the channel's first note.
    bool drumBank = false;
    // Share of its notes on the kick, snare and hi-hat keys of a drum kit,
    // and whether each of the three is played.
    double drumKeyShare = 0;
    bool kitPlayed = false;
};

// One named track of the song: its name, the channel it plays on and its notes.
struct NamedTrack {
    std::string name;
    int channel = 0;
    int notes = 0;
};

struct SongProfile {
    std::array<ChannelProfile, kMidiChannels> channels;
    std::vector<NamedTrack> tracks;
    // Lyric events plus karaoke syllables.
    int lyrics = 0;
};

// Profiles the port-0 channels of `song`. `drumChannel` (from the channel
// information) says which channels are left out of the top and bottom
// voices; `textTicks` are the ticks of the karaoke syllables the import
// found beside the lyric events.
SongProfile ProfileSong(SongContainer& song, const std::array<std::int32_t, kMidiChannels>& drumChannel,
                        const std::vector<int>& textTicks);
