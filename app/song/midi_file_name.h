// What makes a name a MIDI file's name: its extension, in any case.
#pragma once

#include <string_view>

// Extensions of MIDI files (compared without case).
inline constexpr const char* kMidiExtensions[] = {".mid", ".midi", ".kar", ".rmi"};

// True when the last part of `path` ends in one of the MIDI extensions,
// whether or not such a file exists.
bool HasMidiExtension(std::string_view path);
