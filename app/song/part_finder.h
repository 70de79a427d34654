// The part finder: which channels each "EASY MINUS ONE" switch removes,
// decided per channel from the track names, the instruments and the notes.
// Its result, kept in the song options, serves the window's switches and
// hover marks, the option command line's --minus and --list alike.
#pragma once

#include "app/song/channel_profile.h"

// Fills `options.partChannels` and `options.partReason` from the channel
// information already in `options` and the song's `profile`; marks a drum
// kit played on channel 16 as a drum channel.
//
// - DRUMS: every drum channel; channel 16 also when a drum-kit bank, a
//   track name or its notes (kick, snare and hi-hat keys together) say so.
// - MELODY: the track named most strongly as the melody ("Lead" alone only
//   for a single line above G3; "S" in a choir score; of equal names the one
//   with more notes), else the channel the lyrics are sung on, else a single
//   line on top of the others through much of the song (not in a keyboard
//   piece), else in a song with drums its upper part even in chords; else
//   nothing.
// - BASS: the track named as the bass ("B" in a choir score) sounding below
//   middle C, else the channels with a bass instrument sounding low, else
//   the lowest line through most of the song when it sits below A3 (lowest
//   among the channels that play lines: a chord pad held below it does not
//   count, and a line mostly on top of the others is no bass); else nothing.
// - MELODY and BASS also take the channels that double them: most of whose
//   notes start with theirs on the same pitch class, or that hold nearly
//   all of their notes; a guitar only as a note-for-note copy.
// - GUITAR: every other channel with a guitar program or a guitar name.
void FindParts(const SongProfile& profile, SongOptions& options);
