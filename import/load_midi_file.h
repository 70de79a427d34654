// The path-given core of opening a MIDI file: empty the song, import the file
// into it and hand back what the main window finishes the command with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/smf_buf.h"
#include "import/time_signature.h"

class SongContainer;
class UserReport;

struct MidiFileLoad {
    int result = 0;      // ImportResult: 0, or negative after a report
    PreCount preCount;   // click length and clicks per measure for the song options
    std::vector<int> karaokeTicks;  // ticks of the syllables of a karaoke file
};

// Clears and resets `song`, then imports the file at `path` into it.
// Failures are reported through `report` ("FileNotFound", "File is not
// SMF", "File is too large"); the song is then left empty.
// `eventLimit` bounds the events the song may hold (see kMaxSongEvents).
MidiFileLoad LoadMidiFile(const std::string& path, SongContainer& song, UserReport& report,
                          std::int64_t eventLimit = kMaxSongEvents);
