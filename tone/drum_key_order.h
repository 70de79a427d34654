// The order in which drum keys are displayed: a permutation of the 128 notes
// that puts 75 chosen notes first, grouped by instrument family, and the
// check pattern that marks some of them.
#pragma once

#include <array>
#include <cstdint>

constexpr int kMidiNotes = 128;
constexpr int kOrderedDrumNotes = 75;    // notes the display order moves to the front
constexpr int kCheckPatternLength = 25;  // the check pattern repeats with this period

struct DrumKeyDisplayOrder {
    std::array<int, kMidiNotes> order{};     // display position -> note
    std::array<int, kMidiNotes> position{};  // note -> display position
};

// Builds the display order: the identity, with the 75 listed notes swapped
// into positions 0-74 one after the other.
DrumKeyDisplayOrder MakeDrumKeyDisplayOrder();

// The check value of display position `r` (0-74): the pattern repeats every 25.
std::uint8_t DrumKeyCheck(int r);
