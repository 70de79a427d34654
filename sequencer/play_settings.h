// How and from where the engine plays: the play settings and positions that
// play start reads. A conversion always plays the whole song from measure 1.
#pragma once

#include <cstdint>

// End position of a play that runs to the end of the song.
constexpr std::int32_t kUnboundedEnd = 0x7FFFFFFF;

struct PlaySettings {
    bool wholeSong = true;  // play from the first measure to the song's end
    bool loopPlay = false;
    bool rangePlay = false;
    bool chaseControllers = false;
    int recordTarget = -1;  // -1: not recording
    bool metronome = false;
};

struct PlayPositions {
    int startMeasure = 1;
    int lastMeasure = 0;
    int startTick = 0;
    int startMs = 0;
    std::int32_t endPosition = kUnboundedEnd;  // tick; kUnboundedEnd = no bound
    int rangeStart = 0;
    int rangeEnd = 0;
};
