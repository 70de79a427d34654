// The running clock and the conversions over the tempo track.
#include "sequencer/tempo_clock.h"

#include <algorithm>
#include <climits>

#include "model/slots.h"
#include "model/song_container.h"
#include "model/track_containers.h"

namespace {

// Rounds a millisecond value already offset by +0.5 toward zero, within int range.
int TruncateMs(double ms) {
    if (!(ms < static_cast<double>(INT_MAX))) return INT_MAX;
    if (ms <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(ms);
}

// Walks the tempo track from `from` to `to` at a scale, summing the time of
// each tempo segment. The tempo at `from` is that of the last tempo event at
// or before it; each later event before `to` starts a new segment.
double WalkTempoTrack(TrackContainers& song, double from, double to, int scalePercent) {
    CursorGuard cursor(song, kTempoSlot);
    const Track* track = cursor->track;
    const int count = track != nullptr ? track->count : 0;

    int rawTempo = kDefaultTempo;
    int index = 0;
    double tick = 0.0;
    for (; index < count; ++index) {
        const TrackEvent& ev = EventAt(*track, index);
        if (tick > from) break;
        if (ev.Kind() == EventKind::kTempo) rawTempo = ev.I32(4);
        tick += ev.Step();
    }
    // `tick` is now the start of event `index`, the first one after `from`.
    double sum = 0.0;
    double segmentStart = from;
    double tempo = EffectiveTempo(rawTempo, scalePercent);
    for (; index < count && tick < to; ++index) {
        const TrackEvent& ev = EventAt(*track, index);
        if (ev.Kind() == EventKind::kTempo) {
            sum += (tick - segmentStart) * kTickMsTimesTempo / tempo;
            segmentStart = tick;
            tempo = EffectiveTempo(ev.I32(4), scalePercent);
        }
        tick += ev.Step();
    }
    return sum + (to - segmentStart) * kTickMsTimesTempo / tempo;
}

}  // namespace

int EffectiveTempo(int rawTempo, int scalePercent) {
    const long long effective = static_cast<long long>(scalePercent) * rawTempo / kFullTempoScale;
    return static_cast<int>(std::clamp<long long>(effective, kMinEffectiveTempo, kMaxEffectiveTempo));
}

void TempoClock::ApplyTempo() {
    tickBase = currentTick;
    msBase = currentMs;
    msPerTick = kTickMsTimesTempo / EffectiveTempo(rawTempo, tempoScale);
}

int TempoClock::TickToMs(int tick) const {
    if (tick < tickBase) return msBase;
    const double ms = (static_cast<double>(tick) - tickBase) * msPerTick + 0.5;
    return TruncateMs(TruncateMs(ms) + static_cast<double>(msBase));
}

int TempoClock::MsToTick(int ms) const {
    if (ms <= msBase) return tickBase;
    // In whole numbers, so that the tick of a whole millisecond is exact.
    const long long ticks = static_cast<long long>(ms - msBase) * EffectiveTempo(rawTempo, tempoScale) /
                            static_cast<long long>(kTickMsTimesTempo);
    return static_cast<int>(std::min<long long>(ticks + tickBase, INT_MAX));
}

void TempoClock::Rescale(int scalePercent, int ms) {
    // The new segment starts on a whole tick at or before `ms`, at that tick's time.
    const int tick = MsToTick(ms);
    msBase = TickToMs(tick);
    tickBase = tick;
    tempoScale = scalePercent;
    msPerTick = kTickMsTimesTempo / EffectiveTempo(rawTempo, tempoScale);
}

void TempoClock::StartClock(int startMs, int startTick, int tempo) {
    currentMs = msBase = startMs;
    currentTick = tickBase = startTick;
    rawTempo = tempo;
    ApplyTempo();
}

int TempoAt(TrackContainers& song, int tick) {
    CursorGuard cursor(song, kTempoSlot);
    const Track* track = cursor->track;
    if (track == nullptr) return kDefaultTempo;
    int tempo = kDefaultTempo;
    long long at = 0;
    for (int index = 0; index < track->count && at <= tick; ++index) {
        const TrackEvent& ev = EventAt(*track, index);
        if (ev.Kind() == EventKind::kTempo) tempo = ev.I32(4);
        at += ev.Step();
    }
    return tempo;
}

int TicksToMs(TrackContainers& song, int from, int to, int scalePercent) {
    if (from == to) return 0;
    return TruncateMs(WalkTempoTrack(song, from, to, scalePercent));
}

double TickRangeMs(TrackContainers& song, double from, double to) {
    if (from == to) return 0.0;
    return WalkTempoTrack(song, from, to, kFullTempoScale);
}
