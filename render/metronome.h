// A metronome for the render song: a click on every beat of every measure,
// following the song's meters (and, since clicks sit on ticks, its tempos),
// the first beat of each measure accented. The clicks are the pre-count's
// click note, played softer so that they sit under the music, in a part of
// their own on MIDI channel 10.
#pragma once

#include <cstdint>
#include <vector>

#include "model/song_container.h"

struct Beat {
    int tick = 0;
    bool accented = false;  // the first beat of a measure
};

// The beats of measures 1 to `lastMeasure`. A meter of eighths or
// sixteenths whose count is a multiple of three above three (6/8, 9/8,
// 12/16) is counted in dotted beats, as musicians count it; every other
// meter beats on its denominator.
std::vector<Beat> SongBeats(SongContainer& song, int lastMeasure);
// Ticks from one beat to the next in a measure of the time-signature byte
// `signature`, by that rule.
int BeatTicksOf(std::uint8_t signature);
// Ticks of a measure of the time-signature byte `signature`.
int MeasureTicksOf(std::uint8_t signature);
// Moves the beats from `first` on later by `gap` ticks, as the count-in
// moves the music; beats before `first` are left out, so that the count-in
// is the click's first bar.
void ShiftBeats(std::vector<Beat>& beats, int first, int gap);
// A click's velocity `velocity` made `levelDb` louder or softer (a note's
// level follows the square of its velocity), within 1..127.
int ClickVelocity(int velocity, double levelDb);
// Puts a click for each beat into the first empty part of `render`, routed
// to MIDI channel 10, `levelDb` from their usual level. False when every
// part is taken.
bool InsertClicks(SongContainer& render, const std::vector<Beat>& beats, double levelDb);
