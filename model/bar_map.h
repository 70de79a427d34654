// The song's bars as its time signatures make them: the numbers a notation
// program shows for the file. The measure track cannot hold every meter a
// file states (8/4 is stored as 4/4, and a meter change inside a measure
// waits for the next one), so the file's meters are kept beside it and the
// bars are laid out from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class SongContainer;

// A time signature as the file states it, at its tick.
struct MeterChange {
    int tick = 0;
    int numerator = 4;
    int denominator = 4;  // a power of two
    friend bool operator==(const MeterChange&, const MeterChange&) = default;
};

// A marker text of the file, at its tick.
struct SongMarker {
    int tick = 0;
    std::string text;
};

// One bar: its number from 1, where it starts and how long it lasts.
struct Bar {
    int number = 1;
    int start = 0;
    int length = 0;
    int numerator = 4;
    int denominator = 4;
};

// Lays bars out from `changes` (in any order; of two at one tick the later
// wins) until a bar reaches past `endTick`. Bars before the first change are
// 4/4. A change to another meter inside a bar ends that bar there; one that
// keeps the meter starts nothing. A meter whose bar is not a whole number of
// ticks counts as 4/4.
std::vector<Bar> LayOutBars(std::vector<MeterChange> changes, int endTick);
// The song's bars up to `endTick`: from the file's meters when the import
// kept them, else from the measure track.
std::vector<Bar> SongBars(SongContainer& song, int endTick);
// The measure track's measures as bars, up to `endTick`.
std::vector<Bar> MeasureTrackBars(SongContainer& song, int endTick);

// Where a tick falls among bars: the number of the bar that starts at or
// before it, and the ticks from that bar's start.
struct BarPlace {
    int number = 1;
    int offset = 0;
};
// Past the last of `bars` (or with none), bars as long as the last (4/4)
// go on; before the first, the first holds the tick.
BarPlace PlaceOfTick(const std::vector<Bar>& bars, int tick);
// The tick bar `number` starts at, counted on as PlaceOfTick does.
int BarStartTick(const std::vector<Bar>& bars, int number);
// The time-signature byte of a measure-track measure exactly as long as the
// bar (its own meter when the byte can hold it); nothing when none is.
std::optional<std::uint8_t> MeasureByteFor(const Bar& bar);
