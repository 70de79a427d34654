// The render song's measures as the file's time signatures make them, so
// that bar numbers, the count-in and the click follow the song's own bars
// (an 8/4 bar is one bar, a 7/8 bar lasts seven eighths).
#pragma once

class SongContainer;

// Rewrites the measure track of `render` (a copy of `loaded`'s) so that its
// measures are the bars of `loaded`'s time signatures, keeping each bar's
// key. Nothing changes when the measure track already has those bars, or
// when a bar's length cannot be written as a measure.
void ConformMeasureTrack(SongContainer& loaded, SongContainer& render);
