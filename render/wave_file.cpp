// WAV layout on the RIFF writer.
#include "render/wave_file.h"

#include "platform/standard_error.h"

namespace {

void PutU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool WaveFileCanHold(std::int64_t lengthMs) {
    constexpr std::int64_t kHeaderBytes = 44;  // RIFF, format and data chunk headers
    constexpr std::int64_t kMsPerSecond = 1000;
    const std::int64_t dataBytes = lengthMs * kSampleRate / kMsPerSecond * kBytesPerFrame;
    return dataBytes + kHeaderBytes <= static_cast<std::int64_t>(kRiffMaxFileBytes);
}

std::array<std::uint8_t, kWaveFormatBytes> EncodeWaveFormat(const WaveFormat& format) {
    std::array<std::uint8_t, kWaveFormatBytes> bytes{};
    PutU16(&bytes[0], format.formatTag);
    PutU16(&bytes[2], format.channels);
    PutU32(&bytes[4], format.sampleRate);
    PutU32(&bytes[8], format.averageBytesPerSecond);
    PutU16(&bytes[12], format.blockAlign);
    PutU16(&bytes[14], format.bitsPerSample);
    return bytes;
}

bool WaveFile::TellFailure(const char* what) {
    if (!told_) WriteErrorLine(std::string("cannot ") + what + " " + path_ + ": " + riff_.FailureReason());
    told_ = true;
    return false;
}

bool WaveFile::Create(const std::string& path) {
    path_ = path;
    told_ = false;
    if (!riff_.Open(path)) return TellFailure("create");
    const auto format = EncodeWaveFormat(WaveFormat{});
    const bool written = riff_.CreateRiffChunk(MakeFourCC("WAVE")) &&
                         riff_.CreateChunk(MakeFourCC("fmt "), kWaveFormatBytes) &&
                         riff_.Write(format.data(), kWaveFormatBytes) == kWaveFormatBytes && riff_.Ascend() &&
                         riff_.CreateChunk(MakeFourCC("data"), 0);
    if (written) return true;
    TellFailure("write");
    riff_.Discard();
    return false;
}

bool WaveFile::WriteFrames(std::span<const std::uint8_t> frames) {
    const long length = static_cast<long>(frames.size());
    return riff_.Write(frames.data(), length) == length || TellFailure("write");
}

bool WaveFile::Finish() {
    if (riff_.Ascend() && riff_.Ascend() && riff_.Commit()) return true;
    TellFailure("finish");
    riff_.Discard();
    return false;
}
