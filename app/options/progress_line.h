// The option command line's progress: one line on a terminal, rewritten in
// place, with each running file (its number of all, name and percentage)
// and how many times faster than real time the run renders.
#pragma once

#include <string>
#include <vector>

// One running conversion as the progress line shows it.
struct RunningFile {
    int number = 0;       // from 1
    std::string name;     // file name without folder
    int positionMs = 0;   // rendered so far
    int lengthMs = 0;     // the song's length
};

// "3/8 Song.mid 42% | 4/8 Other.mid 7% | 35.2x real time", cut to `columns`
// characters (counting UTF-8 characters, never splitting one). A file stays
// at 100 % while the sound after its end renders, and shows 0 % until its
// length is known.
std::string ProgressLine(const std::vector<RunningFile>& running, int total, double realTimeFactor, int columns);
