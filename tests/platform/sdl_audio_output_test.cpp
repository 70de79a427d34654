// The audio output on SDL without a sound card: the "dummy" driver pulls
// once resumed, and a driver that cannot be used is named in the failure.
// (Playback's real time through it is measured in the player's tests.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/sdl_audio_output.h"

namespace {

constexpr std::size_t kFrameBytes = 4;

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) { setenv(name, value, 1); }
    ~ScopedVariable() { unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
};

TEST(SdlAudioOutput, TheDummyDriverPullsOnceResumed) {
    ScopedVariable driver("SDL_AUDIODRIVER", "dummy");
    std::atomic<long long> frames{0};
    SdlAudioOutput output;
    ASSERT_TRUE(output.Open([&frames](std::span<std::uint8_t> bytes) {
        std::fill(bytes.begin(), bytes.end(), 0);
        frames += static_cast<long long>(bytes.size() / kFrameBytes);
    })) << output.Failure();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(frames, 0);  // opened paused
    output.Pause(false);
    while (frames == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    output.Pause(true);
    EXPECT_EQ(frames % 1024, 0);  // whole buffers of 1024 frames
}

TEST(SdlAudioOutput, AnOutputThatCannotBeOpenedIsNamed) {
    ScopedVariable driver("SDL_AUDIODRIVER", "no-such-driver");
    SdlAudioOutput output;
    EXPECT_FALSE(output.Open([](std::span<std::uint8_t>) {}));
    EXPECT_EQ(output.Failure().rfind("no audio output (tried no-such-driver): ", 0), 0u) << output.Failure();
}

}  // namespace
