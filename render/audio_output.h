// The file a conversion writes, in the format it was asked for: WAV through
// the program's own RIFF writer, the compressed formats through the sound
// file library. Either way the file appears under its name only when
// finished, and every failure is told on standard error once per file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/encoded_audio_file.h"
#include "render/audio_format.h"
#include "render/wave_file.h"

class AudioOutput {
public:
    // `title` goes into the tags of the formats that have them.
    AudioOutput(const AudioEncoding& encoding, std::string title) : encoding_(encoding), title_(std::move(title)) {}

    // Starts the file; false when it cannot be made.
    bool Create(const std::string& path);
    // Appends sample frames; false when the write fails.
    bool WriteFrames(std::span<const std::uint8_t> frames);
    // Puts the finished file in place; false (file removed) when that fails.
    bool Finish();
    // Removes the unfinished file.
    void Abandon();

private:
    bool IsWave() const { return encoding_.format == AudioFormat::kWav; }
    // Tells the user what failed with the encoder and why; returns false.
    bool TellFailure(const char* what);

    AudioEncoding encoding_;
    std::string title_;
    std::string path_;
    WaveFile wave_;
    EncodedAudioFile encoded_;
    bool told_ = false;
};
