// One line in plain English for a file that failed: the file and the cause,
// made from the lines its import and conversion wrote into the log.
#pragma once

#include <string>
#include <vector>

#include "render/audio_format.h"

// "song.mid: not a Standard MIDI File": `file`, then the English cause of
// each log line (causes a line before already implies are left out). The
// output was to be written in `format` ("the MP3 file could not be written").
std::string FailureLine(const std::string& file, const std::vector<std::string>& logLines,
                        AudioFormat format = AudioFormat::kWav);
// The causes alone: "not a Standard MIDI File", "failed" when no line names one.
std::string FailureCause(const std::vector<std::string>& logLines, AudioFormat format = AudioFormat::kWav);
