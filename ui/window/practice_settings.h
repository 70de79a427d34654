// The choices of the Practice dialog: every choice of the option command
// line for one song, in the window. The section, its loop, the key and the
// tempo belong to the song shown (an open starts them afresh); the
// pre-count, the count-in's length, the click and its level, dropping empty
// bars, the levels of parts, the loudness and the stems stay for the next
// song.
#pragma once

#include <optional>
#include <vector>

#include "app/options/option_values.h"

struct SongOptions;

struct PracticeSettings {
    // Only measures firstMeasure..lastMeasure are converted; 0: the whole song.
    int firstMeasure = 0;
    int lastMeasure = 0;
    bool preCount = true;
    bool click = false;
    int transpose = 0;  // semitones, -12..12
    int tempoPercent = 100;
    // The integrated loudness the file is scaled to (LUFS); nothing: as rendered.
    std::optional<double> loudnessLufs;
    // Besides the mix, one file per used channel.
    bool stems = false;
    // Bars of clicks the count-in lasts (1 or 2), and the clicks' level in dB.
    int countInMeasures = 1;
    double clickLevelDb = 0.0;
    // Whole bars without a note before the first note's bar are left out.
    bool dropEmptyBars = false;
    // The section played this many times; the tempo rising by tempoStep
    // points each pass, or spread evenly up to tempoTo percent.
    int loopPasses = 1;
    std::optional<int> tempoStep;
    std::optional<int> tempoTo;
    // The loudness of parts, channels or named tracks, in the order given.
    std::vector<LevelRequest> levels;
    bool operator==(const PracticeSettings&) const = default;
};

// `settings` made consistent for a song of `lastMeasure` measures: the
// section within the song (from before to; a section that covers the whole
// song, or starts past it, is the whole song unless it loops), the key
// within an octave, the tempo within 1..999 %; a loop without a section, or
// a tempo change without a loop, is dropped.
PracticeSettings BoundedPractice(PracticeSettings settings, int lastMeasure);

// Gives the opened song's `options` the choices of `kept` that stay from
// song to song: the count-in's length, the click's level, dropping empty
// bars and the levels (those that name nothing in the song do nothing).
void KeepForNextSong(const PracticeSettings& kept, SongOptions& options);
