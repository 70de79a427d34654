// Building the render song from the loaded song and the user's options:
// muted and turned-down channels, the tempo percentage and the pre-count.
#pragma once

#include <vector>

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
    bool loopTooLong = false;     // the passes of the loop together are longer than the engine plays
    int preCountFirst = 0;        // the tick the pre-count went in front of
    int preCountGap = 0;          // its length in ticks, 0 when there is none
};

// Where the clicks of the pre-count go.
enum class PreCountPlace {
    kDrumPart,  // into the song's first drum part, as a conversion writes them
    kOwnPart,   // into a part of their own on MIDI channel 10, which a mute of the drums leaves sounding
};

// Empties `render` and fills it with a copy of `loaded` with `options`
// applied; `loaded` is only read. A turned-down channel has its volume
// events halved, and one that sets no volume at or before its first note
// starts at half the default volume (volume 50 in front of that note). A
// channel with a level has its volume, expression and velocities scaled
// (channel_level.h), after the halving; the defaults of the controllers it
// does not set before its first note are put, scaled, in front of that note.
// Without `clicks` the pre-count and the metronome keep their time but
// sound nothing.
PreparedSong PrepareRenderSong(SongContainer& loaded, const SongOptions& options, SongContainer& render,
                               bool clicks = true, PreCountPlace place = PreCountPlace::kDrumPart);

// The tempo percentage of pass `pass` (from 0) of a loop: tempoPercent
// raised by loopTempoStep points a pass, or by even steps to loopTempoTo
// (rounded to whole points), kept within 1 to 999.
int PassTempo(const SongOptions& options, int pass);

// Where a pre-count went: the first note's tick and the ticks inserted
// there (0 when none).
struct PreCountGap {
    int first = 0;
    int gap = 0;
};
// Moves everything from the song's first note on later by one pre-count
// measure and puts the clicks into the first part on MIDI channel 10
// (without `clicks`, only the time). Does nothing for a song without notes.
PreCountGap InsertPreCount(const SongOptions& options, SongContainer& render, bool clicks = true,
                           PreCountPlace place = PreCountPlace::kDrumPart);
