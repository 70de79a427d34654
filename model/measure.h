// Ticks and measures: conversions that read the measure track (slot 2), the
// time signature lookup, and the song's length in ticks and in measures.
// Measure numbers count from 1. A time-signature byte holds numerator - 1 in
// its high nibble and denominator - 1 in its low nibble (4/4 = 0x33).
#pragma once

#include <cstdint>

#include "model/track.h"

class TrackContainers;

constexpr std::uint8_t kDefaultTimeSignature = 0x33;  // 4/4

// Measure length as the importer lays measures out: a denominator code of 0
// counts as 2.
int MeasureLengthOf(std::uint8_t timeSignature);
// (1920 / (low + 1)) x (high + 1): the rule of every tick/measure conversion.
int MeasureTrackRuleLength(std::uint8_t timeSignature);
// ((high x 1920) + 1920) / (low + 1): the rule of MeasureTrackLength.
int MeasureTotalRuleLength(std::uint8_t timeSignature);

// Tick at which measure m starts (0 when the song has no measure track).
int MeasureToTick(TrackContainers& song, int measure);
// Measure number containing the tick (1 for a negative tick, 0 without a measure track).
int TickToMeasure(TrackContainers& song, int tick);
// Measure number and tick within it; nothing written without a measure track.
void TickToMeasureAndOffset(TrackContainers& song, int tick, int* measure, int* offset);
// Time-signature byte of measure m (below 1 taken as 1); 0x33 without measures.
std::uint8_t TimeSignatureAt(TrackContainers& song, int measure);

struct MeasureCount {
    int count = 0;  // measure events among events 0 .. index
    int sum = 0;    // lengths of all those measures except the last
};
MeasureCount CountMeasures(TrackCursor& cursor, int index);

struct MeasureLocation {
    int index = 0;  // index of the measure's event (count - 1 when there are fewer)
    int sum = 0;    // steps of the earlier events other than measures and the end marker
};
MeasureLocation FindMeasure(TrackCursor& cursor, int measure);

// max(runningMax, total length of all measures of the measure track).
int MeasureTrackLength(TrackContainers& song, int runningMax);
int SongLengthTicks(TrackContainers& song);
int SongEndTick(TrackContainers& song);
int SongEndMeasure(TrackContainers& song);
int LastMeasure(TrackContainers& song);

struct MappedMeasure {
    bool valid = false;
    int measure = 0;
};
// Songs of this program have the identity mapping: (true, m) for m >= 1.
MappedMeasure MapMeasure(int measure, TrackContainers& song);
