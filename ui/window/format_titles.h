// The sentences by which the window names an audio format to the user
// (the name itself, AudioFormatTitle, is render/audio_format.h's).
#pragma once

#include <string>

#include "render/audio_format.h"

// The progress window's title: "Converting to MP3".
std::string ConvertingToText(AudioFormat format);
// The failure of a conversion: "The MP3 file could not be created."
std::string FileNotCreatedText(AudioFormat format);
