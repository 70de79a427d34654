// The song timeline: milliseconds from the song start to a position given as
// a measure and a tick, and the song length that sets the progress range.
// Every measure is timed with the duration of measure 1, which is measured
// on the first query after the timeline was built or invalidated.
#pragma once

#include <cstdint>
#include <vector>

class TrackContainers;

// Duration of a measure when there is no timeline: 4/4 at 120.00 BPM.
constexpr double kDefaultMeasureMs = 2000.0;

struct MeasureRecord {
    int index = 0;                     // measure index, counted from 0
    std::uint8_t timeSignature = 0x33; // as in a measure event
    int startTick = 0;
    double durationMs = kDefaultMeasureMs;
};

class SongTimeline {
public:
    // Borrows the song it times; it must outlive the timeline.
    explicit SongTimeline(TrackContainers& song) : song_(song) {}

    // The record for measure `index` (from 0): the record with that index,
    // or the last one when the list ends first. Builds the list on first use.
    const MeasureRecord& MeasureRecordFor(int index);
    // Duration of measure `index` (from 0) in ms.
    double MeasureDurationMs(int index) { return MeasureRecordFor(index).durationMs; }
    // Forgets the measured list, so the next query measures the song afresh.
    // Called at the start of every conversion.
    void Invalidate() { records_.clear(); }

private:
    void Build();

    TrackContainers& song_;
    std::vector<MeasureRecord> records_;  // only measure 1 is ever measured
};

// The program's timeline, or null before start-up has created it.
extern SongTimeline* g_pSongTimeline;

// Duration of measure `index` (from 0) on the program's timeline; 2000 ms without one.
double MeasureDurationMs(int index);
// Milliseconds from the song start to tick `tick` of measure `measure` (from 1).
int TimeOfPosition(TrackContainers& song, int measure, int tick);
// The song length for the progress range: the time of the start of the
// measure after the song's last measure.
int SongLengthMs(TrackContainers& song);
