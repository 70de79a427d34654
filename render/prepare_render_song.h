// Building the render song from the loaded song and the user's options:
// muted and turned-down channels, the tempo percentage and the pre-count.
#pragma once

#include <vector>
#include <array>

#include "model/song_options.h"
#include "model/song_container.h"

// A channel whose boost went past what its values can still rise.
struct CappedLevel {
    int channel = 0;  // index 0-15
    double askedDb = 0;
    double reachedDb = 0;
};

// What the preparation had to leave out.
struct PreparedSong {
    std::vector<CappedLevel> cappedLevels;
    int notesLeftOut = 0;  // notes the transposition pushed out of the sounding range
    bool sectionMissing = false;  // the first measure asked for lies past the song's end
    int lastMeasure = 0;          // the song's last measure, when the section is missing
    // Channels with notes in the converted span, muted or not.
    std::array<bool, kMidiChannels> soundingChannels{};
    bool clicksSound = false;  // a count-in or click sounds
    int preCountFirst = 0;        // the tick the count-in went in front of
    bool loopTooLong = false;     // the passes of the loop together are longer than the engine plays
    int preCountGap = 0;          // its length in ticks, 0 when there is none
};

// Where the clicks of the count-in go.
enum class PreCountPlace {
    kDrumPart,  // into the song's first drum part, as a conversion writes them
    kOwnPart,   // into a part of their own on MIDI channel 10, which a mute of the drums leaves sounding
};

// Empties `render` and fills it with a copy of `loaded` with `options`
// applied; `loaded` is only read. A turned-down channel has its volume
// events halved, and one that sets no volume at or before its first note
// starts at half the default volume (volume 50 in front of that note).
// A channel with a level has its volume, expression and velocities scaled
// (channel_level.h), after the halving; the defaults of the controllers it
// does not set before its first note are put, scaled, in front of that note.
// Measures are the song's bars as its time signatures make them. The
// count-in (see count_in.h) comes before the song's first note, muted
// channels included, and is the first bar of the click when there is one.
// Without `clicks` the count-in and the click keep their time but sound
// nothing.
PreparedSong PrepareRenderSong(SongContainer& loaded, const SongOptions& options, SongContainer& render,
                               bool clicks = true, PreCountPlace place = PreCountPlace::kDrumPart);

// The tempo percentage of pass `pass` (from 0) of a loop: tempoPercent
// raised by loopTempoStep points a pass, or by even steps to loopTempoTo
// (rounded to whole points), kept within 1 to 999.
int PassTempo(const SongOptions& options, int pass);
