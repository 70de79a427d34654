// Stand-in for the system's audio output: the default output device through
// SDL2's audio (which reaches PipeWire, PulseAudio or ALSA; its "dummy"
// driver paces in real time without a device and its "disk" driver writes
// the samples to a file, as SDL_AUDIODRIVER chooses).
#pragma once

#include <cstdint>
#include <string>

#include "platform/audio_sink.h"

class SdlAudioOutput final : public AudioSink {
public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() override;
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    bool Open(Pull pull) override;
    void Pause(bool paused) override;
    void Close() override;
    std::string Failure() const override { return failure_; }

private:
    static void Callback(void* self, std::uint8_t* stream, int length);

    Pull pull_;
    std::uint32_t device_ = 0;
    bool initialized_ = false;
    std::string failure_;
};
