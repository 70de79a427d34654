// What the option command line asks of each finished file: its format (by
// --format, else by the --output file's extension, else WAV), its quality
// and its level (--normalize or --loudness).
#pragma once

#include <string>

#include "render/convert_song.h"

struct ConversionRequest;

// Why the request's output choices cannot go together, or "" when they can:
// --normalize with --loudness, or a --format other than the one the
// --output file's extension names.
std::string CheckOutputChoice(const ConversionRequest& request);
// The format and quality of the files.
AudioEncoding RequestedEncoding(const ConversionRequest& request);
// The level and format of the files.
OutputOptions RequestedOutput(const ConversionRequest& request);
