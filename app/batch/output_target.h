// Whether an existing file may be replaced by a converted WAV file: only a
// WAV file (RIFF/WAVE) is, so that a mistyped output never overwrites a
// song or any other document.
#pragma once

#include <string>

// True when `path` names an existing file that is not a folder, not empty,
// and not a regular file beginning as a WAV file does ("RIFF", a size, "WAVE").
bool IsOtherThanWaveFile(const std::string& path);

// The failure line of an output that is not replaced because it is not a WAV file.
std::string NotReplacedLine(const std::string& path);
