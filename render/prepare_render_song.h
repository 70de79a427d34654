// Building the render song from the loaded song and the user's options:
// muted and turned-down channels, the tempo percentage and the pre-count.
#pragma once

#include "model/song_options.h"
#include "model/song_container.h"

// Empties `render` and fills it with a copy of `loaded` with `options`
// applied; `loaded` is only read. A turned-down channel has its volume
// events halved, and one that sets no volume at or before its first note
// starts at half the default volume (volume 50 in front of that note).
void PrepareRenderSong(SongContainer& loaded, const SongOptions& options, SongContainer& render);
// Moves everything from the song's first note on later by one pre-count
// measure and puts the clicks into the first part on MIDI channel 10.
// Does nothing for a song without notes.
void InsertPreCount(const SongOptions& options, SongContainer& render);
