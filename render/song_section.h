// Cutting the render song down to a span of measures for practising one
// passage. The song's state at the first measure (programs, controllers,
// pitch bend, exclusive messages, tempo) is sent at the start, notes that
// are sounding there start there, and nothing after the last measure is
// played; a held sustain pedal is let go where the span ends.
#pragma once

#include <cstdint>
#include <vector>

#include "model/song_container.h"

// Keeps measures `first` to `last` (counted from 1) of `render`: every
// event before measure `first` that is not a note moves to tick 0 in its
// order (the last tempo only, for the tempo track), a note sounding into
// measure `first` starts there with what is left of it, and the measure
// track holds just those measures. False (nothing changed) when `first` is
// past `songLast`, the song's last measure (which, with channels muted, may
// lie past the last measure `render` plays); `last` is taken as `songLast`
// at most.
//
// With `passTempos`, the section is played once for each of its entries,
// one pass straight after the other, at that percentage of the raw tempos
// of the tempo track (which must not have been scaled). Every pass starts
// with the state at `first`; a note that would sound into the next pass
// is let go a tick before it. False also when the passes together would be
// longer than the engine can play.
bool CutToMeasures(SongContainer& render, int first, int last, int songLast,
                   const std::vector<int>& passTempos = {});
// More ticks than the passes of a loop may take together.
constexpr std::int64_t kLongestLoopTicks = 1 << 24;
// The time-signature byte of measure `measure` of `song`.
std::uint8_t MeterOf(SongContainer& song, int measure);
