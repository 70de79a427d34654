// What --bars prints for a song: its bar map, so that a section can be
// aimed with --measures. One line per bar worth knowing, tab-separated:
// the bar number (as the song's time signatures count them, the numbers
// --measures takes), the time it starts, its meter, the tempo at its start
// (then every change inside it, after ">"), and the marker texts in it. The
// bars listed are the first, each bar whose meter or tempo changes or that
// holds a marker, and the bars chosen with --measures; a last line "end"
// gives the song's length.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/options/option_values.h"

class SongContainer;

// The lines for `song` (as opened), times at `tempoPercent`.
std::vector<std::string> BarListing(SongContainer& song, const std::optional<MeasureRange>& chosen, int tempoPercent);
// "m:ss.mmm" for a time in milliseconds.
std::string ClockTime(int ms);
