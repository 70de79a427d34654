// The WAV file a conversion writes: RIFF/WAVE with a 16-byte PCM format
// chunk (2 channels, 44100 Hz, 16 bits) and a data chunk of sample frames.
// It appears under its name only when finished; until then, and whenever a
// step fails, an earlier file of that name stays as it was.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/riff_writer.h"
#include "sequencer/synth_module.h"

// The format chunk's fields: what the module's blocks hold.
struct WaveFormat {
    std::uint16_t formatTag = 1;  // PCM
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = kSampleRate;
    std::uint32_t averageBytesPerSecond = kSampleRate * kBytesPerFrame;
    std::uint16_t blockAlign = kBytesPerFrame;
    std::uint16_t bitsPerSample = 16;
};
constexpr int kWaveFormatBytes = 16;

// The format chunk's 16 bytes, little-endian.
std::array<std::uint8_t, kWaveFormatBytes> EncodeWaveFormat(const WaveFormat& format);

// Whether a song of `lengthMs` fits into a WAV file, whose sizes are 32-bit
// counts (4 GiB, about 6 h 45 min of sound); rendering may add a few seconds
// of decay, which only the writer itself can refuse.
bool WaveFileCanHold(std::int64_t lengthMs);

// Every failure is also told on standard error with the file and the
// system's reason, once per file.
class WaveFile {
public:
    // Opens the file and writes the RIFF header, the format chunk and the
    // start of the data chunk. False when the file cannot be made.
    bool Create(const std::string& path);
    // Appends sample frames to the data chunk; false when the write fails.
    bool WriteFrames(std::span<const std::uint8_t> frames);
    // Closes the chunks and puts the file in place under its name. False when
    // that fails; the file is then removed.
    bool Finish();
    // Removes the unfinished file.
    void Abandon() { riff_.Discard(); }

private:
    // Tells the user what failed (`what`: "create", "write") and why; returns false.
    bool TellFailure(const char* what);

    RiffWriter riff_;
    std::string path_;
    bool told_ = false;
};
