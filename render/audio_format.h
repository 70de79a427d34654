// The audio file formats a conversion writes: WAV (the program's own writer,
// the default) and the compressed formats a phone plays. A format is named
// by its file extension; a quality from 0 (smallest file) to 10 (best
// sound) sets how much the lossy formats may leave out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class AudioFormat { kWav, kFlac, kOgg, kOpus, kMp3 };

constexpr int kLowestQuality = 0;
constexpr int kBestQuality = 10;

// Which format and, for the compressed ones, how good.
struct AudioEncoding {
    AudioFormat format = AudioFormat::kWav;
    std::optional<int> quality;  // 0-10; nothing: the format's default
};

// The format named "wav", "flac", "ogg", "opus" or "mp3" (any case).
std::optional<AudioFormat> AudioFormatNamed(std::string_view name);
// The format a path's extension names (".flac", any case); nothing for
// another extension or none.
std::optional<AudioFormat> AudioFormatOfPath(std::string_view path);
// The encoding of a file chosen by its name (a save dialog's answer): the
// format its extension names at its default quality, WAV for any other.
AudioEncoding EncodingForPath(std::string_view path);
// The format's name, which is also its extension without the dot ("flac").
std::string_view AudioFormatName(AudioFormat format);
// The format's name as people write it ("WAV", "FLAC", "Ogg Vorbis", "Opus", "MP3").
const char* AudioFormatTitle(AudioFormat format);
// The file extension with its dot (".flac").
std::string AudioFormatExtension(AudioFormat format);
// The quality a format gets when none is asked for.
int DefaultQuality(AudioFormat format);
// The names of every format, comma-separated, for messages.
std::string AudioFormatNames();
