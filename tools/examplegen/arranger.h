// Helpers that turn a compact note notation and chord symbols into events.
#pragma once

#include <string_view>
#include <vector>

#include "tools/smfwriter/smf_writer.h"

constexpr int kTicksPerQuarter = 480;

// General MIDI drum keys used by the examples.
namespace Drum {
constexpr int kKick = 36;
constexpr int kSideStick = 37;
constexpr int kSnare = 38;
constexpr int kClap = 39;
constexpr int kClosedHat = 42;
constexpr int kCrash = 49;
constexpr int kRide = 51;
constexpr int kTambourine = 54;
constexpr int kMaracas = 70;
}  // namespace Drum

// Writes a melody. `notation` is a list of notes such as "E5q", "F#4e.",
// "rh" (rest): pitch, then the length w h q e s (whole to sixteenth), u and t
// (two and one eighth-triplets), a trailing "." adds half. `lyrics` are put
// on the notes in order; an empty syllable skips a note. Returns the tick
// after the last note.
int Melody(SmfTrack& track, int channel, int tick, std::string_view notation, const std::vector<std::string_view>& lyrics = {},
           int velocity = 92);

// The keys of a chord symbol ("C", "Am", "F#m", "A7") from `octave`'s root.
std::vector<int> ChordKeys(std::string_view symbol, int octave);

// The root key of a chord symbol in `octave`.
int ChordRoot(std::string_view symbol, int octave);

// The GS "use for rhythm part" message that makes MIDI `channel` a drum part.
Bytes GsRhythmPart(int channel);

// The GS reset message.
Bytes GsReset();
