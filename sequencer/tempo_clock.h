// Tempo and clock: the running tick-to-millisecond map the engine plays by,
// and conversions between ticks and milliseconds over a song's tempo track.
// Tempo values are hundredths of beats per minute (12000 = 120.00 BPM); one
// tick lasts 12500 / tempo milliseconds.
#pragma once

#include <cstdint>

class TrackContainers;

// Milliseconds per tick times the tempo: 60000 ms / 480 ticks x 100.
constexpr double kTickMsTimesTempo = 12500.0;
// The tempi the clock plays, in hundredths of BPM (a scaled tempo is
// truncated to that step too). Nothing a file states is raised: its slowest
// tempo (16,777,215 us a quarter, 3.57 BPM) plays as 3.57 BPM, and at 1 % as
// 0.03 BPM; only a scaled tempo that would reach 0 is held at 0.01 BPM. The
// clock counts whole milliseconds, so the fastest tempo it follows is a
// quarter note a millisecond (60,000 BPM, 1000 us a quarter; far above any
// written music); faster ones play at that.
constexpr int kMinEffectiveTempo = 1;
constexpr int kMaxEffectiveTempo = 6'000'000;
constexpr int kFullTempoScale = 100;  // percent

// The tempo actually played for a raw tempo at a scale in percent, clamped.
int EffectiveTempo(int rawTempo, int scalePercent);

// The running clock: ticks from the tick base on map to milliseconds from
// the ms base at the effective tempo.
struct TempoClock {
    int tempoScale = kFullTempoScale;  // percent
    int rawTempo = 0;                  // tempo of the last tempo event played
    double msPerTick = 0.0;
    int tickBase = 0;
    int msBase = 0;
    int currentTick = 0;  // the last candidate the engine examined
    int currentMs = 0;

    // Starts a new tempo segment at the current tick and ms with the raw tempo and scale.
    void ApplyTempo();
    // Time of a tick on the running map (a tick before the tick base maps to the ms base).
    int TickToMs(int tick) const;
    // The tick playing at `ms` on the running map (never before the tick base).
    int MsToTick(int ms) const;
    // Changes the scale from the tick playing at `ms` on, so that what has
    // played keeps its time and what follows plays at the new scale.
    void Rescale(int scalePercent, int ms);
    // Resets the clock at play start: both bases at the start, then `tempo` applied.
    void StartClock(int startMs, int startTick, int tempo);
};

// Value of the last tempo event at or before `tick` on the tempo track, or
// the default 12000 when there is none.
int TempoAt(TrackContainers& song, int tick);
// Milliseconds between two ticks over the tempo track at a tempo scale in
// percent, truncated; 0 for equal ticks.
int TicksToMs(TrackContainers& song, int from, int to, int scalePercent);
// Milliseconds between two ticks over the tempo track at 100 %, not truncated.
double TickRangeMs(TrackContainers& song, double from, double to);
