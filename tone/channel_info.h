// Per-channel information of a loaded song: which MIDI channels play notes,
// which play drums, and the name and number of the program each selects.
#pragma once

class SongContainer;
class ToneLibrary;
struct SongOptions;

// Fills channelUsed, toneName, program, drumChannel and resetMode of
// `options` (just reset to their defaults) from `song`: rhythm-part
// messages mark drum channels, the last of the reset messages decides
// between the synthesizer's own names ("QNS") and General MIDI Level 2
// names ("GM2"), and each port-0 part's bank selects and program changes
// before its first note name its channel. `library` is borrowed and may be
// null (every name is then empty).
void ChannelInfoPass(SongContainer& song, SongOptions& options, const ToneLibrary* library);
