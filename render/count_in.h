// The count-in: whole bars of clicks on the song's own beats in front of
// the song, ending where the bar that holds the song's first note begins.
// The first note is the song's, whatever is muted: a minus-one track counts
// the player in before the part that was taken out. A pickup keeps its place
// in its bar, and the clicks go on through that bar's empty beats; a short
// opening bar (an anacrusis) is counted as the end of a bar of the next
// bar's meter.
#pragma once

#include <optional>
#include <vector>

#include "model/song_options.h"
#include "render/metronome.h"

class SongContainer;

// Where the count-in goes, in the render song's ticks.
struct CountIn {
    int at = 0;         // the gap opens here: the start of the first note's bar
    int gap = 0;        // ticks inserted
    int beat = 0;       // ticks from click to click
    int bar = 0;        // ticks of one counted bar (its first beat is accented)
    int clicksEnd = 0;  // clicks sound before this tick (the first note, once moved)
};

// Plans the count-in for a song whose first note is at `firstNote` (-1: the
// song has none), on the bars of the measure track of `render`. With
// `fileClick`, the click is the file's own (`clickTicks`, which may count a
// 6/8 bar in quarters) when a bar of it is the counted bar; otherwise, and
// always for the metronome's grid, it is the counted meter's beat (see
// BeatTicksOf). Nothing for a song without notes or for pre-count values
// that cannot be right.
std::optional<CountIn> PlanCountIn(SongContainer& render, const SongOptions& options, int firstNote, bool fileClick);
// Moves everything of the tempo and part tracks from the count-in's start
// on later by its gap; a tempo event at the start stays in front of the
// gap, so the clicks count in at the tempo the music starts with. The
// measure track stays as it is.
void OpenCountInGap(SongContainer& render, const CountIn& countIn);
// The count-in's clicks, the first beat of each counted bar accented.
std::vector<Beat> CountInBeats(const CountIn& countIn);
// Puts a pre-count click for each beat into the first part on MIDI channel
// 10, at `velocity`. False when no part is on channel 10.
bool InsertPreCountClicks(SongContainer& render, const std::vector<Beat>& beats, int velocity);
// The same into a part of their own routed to MIDI channel 10, the last empty
// one (a player that mutes the drums live leaves them sounding; the click
// takes the first empty part). False when every part is taken.
bool InsertPreCountClicksApart(SongContainer& render, const std::vector<Beat>& beats, int velocity);
