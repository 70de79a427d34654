// What assistive technologies call the main window's controls, in the
// user's language: "Mute channel 3, Fingered Bass", "Tempo 90 percent".
#pragma once

#include <string>
#include <vector>

struct SongOptions;

// The name of switch `id` with the song options `options` (channel names).
std::string SwitchName(int id, const SongOptions& options);
// The tempo display's name: the percentage, or that no song is loaded.
std::string TempoName(int tempoPercent, bool songLoaded);
// The switches in the order the keyboard visits them after the tempo: PRE
// COUNT, the part switches left to right, then VOLUME DOWN and MUTE of each
// channel, row by row. LOAD, CONVERT and PLAY come before the tempo.
const std::vector<int>& SwitchesAfterTempo();
