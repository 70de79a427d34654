// Time and key signatures as the importer reads them: normalising a meter
// into the song's time-signature byte, the key byte, the history of meters
// and the pre-count values chosen from it.
#pragma once

#include <cstdint>
#include <deque>

// Sharps (positive) or flats (negative) a key signature may carry.
constexpr int kMaxSharpsFlats = 7;

// A meter as numerator and power of two of the denominator.
struct Meter {
    int numerator = 4;
    int power = 2;
};

// Halves numerator and denominator while the denominator is above 16 and the
// numerator is even (12/32 becomes 6/16).
Meter ReduceMeter(Meter meter);
// True when a reduced meter cannot be stored: denominator above 16,
// numerator 0 or above 16, or a numerator of twice the denominator or more.
bool MeterRefused(Meter meter);
// ((numerator - 1) << 4) | (denominator - 1) of the reduced meter; a refused
// meter gives 4/4 (0x33).
std::uint8_t TimeSignatureByte(Meter meter);
// ((sharps/flats + 7) & 0x7F) | (minor << 7), sharps/flats clamped to -7..7.
std::uint8_t KeyByte(int sharpsFlats, bool minor);

// One time-signature event as it was read, with how long it lasted.
struct TimeSigEntry {
    int numerator = 4;
    int denominator = 4;  // a power of two (capped at 2^30)
    int clocksPerClick = 24;
    int startTick = 0;
    int measures = 0;  // filled in when the next entry arrives or the import ends
};

// Whole measures of the entry's meter between its start and `tick`; 0 for a
// meter whose measure is shorter than a tick.
int MeasuresUntil(const TimeSigEntry& entry, int tick);
// Appends an entry for a meter read at `tick`, closing the previous one.
void RecordTimeSignature(std::deque<TimeSigEntry>& history, Meter reduced, int clocksPerClick, int tick);

// The length of one pre-count click in ticks and the clicks of one pre-count
// measure.
struct PreCount {
    int clickTicks = 480;
    int clicksPerMeasure = 4;
};
// Closes the last entry at `endTick` and chooses, among the entries that
// cover the first five measures, the longest-lasting one's meter. Without
// entries, or when the chosen meter gives no click length, 480 x 4.
PreCount ComputePreCount(std::deque<TimeSigEntry>& history, int endTick);
