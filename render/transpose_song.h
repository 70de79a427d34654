// Moving a render song into another key: every note of every part on a
// channel that does not play drums moves by the same number of semitones.
#pragma once

#include "model/song_container.h"
#include "model/song_options.h"

// Moves the notes of the parts of `render` whose channel is not marked as
// a drum channel in `options` by `semitones`. A note that would leave the
// sounding range 1-127 is left out (it becomes a rest of the same step, so
// the events after it keep their ticks). Returns how many were left out.
int TransposeParts(SongContainer& render, const SongOptions& options, int semitones);
