// Passes over an imported song that run after the last chunk was read.
#pragma once

#include <string>

class SongContainer;

// Removes a trailing "/", a leading "<" and every ">" from a lyric text.
std::string CleanLyricText(const std::string& text);
// Applies CleanLyricText to every lyric of the lyric track, storing only the
// texts that changed.
void CleanUpLyrics(SongContainer& song);
// Puts every part from the first up to the last one holding events on
// port 0, so that they all sound; nothing changes when only the first part
// (or none) holds events.
void EnablePlayingParts(SongContainer& song);
