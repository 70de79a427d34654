// Whether an existing file may be replaced by a converted file: only a
// sound file is (a WAV file, RIFF/WAVE, for the folder batch), so that a
// mistyped output never overwrites a song or any other document.
#pragma once

#include <string>

// True when `path` names an existing file that is not a folder, not empty,
// and not a regular file beginning as a WAV file does ("RIFF", a size, "WAVE").
bool IsOtherThanWaveFile(const std::string& path);

// The same for the option command line, whose outputs may also be FLAC,
// Ogg (Vorbis, Opus) or MP3 files: true unless the file begins as one of
// these or as a WAV file does.
bool IsOtherThanSoundFile(const std::string& path);

// The failure line of an output that is not replaced because it is not a WAV file.
std::string NotReplacedLine(const std::string& path);
// The same for an output that is not a sound file of any format written here.
std::string NotReplacedSoundLine(const std::string& path);
