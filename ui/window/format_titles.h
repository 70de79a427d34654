// How the window names an audio format to the user: "MP3", "Ogg Vorbis",
// and the sentences that carry that name.
#pragma once

#include <string>

#include "render/audio_format.h"

// The format's name as people write it ("WAV", "FLAC", "Ogg Vorbis", "Opus", "MP3").
const char* AudioFormatTitle(AudioFormat format);
// The progress window's title: "Converting to MP3".
std::string ConvertingToText(AudioFormat format);
// The failure of a conversion: "The MP3 file could not be created."
std::string FileNotCreatedText(AudioFormat format);
