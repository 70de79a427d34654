// The choices of the Practice dialog: every choice of the option command
// line for one song, in the window. The section, the key and the tempo
// belong to the song shown (an open starts them afresh); the pre-count,
// the click, the loudness and the stems stay for the next song.
#pragma once

#include <optional>

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
    bool operator==(const PracticeSettings&) const = default;
};

// `settings` made consistent for a song of `lastMeasure` measures: the
// section within the song (from before to; a section that covers the whole
// song, or starts past it, is the whole song), the key within an octave,
// the tempo within 1..999 %.
PracticeSettings BoundedPractice(PracticeSettings settings, int lastMeasure);
