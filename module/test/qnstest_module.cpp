// The deterministic test module: implements the seven module entry points,
// records every call with its arguments and the block it came in, and renders
// a fixed square wave while notes are held, exact zeros otherwise.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "module/test/qnstest_api.h"

namespace {

constexpr int kMaxInstances = 16;
constexpr int kChannels = 16;
constexpr int kKeys = 128;
constexpr float kAmplitude = 0.25f;
constexpr int kHalfPeriodFrames = 50;
constexpr int32_t kDefaultTailFrames = 1000;

struct Instance {
    bool live = false;
    int32_t blocks = 0;  // processReplacingM calls so far
    std::array<std::array<bool, kKeys>, kChannels> held{};
    int32_t heldCount = 0;
    int32_t tailLeft = 0;  // frames of fade still to render
    int64_t phase = 0;     // frames rendered, for the square wave
};

struct Recorded {
    QnsTestCall call;
    std::size_t dataOffset;  // into Record::bytes
};

struct Settings {
    int32_t longAnswer = 0;
    int32_t tailFrames = kDefaultTailFrames;
    bool neverSilent = false;
    bool failCreate = false;
    bool recording = true;
    int32_t crashAtBlock = 0;  // 0: never
    int32_t hangAtBlock = 0;   // 0: never
    int32_t blockDelayMs = 0;  // a slow synthesizer: each block takes this long
    int32_t createDelayMs = 0;  // a slow start, as a large SoundFont loading: qnsmain takes this long
};

struct Record {
    std::vector<Recorded> calls;
    std::vector<uint8_t> bytes;
};

std::array<Instance, kMaxInstances> g_instances;
Settings g_settings;
Record g_record;

Instance* Find(int32_t handle) {
    if (handle < 1 || handle > kMaxInstances) return nullptr;
    Instance& instance = g_instances[handle - 1];
    return instance.live ? &instance : nullptr;
}

void Note(QnsTestFunction function, int32_t handle, int32_t argument, uint32_t message, int32_t result,
          const uint8_t* data = nullptr, int32_t length = 0) {
    if (!g_settings.recording) return;
    const Instance* instance = Find(handle);
    QnsTestCall call{};
    call.function = function;
    call.instance = handle;
    call.block = instance != nullptr ? instance->blocks : 0;
    call.argument = argument;
    call.message = message;
    call.length = length;
    call.result = result;
    g_record.calls.push_back({call, g_record.bytes.size()});
    if (data != nullptr && length > 0) g_record.bytes.insert(g_record.bytes.end(), data, data + length);
}

void Press(Instance& instance, int channel, int key) {
    if (instance.held[channel][key]) return;
    instance.held[channel][key] = true;
    ++instance.heldCount;
}

void Release(Instance& instance, int channel, int key) {
    if (!instance.held[channel][key]) return;
    instance.held[channel][key] = false;
    if (--instance.heldCount == 0) instance.tailLeft = g_settings.tailFrames;
}

// A block number from the environment, or `fallback` when the variable is not set.
int32_t BlockFromEnvironment(const char* name, int32_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? static_cast<int32_t>(std::atoi(value)) : fallback;
}

void* g_exhausted = nullptr;  // the blocks ExhaustMemory took, chained through their first bytes

// Allocates until an allocation fails, then writes through the pointer it
// got: the crash of code that does not check its allocations.
void ExhaustMemory() {
    constexpr std::size_t kStep = 1 << 20;
    for (void* block; (block = std::malloc(kStep)) != nullptr; g_exhausted = block) {
        *static_cast<void**>(block) = g_exhausted;
    }
    volatile char* unchecked = nullptr;
    unchecked[0] = 1;
}

// Crashes or hangs when the call about to render block `block` (from 1) is the one set.
void FaultAt(int32_t block) {
    if (block == g_settings.crashAtBlock) std::raise(SIGSEGV);
    if (block == g_settings.hangAtBlock) {
        for (;;) ::pause();
    }
}

float Amplitude(Instance& instance) {
    if (instance.heldCount > 0 || g_settings.neverSilent) return kAmplitude;
    if (instance.tailLeft <= 0 || g_settings.tailFrames <= 0) return 0.0f;
    const float level = kAmplitude * static_cast<float>(instance.tailLeft) / static_cast<float>(g_settings.tailFrames);
    --instance.tailLeft;
    return level;
}

// Appends the calls an instance received to the file named by
// QNSTEST_CALL_LOG, one line each: block, function, message in hex.
void AppendCallLog(int32_t handle) {
    const char* path = std::getenv("QNSTEST_CALL_LOG");
    if (path == nullptr || path[0] == '\0') return;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(std::fopen(path, "a"), &std::fclose);
    if (!log) return;
    for (const Recorded& recorded : g_record.calls) {
        const QnsTestCall& call = recorded.call;
        if (call.instance == handle)
            std::fprintf(log.get(), "%d %d %06x\n", static_cast<int>(call.block), static_cast<int>(call.function),
                         static_cast<unsigned>(call.message));
    }
}

// Appends what the loading program set in QNSTAFF_SETTINGS ("(unset)" when
// nothing), then a line "--", to the file QNSTEST_SETTINGS_LOG names.
void LogSettings() {
    const char* log = std::getenv("QNSTEST_SETTINGS_LOG");
    if (log == nullptr || log[0] == '\0') return;
    const char* settings = std::getenv("QNSTAFF_SETTINGS");
    if (std::FILE* file = std::fopen(log, "a")) {
        std::fprintf(file, "%s--\n", settings != nullptr ? settings : "(unset)\n");
        std::fclose(file);
    }
}

}  // namespace

extern "C" {

int32_t qnsmain(void) {
    LogSettings();
    g_settings.crashAtBlock = BlockFromEnvironment("QNSTEST_CRASH_AT_BLOCK", g_settings.crashAtBlock);
    g_settings.hangAtBlock = BlockFromEnvironment("QNSTEST_HANG_AT_BLOCK", g_settings.hangAtBlock);
    g_settings.blockDelayMs = BlockFromEnvironment("QNSTEST_BLOCK_DELAY_MS", g_settings.blockDelayMs);
    if (std::getenv("QNSTEST_EXHAUST_MEMORY") != nullptr) ExhaustMemory();
    g_settings.createDelayMs = BlockFromEnvironment("QNSTEST_CREATE_DELAY_MS", g_settings.createDelayMs);
    if (g_settings.createDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(g_settings.createDelayMs));
    int32_t handle = 0;
    if (!g_settings.failCreate) {
        for (int i = 0; i < kMaxInstances; ++i) {
            if (!g_instances[i].live) {
                g_instances[i] = Instance{};
                g_instances[i].live = true;
                handle = i + 1;
                break;
            }
        }
    }
    Note(QNSTEST_QNSMAIN, handle, 0, 0, handle);
    return handle;
}

int32_t SetSamplingFreqM(int32_t instance, int32_t rate) {
    Note(QNSTEST_SET_SAMPLING_FREQ, instance, rate, 0, 0);
    return 0;
}

int32_t SetPolyphonyM(int32_t instance, int32_t voices) {
    Note(QNSTEST_SET_POLYPHONY, instance, voices, 0, 0);
    return 0;
}

int32_t SendShortMsgM(int32_t instance, int32_t zero, uint32_t message) {
    Note(QNSTEST_SEND_SHORT, instance, zero, message, 0);
    Instance* target = Find(instance);
    if (target == nullptr) return 0;
    const int status = message & 0xF0;
    const int channel = message & 0x0F;
    const int key = (message >> 8) & 0x7F;
    const int velocity = (message >> 16) & 0x7F;
    if (status == 0x90 && velocity > 0) Press(*target, channel, key);
    if (status == 0x80 || (status == 0x90 && velocity == 0)) Release(*target, channel, key);
    return 0;
}

int32_t SendLongMsgM(int32_t instance, int32_t zero, const uint8_t* data, int32_t length) {
    const int32_t answer = g_settings.longAnswer;
    Note(QNSTEST_SEND_LONG, instance, zero, 0, answer, data, length);
    return answer;
}

int32_t processReplacingM(int32_t instance, float** buffers, int32_t frames) {
    Note(QNSTEST_PROCESS_REPLACING, instance, frames, 0, 0);
    Instance* target = Find(instance);
    if (target == nullptr || buffers == nullptr) return 0;
    FaultAt(target->blocks + 1);
    if (g_settings.blockDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(g_settings.blockDelayMs));
    for (int32_t frame = 0; frame < frames; ++frame) {
        const float level = Amplitude(*target);
        const bool high = (target->phase / kHalfPeriodFrames) % 2 == 0;
        const float sample = high ? level : -level;
        buffers[0][frame] = sample;
        buffers[1][frame] = sample;
        ++target->phase;
    }
    ++target->blocks;
    return 0;
}

int32_t DestroyM(int32_t instance) {
    Note(QNSTEST_DESTROY, instance, 0, 0, 0);
    AppendCallLog(instance);
    if (Instance* target = Find(instance)) target->live = false;
    return 0;
}

void qnstest_reset(void) {
    g_record = Record{};
    g_settings = Settings{};
}

int32_t qnstest_call_count(void) { return static_cast<int32_t>(g_record.calls.size()); }

int32_t qnstest_call(int32_t index, QnsTestCall* out) {
    if (index < 0 || index >= qnstest_call_count() || out == nullptr) return 0;
    *out = g_record.calls[index].call;
    return 1;
}

int32_t qnstest_call_data(int32_t index, uint8_t* buffer, int32_t max) {
    if (index < 0 || index >= qnstest_call_count()) return 0;
    const Recorded& recorded = g_record.calls[index];
    const int32_t length = recorded.call.function == QNSTEST_SEND_LONG ? recorded.call.length : 0;
    if (buffer != nullptr && length > 0 && max > 0) {
        std::memcpy(buffer, g_record.bytes.data() + recorded.dataOffset, std::min(length, max));
    }
    return length;
}

void qnstest_set_long_answer(int32_t answer) { g_settings.longAnswer = answer; }
void qnstest_set_tail_frames(int32_t frames) { g_settings.tailFrames = std::max(frames, 0); }
void qnstest_set_never_silent(int32_t on) { g_settings.neverSilent = on != 0; }
void qnstest_set_fail_create(int32_t on) { g_settings.failCreate = on != 0; }
void qnstest_set_recording(int32_t on) { g_settings.recording = on != 0; }
void qnstest_set_crash_at_block(int32_t block) { g_settings.crashAtBlock = block; }
void qnstest_set_hang_at_block(int32_t block) { g_settings.hangAtBlock = block; }

int32_t qnstest_live_instances(void) {
    return static_cast<int32_t>(
        std::count_if(g_instances.begin(), g_instances.end(), [](const Instance& i) { return i.live; }));
}

int32_t qnstest_held_notes(int32_t instance) {
    const Instance* target = Find(instance);
    return target != nullptr ? target->heldCount : -1;
}

}  // extern "C"
