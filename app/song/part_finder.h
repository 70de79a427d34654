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
//   track name or its notes (kick, snare and hi-hat keys) say it plays drums.
// - MELODY: the track named most strongly as the melody ("Lead" alone only
//   for a single line in the upper register; of equal names the one with
//   more notes), else the channel the lyrics are sung on, else a single line
//   on top of the others through most of the song; else nothing.
// - BASS: the track named as the bass (sounding below middle C), else the
//   channels with a bass instrument sounding low (median below D3), else the
//   lowest single line through most of the song when it sits below G3;
//   else nothing.
// - MELODY and BASS also take the channels that double them: most of whose
//   notes start with theirs on the same pitch class.
// - GUITAR: every other channel with a guitar program or a guitar name.
void FindParts(const SongProfile& profile, SongOptions& options);
