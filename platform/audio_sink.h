// An audio output as the program sees it: it pulls 16-bit little-endian
// stereo frames at 44100 Hz from the program, on a thread of its own, for
// as long as it is open and not paused.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

class AudioSink {
public:
    // Fills `frames` (a whole number of 4-byte frames) with what plays next.
    using Pull = std::function<void(std::span<std::uint8_t> frames)>;

    virtual ~AudioSink() = default;
    // Opens the output, paused; false when there is none, with Failure() saying why.
    virtual bool Open(Pull pull) = 0;
    // Stops or resumes pulling.
    virtual void Pause(bool paused) = 0;
    // Stops pulling for good; once it returns the pull is never called again.
    virtual void Close() = 0;
    // One sentence naming what was tried and why it failed.
    virtual std::string Failure() const = 0;
};
