// The drum-key display order and check pattern.
#include "tone/drum_key_order.h"

#include <utility>

namespace {

// The notes moved to the front of the display, in display order.
constexpr std::array<int, kOrderedDrumNotes> kDisplayedFirst = {
    67, 68, 65, 66, 76, 77, 60, 61, 62, 63, 64, 49, 51, 42, 56, 1,  50, 38, 47,
    43, 2,  36, 3,  32, 27, 86, 80, 78, 73, 71, 84, 85, 82, 58, 54, 4,  57, 59,
    46, 5,  39, 48, 40, 45, 41, 6,  35, 7,  33, 29, 87, 81, 79, 74, 72, 83, 75,
    70, 69, 53, 8,  55, 52, 44, 31, 26, 37, 25, 9,  10, 11, 12, 28, 34, 30};

// Entries 11, 12 and 13 of every 25 are checked.
constexpr int kFirstChecked = 11;
constexpr int kLastChecked = 13;

}  // namespace

DrumKeyDisplayOrder MakeDrumKeyDisplayOrder() {
    DrumKeyDisplayOrder table;
    for (int i = 0; i < kMidiNotes; ++i) table.order[i] = table.position[i] = i;
    for (int i = 0; i < kOrderedDrumNotes; ++i) {
        const int note = kDisplayedFirst[i];
        // The search covers positions 0-126; the last position is never swapped from.
        int j = 0;
        while (j < kMidiNotes - 1 && table.order[j] != note) ++j;
        if (j == kMidiNotes - 1) continue;
        std::swap(table.order[i], table.order[j]);
        table.position[table.order[j]] = j;
        table.position[table.order[i]] = i;
    }
    return table;
}

std::uint8_t DrumKeyCheck(int r) {
    const int entry = r % kCheckPatternLength;
    return entry >= kFirstChecked && entry <= kLastChecked ? 1 : 0;
}
