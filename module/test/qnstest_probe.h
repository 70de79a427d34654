// Test-side access to the deterministic test module: loads the module file
// (the same library the binding loads from that path) and wraps its
// recording interface. For tests only; link ombrix_platform.
#pragma once

#include <cstdint>
#include <vector>

#include "module/test/qnstest_api.h"
#include "platform/dynamic_library.h"

class QnsTestProbe {
public:
    // Loads the test module at `path`; Loaded() tells whether that worked.
    explicit QnsTestProbe(const char* path) : library_(DynamicLibrary::Load(path)) {
        reset_ = Get<QnsTestResetFn>("qnstest_reset");
        callCount_ = Get<QnsTestCallCountFn>("qnstest_call_count");
        call_ = Get<QnsTestCallFn>("qnstest_call");
        callData_ = Get<QnsTestCallDataFn>("qnstest_call_data");
        setLongAnswer_ = Get<QnsTestSetFn>("qnstest_set_long_answer");
        setTailFrames_ = Get<QnsTestSetFn>("qnstest_set_tail_frames");
        setNeverSilent_ = Get<QnsTestSetFn>("qnstest_set_never_silent");
        setFailCreate_ = Get<QnsTestSetFn>("qnstest_set_fail_create");
        setRecording_ = Get<QnsTestSetFn>("qnstest_set_recording");
        liveInstances_ = Get<QnsTestCountFn>("qnstest_live_instances");
        heldNotes_ = Get<QnsTestHeldNotesFn>("qnstest_held_notes");
        setCrashAtBlock_ = Get<QnsTestSetFn>("qnstest_set_crash_at_block");
        setHangAtBlock_ = Get<QnsTestSetFn>("qnstest_set_hang_at_block");
    }

    // True when the module and all of its test exports were found.
    bool Loaded() const {
        return reset_ && callCount_ && call_ && callData_ && setLongAnswer_ && setTailFrames_ && setNeverSilent_ &&
               setFailCreate_ && setRecording_ && liveInstances_ && heldNotes_ && setCrashAtBlock_ && setHangAtBlock_;
    }

    void Reset() const { reset_(); }
    void SetLongAnswer(int answer) const { setLongAnswer_(answer); }
    void SetTailFrames(int frames) const { setTailFrames_(frames); }
    void SetNeverSilent(bool on) const { setNeverSilent_(on ? 1 : 0); }
    void SetFailCreate(bool on) const { setFailCreate_(on ? 1 : 0); }
    void SetRecording(bool on) const { setRecording_(on ? 1 : 0); }
    // Makes the module crash, or hang, in its `block`-th render call (0: never).
    void SetCrashAtBlock(int block) const { setCrashAtBlock_(block); }
    void SetHangAtBlock(int block) const { setHangAtBlock_(block); }
    int LiveInstances() const { return liveInstances_(); }
    int HeldNotes(int instance) const { return heldNotes_(instance); }

    // Every recorded call, in order.
    std::vector<QnsTestCall> Calls() const {
        std::vector<QnsTestCall> calls(static_cast<std::size_t>(callCount_()));
        for (std::size_t i = 0; i < calls.size(); ++i) call_(static_cast<std::int32_t>(i), &calls[i]);
        return calls;
    }
    // The bytes of the exclusive message of call `index`.
    std::vector<std::uint8_t> CallData(int index) const {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(callData_(index, nullptr, 0)));
        callData_(index, bytes.data(), static_cast<std::int32_t>(bytes.size()));
        return bytes;
    }

private:
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(library_.Symbol(name));
    }

    DynamicLibrary library_;
    QnsTestResetFn reset_ = nullptr;
    QnsTestCallCountFn callCount_ = nullptr;
    QnsTestCallFn call_ = nullptr;
    QnsTestCallDataFn callData_ = nullptr;
    QnsTestSetFn setLongAnswer_ = nullptr;
    QnsTestSetFn setTailFrames_ = nullptr;
    QnsTestSetFn setNeverSilent_ = nullptr;
    QnsTestSetFn setFailCreate_ = nullptr;
    QnsTestSetFn setRecording_ = nullptr;
    QnsTestCountFn liveInstances_ = nullptr;
    QnsTestHeldNotesFn heldNotes_ = nullptr;
    QnsTestSetFn setCrashAtBlock_ = nullptr;
    QnsTestSetFn setHangAtBlock_ = nullptr;
};
