// A compressed audio file (FLAC, Ogg Vorbis, Ogg Opus, MP3) of 44100 Hz
// 16-bit stereo frames, written through the system's sound file library
// (Opus codes only its own rates: its frames are resampled to 48000 Hz).
// Like the WAV file it appears under its name only when finished: it is
// written under a temporary name beside the target (see temporary_file.h).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/temporary_file.h"

enum class AudioCodec { kFlac, kVorbis, kOpus, kMp3 };

struct EncoderSettings {
    AudioCodec codec = AudioCodec::kFlac;
    // 0.0 (least compression, best sound) to 1.0 (smallest file); for FLAC
    // only the encoding effort. Below 0: the library's default.
    double compressionLevel = -1.0;
    // The song's title for the file's tags; empty for none.
    std::string title;
};

class EncodedAudioFile {
public:
    EncodedAudioFile();
    ~EncodedAudioFile();
    EncodedAudioFile(const EncodedAudioFile&) = delete;
    EncodedAudioFile& operator=(const EncodedAudioFile&) = delete;

    // Starts the file beside `path` with the codec's headers and tags.
    // False when the file cannot be made or the library lacks the codec.
    bool Create(const std::string& path, const EncoderSettings& settings);
    // Encodes interleaved little-endian 16-bit stereo frames.
    bool WriteFrames(std::span<const std::uint8_t> frames);
    // Ends the stream and puts the file in place under its name; false when
    // that fails, and the file is then removed.
    bool Finish();
    // Removes the unfinished file.
    void Abandon();
    // Why the first failure happened ("No space left on device", or the
    // library's own text).
    const std::string& FailureReason() const { return reason_; }

private:
    struct Encoder;
    bool Fail(std::string reason);
    // Fail with the reason of the sink's failed write, else the library's.
    bool FailWithEncoderReason();

    std::unique_ptr<Encoder> encoder_;
    TemporaryFile temporary_;
    std::string reason_;
};
