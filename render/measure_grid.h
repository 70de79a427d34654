// The render song's measures as the file's time signatures make them, so
// that bar numbers, the count-in and the click follow the song's own bars
// (an 8/4 bar is one bar, a 7/8 bar lasts seven eighths).
#pragma once

#include <vector>

#include "model/bar_map.h"

class SongContainer;

// The bars a conversion, and a playback, number `loaded` by: the bars of
// the file's time signatures, or the measure track's when the file states
// none or one of its bars cannot be written as a measure.
std::vector<Bar> ConvertedBars(SongContainer& loaded);

// Rewrites the measure track of `render` (a copy of `loaded`'s) so that its
// measures are ConvertedBars(loaded), keeping each bar's key. Nothing
// changes when the measure track already has those bars.
void ConformMeasureTrack(SongContainer& loaded, SongContainer& render);
