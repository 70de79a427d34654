// The synthesizer module binding: the record that holds the loaded module,
// its instance and its sample buffers for one conversion, and the operations
// that load it, render one block of 16-bit stereo frames and unload it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "module/qnstaff_api.h"
#include "platform/dynamic_library.h"

constexpr int kModulePathBytes = 260;
constexpr std::int32_t kSampleRate = 44100;
constexpr std::int32_t kPolyphony = 128;
constexpr int kBlockFrames = 500;
constexpr int kBytesPerFrame = 4;  // left and right, 16 bits each
constexpr int kBlockBytes = kBlockFrames * kBytesPerFrame;
constexpr int kSampleBufferFloats = 1000;  // per side; one block uses 500
// A block whose first frames are all zero after the song's end ends the render.
constexpr int kSilentLeadFrames = 16;
constexpr int kSongOverResult = 9;

// Binding results.
constexpr int kBindLoadFailed = -1;
constexpr int kBindExportMissing = -2;
constexpr int kBindCreateFailed = -3;

// Path of the module file, found at start-up; empty when there is none.
extern char g_szModulePath[kModulePathBytes];

// The module's seven entry points.
struct SynthEntryPoints {
    QnsMainFn qnsmain = nullptr;
    SendLongMsgMFn sendLongMsg = nullptr;
    SendShortMsgMFn sendShortMsg = nullptr;
    ProcessReplacingMFn processReplacing = nullptr;
    SetPolyphonyMFn setPolyphony = nullptr;
    SetSamplingFreqMFn setSamplingFreq = nullptr;
    DestroyMFn destroy = nullptr;
};

// Owner of one synthesizer instance: destroys it through the module.
class SynthInstance {
public:
    SynthInstance() = default;
    SynthInstance(std::int32_t handle, DestroyMFn destroy) : handle_(handle), destroy_(destroy) {}
    ~SynthInstance() { Destroy(); }
    SynthInstance(SynthInstance&& other) noexcept { *this = std::move(other); }
    SynthInstance& operator=(SynthInstance&& other) noexcept {
        if (this != &other) {
            Destroy();
            handle_ = other.handle_;
            destroy_ = other.destroy_;
            other.handle_ = 0;
        }
        return *this;
    }
    SynthInstance(const SynthInstance&) = delete;
    SynthInstance& operator=(const SynthInstance&) = delete;

    // The module's handle, 0 when there is no instance.
    std::int32_t Handle() const { return handle_; }
    // Destroys the instance if there is one.
    void Destroy() {
        if (handle_ != 0 && destroy_ != nullptr) destroy_(handle_);
        handle_ = 0;
    }

private:
    std::int32_t handle_ = 0;
    DestroyMFn destroy_ = nullptr;
};

// Changes the channel messages on their way to the module while a song
// plays (the live mutes of playback). It sends what it lets through, or
// anything else, with SynthModule::SendShortDirect.
class ShortMessageFilter {
public:
    virtual ~ShortMessageFilter() = default;
    // `message` is on its way from part `part` (0-255; -1 when it is no part's).
    virtual void Pass(std::uint32_t message, int part) = 0;
};

// One conversion's module record. The library is declared before the
// instance so that the instance is destroyed while the library is loaded.
struct SynthModule {
    std::int32_t elapsedMs = 0;  // render time reached; the engine sends what falls before it
    DynamicLibrary library;
    SynthEntryPoints entry;
    SynthInstance instance;
    std::int32_t framesPerBlock = kBlockFrames;
    std::vector<float> left;
    std::vector<float> right;
    std::int32_t blocksRendered = 0;
    std::int32_t endOfSong = 0;  // set by the engine when the song has ended
    // Borrowed per-part channel bytes (port x 16 + channel) of the song being played.
    const std::uint8_t* channelTable = nullptr;
    // Borrowed; when set, the engine's channel messages go through it.
    ShortMessageFilter* filter = nullptr;

    // Sends one channel message of part `part` to the instance, through the filter if there is one.
    void SendShort(std::uint32_t message, int part = -1) const {
        if (filter != nullptr) {
            filter->Pass(message, part);
        } else {
            SendShortDirect(message);
        }
    }
    // Sends one channel message to the instance as it is.
    void SendShortDirect(std::uint32_t message) const { entry.sendShortMsg(instance.Handle(), 0, message); }
    // Sends one exclusive message; returns the low byte of the module's answer.
    int SendLong(const std::uint8_t* data, int length) const {
        return entry.sendLongMsg(instance.Handle(), 0, data, length) & 0xFF;
    }
};

// The record of the running conversion, or null.
extern SynthModule* g_pSynthModule;

// Loads the module named by g_szModulePath into `module` and creates its
// instance. Returns 0, or kBindLoadFailed / kBindExportMissing /
// kBindCreateFailed (nothing is left loaded then); a failure is also told on
// standard error in English, once per run for the same cause.
int BindSynthModule(SynthModule& module);
// The English line for binding result `result` of the module at `path`:
// `detail` is the loader's reason or the missing entry points' names.
std::string DescribeBindFailure(int result, std::string_view path, std::string_view detail);
// Renders one block into `block` (at least kBlockBytes bytes) as interleaved
// little-endian 16-bit stereo frames. Returns kSongOverResult when the song
// has ended and the block starts with kSilentLeadFrames silent frames, else 0.
int RenderSynthBlock(SynthModule& module, std::span<std::uint8_t> block);
// Renders one block into the module's left and right sample buffers
// (framesPerBlock frames). Returns kSongOverResult when the song has ended
// and the block's first kSilentLeadFrames frames are silent as 16-bit
// samples, else 0.
int RenderSynthSamples(SynthModule& module);
// Converts `frames` stereo frames of `left` and `right` into interleaved
// little-endian 16-bit samples at `out`, each as SampleToPcm16 does.
void ConvertSynthFrames(const float* left, const float* right, std::uint8_t* out, int frames);
// Destroys the instance and unloads the module. Returns -1 when nothing was loaded, else 0.
int UnbindSynthModule(SynthModule& module);
// Converts one rendered sample to a 16-bit value: scaled by 32767 and
// truncated, clamped to the 16-bit range; a sample that is not a number is silence.
std::int16_t SampleToPcm16(float sample);
