// Choosing the writer by format, and the quality as the encoder's level.
#include "render/audio_output.h"

#include "platform/standard_error.h"

namespace {

AudioCodec CodecOf(AudioFormat format) {
    switch (format) {
    case AudioFormat::kOgg: return AudioCodec::kVorbis;
    case AudioFormat::kOpus: return AudioCodec::kOpus;
    case AudioFormat::kMp3: return AudioCodec::kMp3;
    case AudioFormat::kWav:
    case AudioFormat::kFlac: break;
    }
    return AudioCodec::kFlac;
}

// Quality 10 asks for the least compression, 0 for the most; FLAC's samples
// are the same at every level.
double CompressionLevelOf(const AudioEncoding& encoding) {
    const int quality = encoding.quality.value_or(DefaultQuality(encoding.format));
    return static_cast<double>(kBestQuality - quality) / (kBestQuality - kLowestQuality);
}

}  // namespace

bool AudioOutput::TellFailure(const char* what) {
    if (!told_) WriteErrorLine(std::string("cannot ") + what + " " + path_ + ": " + encoded_.FailureReason());
    told_ = true;
    return false;
}

bool AudioOutput::Create(const std::string& path) {
    if (IsWave()) return wave_.Create(path);
    path_ = path;
    told_ = false;
    const EncoderSettings settings{CodecOf(encoding_.format), CompressionLevelOf(encoding_), title_};
    return encoded_.Create(path, settings) || TellFailure("create");
}

bool AudioOutput::WriteFrames(std::span<const std::uint8_t> frames) {
    if (IsWave()) return wave_.WriteFrames(frames);
    return encoded_.WriteFrames(frames) || TellFailure("write");
}

bool AudioOutput::Finish() {
    if (IsWave()) return wave_.Finish();
    return encoded_.Finish() || TellFailure("finish");
}

void AudioOutput::Abandon() {
    if (IsWave()) {
        wave_.Abandon();
    } else {
        encoded_.Abandon();
    }
}
