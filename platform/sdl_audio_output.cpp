// The audio output on SDL2, pulling from a callback on SDL's audio thread.
#include "platform/sdl_audio_output.h"

#include <SDL.h>

#include <cstdlib>

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
// Frames SDL asks for at a time: 23 ms, short enough for switches to be
// heard soon and long enough to ride out a busy moment.
constexpr int kDeviceFrames = 1024;

// The drivers SDL tries, in its order, or the one SDL_AUDIODRIVER names.
std::string DriversTried() {
    if (const char* chosen = std::getenv("SDL_AUDIODRIVER"); chosen != nullptr && chosen[0] != '\0') return chosen;
    std::string names;
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
        const std::string name = SDL_GetAudioDriver(i);
        // These two are only used when asked for by name.
        if (name == "dummy" || name == "disk") continue;
        names += (names.empty() ? "" : ", ") + name;
    }
    return names.empty() ? "none" : names;
}

}  // namespace

SdlAudioOutput::~SdlAudioOutput() {
    Close();
    if (initialized_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlAudioOutput::Close() {
    // SDL waits for a callback that is running.
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
}

void SdlAudioOutput::Callback(void* self, std::uint8_t* stream, int length) {
    static_cast<SdlAudioOutput*>(self)->pull_(std::span<std::uint8_t>(stream, static_cast<std::size_t>(length)));
}

bool SdlAudioOutput::Open(Pull pull) {
    pull_ = std::move(pull);
    const std::string tried = DriversTried();
    // The program handles its signals itself (Ctrl-C ends it as it ends a conversion).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        failure_ = "no audio output (tried " + tried + "): " + SDL_GetError();
        return false;
    }
    initialized_ = true;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16LSB;
    want.channels = kChannels;
    want.samples = kDeviceFrames;
    want.callback = &SdlAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No change allowed: SDL converts to what the device takes.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        const char* driver = SDL_GetCurrentAudioDriver();
        failure_ = std::string("no audio output (tried ") + (driver != nullptr ? driver : tried.c_str()) +
                   "): " + SDL_GetError();
        return false;
    }
    return true;
}

void SdlAudioOutput::Pause(bool paused) {
    if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}
