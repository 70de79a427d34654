// The values the option command line takes: channel lists ("2,5-7"), part
// lists ("melody,bass"), whole numbers in a range and decibel levels.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/song_options.h"

// MIDI channels chosen by number (index 0 is channel 1).
using ChannelSet = std::array<bool, kMidiChannels>;

// Reads a comma list of channels 1-16 and ranges ("2,5-7"); nothing when any
// item is not a channel, a range runs backwards, or the list is empty.
std::optional<ChannelSet> ParseChannelList(std::string_view text);
// Reads a comma list of the part names melody, guitar, bass and drums (any
// case) into the control IDs of their part switches, in the order given.
std::optional<std::vector<int>> ParsePartList(std::string_view text);
// Reads a whole decimal number from `low` to `high`; nothing otherwise.
std::optional<int> ParseWholeNumber(std::string_view text, int low, int high);
// Reads a decimal number (such as "-1.5") from `low` to `high`.
std::optional<double> ParseDecimal(std::string_view text, double low, double high);
// A span of measures, counted from 1, both ends included.
struct MeasureRange {
    int first = 1;
    int last = 1;
};
// The highest measure number --measures takes.
inline constexpr int kHighestMeasure = 9999;
// Reads "A-B" (A <= B) or "A" (one measure), measures from 1 to kHighestMeasure.
std::optional<MeasureRange> ParseMeasureRange(std::string_view text);
// Reads a whole number with an optional sign ("+3", "-12") from `low` to `high`.
std::optional<int> ParseSignedNumber(std::string_view text, int low, int high);
// A loudness change asked for a channel list, a part or a track by name.
struct LevelRequest {
    std::string target;  // "3", "2,5-7", "bass", "Alto"...
    double db = 0;
    bool operator==(const LevelRequest&) const = default;
};
constexpr double kLowestLevelDb = -60.0;
constexpr double kHighestLevelDb = 12.0;
// Reads "TARGET=DB" (the last "=" divides them), DB a number of decibels
// from -60 to +12; nothing when the target is empty or the level is bad.
std::optional<LevelRequest> ParseLevel(std::string_view text);
// Reads a comma list of names (spaces around each left out); nothing when
// the list or one of its names is empty.
std::optional<std::vector<std::string>> ParseNameList(std::string_view text);
// True for "all" in any case: every part of the song.
bool IsAllParts(std::string_view name);
// Reads "PART,OTHERS", two levels in dB from -60 to +12 ("+6,-6").
std::optional<std::pair<double, double>> ParseLevelPair(std::string_view text);
// The lower-case name of a part switch ("bass"), or "" for another ID.
std::string_view PartName(int switchId);
