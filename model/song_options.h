// The main window's options and per-channel display state for the loaded
// song. Channel index 0-15 stands for MIDI channel 1-16.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kMidiChannels = 16;
constexpr int kDrumChannelIndex = 9;  // MIDI channel 10

// The parts the "EASY MINUS ONE" switches remove.
namespace PartKind {
constexpr int kMelody = 0;
constexpr int kGuitar = 1;
constexpr int kBass = 2;
constexpr int kDrums = 3;
constexpr int kCount = 4;
}  // namespace PartKind

struct SongOptions {
    std::array<std::int32_t, kMidiChannels> channelUsed{};
    std::array<std::int32_t, kMidiChannels> volumeDown{};
    std::array<std::int32_t, kMidiChannels> mute{};
    std::array<std::string, kMidiChannels> toneName;
    std::array<std::int32_t, kMidiChannels> program{};
    std::int32_t tempoPercent = 100;
    bool preCount = true;
    bool minusMelody = false;
    bool minusGuitar = false;
    bool minusBass = false;
    bool minusDrums = false;
    std::array<std::int32_t, kMidiChannels> drumChannel{};
    std::int32_t resetMode = 1;
    std::int32_t clickTicks = 480;
    std::int32_t clicksPerMeasure = 4;
    // The channels each part removes (bit i: channel index i), indexed by
    // PartKind, as the part finder found them when the song was opened;
    // none before a song is opened. A channel belongs to one part at most.
    std::array<std::uint16_t, PartKind::kCount> partChannels{};
    // Why a channel belongs to its part, for the channel listing.
    std::array<std::string, kMidiChannels> partReason;
    // Semitones every note of a channel that does not play drums moves by (-12..12).
    std::int32_t transpose = 0;
    // A click on every beat of the song, the first beat of each measure accented.
    bool click = false;
    // Only measures firstMeasure..lastMeasure are converted; 0: the whole song.
    std::int32_t firstMeasure = 0;
    std::int32_t lastMeasure = 0;
    // The section played this many times in one file (1: once), the tempo
    // percentage rising by loopTempoStep points each pass, or spread evenly
    // up to loopTempoTo when that is not 0.
    std::int32_t loopPasses = 1;
    std::int32_t loopTempoStep = 0;
    std::int32_t loopTempoTo = 0;
    // The count-in comes before every pass of a loop, not only the first.
    bool countInEachPass = false;
    // Each channel's loudness change in dB (0: as the song plays it).
    std::array<double, kMidiChannels> levelDb{};
    // The names of the tracks that play on each channel, as the song gives them.
    std::array<std::vector<std::string>, kMidiChannels> trackNames;
    // Bars of clicks the count-in lasts (1 or 2).
    std::int32_t countInMeasures = 1;
    // The clicks' level against their usual one, in dB.
    double clickLevelDb = 0.0;
    // Whole bars without a note before the first note's bar are left out.
    bool dropLeadingEmptyBars = false;
    // Channels whose notes are left out while their other events play (a
    // track of the clicks alone keeps the drum channel's volume and kit).
    std::array<std::int32_t, kMidiChannels> silent{};
};

// Sets every field to its default.
inline void ResetSongOptions(SongOptions& options) {
    options = SongOptions{};
    for (int ch = 0; ch < kMidiChannels; ++ch) options.toneName[ch] = "Piano 1";
    options.toneName[kDrumChannelIndex] = "Standard Set";
    options.drumChannel[kDrumChannelIndex] = 1;
}
