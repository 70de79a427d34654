// What the song plays in a span of its ticks, whatever the user muted: where
// its first note starts and which channels sound. The count-in comes before
// the song's first note, and a channel gets a stem only when it plays.
#pragma once

#include <array>

#include "model/song_options.h"

class SongContainer;

struct SpanNotes {
    int first = -1;  // ticks from the span's start to its first note; -1: none
    std::array<bool, kMidiChannels> sounding{};  // channels with a note in the span
};

// The notes of the parts of `song` routed to a MIDI channel in the ticks
// [from, to). A note still sounding at `from` counts as starting there.
SpanNotes NotesInSpan(SongContainer& song, int from, int to);
