// Format names, extensions and default qualities.
#include "render/audio_format.h"

#include <array>

#include "platform/text.h"

namespace {

struct FormatEntry {
    AudioFormat format;
    std::string_view name;
    const char* title;  // as people write it
    int defaultQuality;
};

// The defaults give about 110-130 kbit/s for the lossy formats (Opus needs
// the least for the same sound), which keeps a practice track's cymbals
// clean at a tenth of the WAV's size; FLAC is lossless and its quality only
// sets how hard the encoder compresses.
constexpr std::array<FormatEntry, 5> kFormats = {{
    {AudioFormat::kWav, "wav", "WAV", kBestQuality},
    {AudioFormat::kFlac, "flac", "FLAC", 5},
    {AudioFormat::kOgg, "ogg", "Ogg Vorbis", 5},
    {AudioFormat::kOpus, "opus", "Opus", 2},
    {AudioFormat::kMp3, "mp3", "MP3", 6},
}};

const FormatEntry& EntryOf(AudioFormat format) {
    for (const FormatEntry& entry : kFormats) {
        if (entry.format == format) return entry;
    }
    return kFormats.front();
}

}  // namespace

std::optional<AudioFormat> AudioFormatNamed(std::string_view name) {
    for (const FormatEntry& entry : kFormats) {
        if (EqualsIgnoringCase(name, entry.name)) return entry.format;
    }
    return std::nullopt;
}

std::optional<AudioFormat> AudioFormatOfPath(std::string_view path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return std::nullopt;
    return AudioFormatNamed(path.substr(dot + 1));
}

AudioEncoding EncodingForPath(std::string_view path) {
    return AudioEncoding{AudioFormatOfPath(path).value_or(AudioFormat::kWav), std::nullopt};
}

std::string_view AudioFormatName(AudioFormat format) { return EntryOf(format).name; }

const char* AudioFormatTitle(AudioFormat format) { return EntryOf(format).title; }

std::string AudioFormatExtension(AudioFormat format) {
    // Not "." + std::string(...): GCC 12 takes prepending a literal to a new
    // string for an overlapping copy (-Wrestrict, a false alarm).
    return std::string(1, '.').append(EntryOf(format).name);
}

int DefaultQuality(AudioFormat format) { return EntryOf(format).defaultQuality; }

std::string AudioFormatNames() {
    std::string names;
    for (const FormatEntry& entry : kFormats) names += (names.empty() ? "" : ", ") + std::string(entry.name);
    return names;
}
