// Format names in the window's texts.
#include "ui/window/format_titles.h"

#include "platform/text.h"
#include "platform/translation.h"

const char* AudioFormatTitle(AudioFormat format) {
    switch (format) {
        case AudioFormat::kFlac: return "FLAC";
        case AudioFormat::kOgg: return "Ogg Vorbis";
        case AudioFormat::kOpus: return "Opus";
        case AudioFormat::kMp3: return "MP3";
        case AudioFormat::kWav: break;
    }
    return "WAV";
}

std::string ConvertingToText(AudioFormat format) {
    // TRANSLATORS: the progress window's title; %s is a format ("MP3", "Ogg Vorbis").
    return Formatted(Tr("Converting to %s"), AudioFormatTitle(format));
}

std::string FileNotCreatedText(AudioFormat format) {
    // TRANSLATORS: %s is a format ("MP3", "WAV").
    return Formatted(Tr("The %s file could not be created."), AudioFormatTitle(format));
}
