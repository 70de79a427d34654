// A generated General MIDI song for the module benchmark: 16 channels, all
// busy, 120 BPM in 4/4, as time-ordered MIDI events and as an SMF file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kSongTicksPerQuarter = 480;
inline constexpr int kSongTempoBpm = 120;

// One MIDI message at an absolute tick; `bytes` is a channel message (1-3
// bytes) or a whole exclusive message F0 ... F7.
struct SongEvent {
    std::uint32_t tick = 0;
    std::vector<std::uint8_t> bytes;
};

// The song's events sorted by tick (note-offs before note-ons at one tick),
// `measures` measures long. `loud` plays every note at velocity 127 with
// volume and expression at 127: the worst case for clipping.
std::vector<SongEvent> GenerateGmSong(int measures, bool loud);

// The events as a format-0 Standard MIDI File with a tempo event.
std::vector<std::uint8_t> ToStandardMidiFile(const std::vector<SongEvent>& events);
