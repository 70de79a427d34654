// The playback worker: in a process of its own, it plays the song into
// blocks of samples that it writes to the program as fast as the program
// reads them (the pipe holds only a page, so it renders only a little
// ahead), and takes the program's commands between blocks.
#pragma once

#include "model/song_options.h"

class SongContainer;

// Runs in the worker: plays `loaded` (with the program's render song
// `render`) with `options`, writing records to `out` and reading commands
// from the non-blocking `in`, until the program closes `in` or goes. After
// the song's end it waits for a move. Returns the worker's exit status.
int RunPlaybackWorker(int out, int in, SongContainer& loaded, SongContainer& render, const SongOptions& options);
