// The measure list of the timeline and the position-to-time conversions.
#include "sequencer/song_timeline.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "model/measure.h"
#include "sequencer/tempo_clock.h"

SongTimeline* g_pSongTimeline = nullptr;

namespace {

// Truncates toward zero, kept inside the int range.
int TruncateToInt(double ms) {
    return static_cast<int>(std::clamp(std::trunc(ms), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

void SongTimeline::Build() {
    MeasureRecord head;
    head.startTick = MeasureToTick(song_, 1);
    head.timeSignature = TimeSignatureAt(song_, 1);
    head.durationMs = TickRangeMs(song_, head.startTick, head.startTick + MeasureLengthOf(head.timeSignature));
    records_.assign(1, head);
}

const MeasureRecord& SongTimeline::MeasureRecordFor(int index) {
    if (records_.empty()) Build();
    const std::size_t wanted = static_cast<std::size_t>(std::max(index, 0));
    return records_[std::min(wanted, records_.size() - 1)];
}

double MeasureDurationMs(int index) {
    return g_pSongTimeline != nullptr ? g_pSongTimeline->MeasureDurationMs(index) : kDefaultMeasureMs;
}

int TimeOfPosition(TrackContainers& song, int measure, int tick) {
    double sum = 0.0;
    for (int i = 1; i < measure; ++i) {
        const MappedMeasure mapped = MapMeasure(i, song);
        sum += MeasureDurationMs(mapped.measure - 1);
    }
    const MappedMeasure mapped = MapMeasure(measure, song);
    const int start = mapped.measure < 1 ? 0 : MeasureToTick(song, mapped.measure);
    return TruncateToInt(TicksToMs(song, start, tick, kFullTempoScale) + std::trunc(sum));
}

int SongLengthMs(TrackContainers& song) {
    const int last = LastMeasure(song);
    const MappedMeasure after = MapMeasure(last + 1, song);
    const int start = after.measure < 1 ? 0 : MeasureToTick(song, after.measure);
    return TimeOfPosition(song, last + 1, start);
}
