// Which instruments play a song's bass line: the bass family of General MIDI
// and the instruments the tone maps name as basses.
#pragma once

#include <string_view>

// The General MIDI bass family, programs counted from 0 (Acoustic Bass to
// Synth Bass 2; 33-40 counted from 1). Every bank of both maps keeps its
// bass variations there.
constexpr int kFirstBassProgram = 32;
constexpr int kLastBassProgram = 39;

// True when `program` with the name the tone maps give it for the channel's
// bank (`toneName`, from the channel information) is a bass: a program of
// the bass family, or a name whose last word is "Bass" ("Fingered Bass",
// "Synth Bass 3 (resonance)", "Syn.Bass"). Names where "bass" is only part
// of another instrument ("Bassoon", "Contrabass", "Concert Bass Drum",
// "Bass Hit Plus", "Lead 8 (bass + lead)") are not basses.
bool IsBassInstrument(int program, std::string_view toneName);
