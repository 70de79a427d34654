// The module binding against the test module: binding results, the calls
// made at binding, the 16-bit conversion and the song-over result.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_harness.h"
#include "sequencer/synth_module.h"

namespace {

using seqtest::EngineHarness;

void SetModulePath(const char* path) {
    std::memset(g_szModulePath, 0, sizeof g_szModulePath);
    std::strncpy(g_szModulePath, path, sizeof g_szModulePath - 1);
}

std::int16_t FrameSample(const std::array<std::uint8_t, kBlockBytes>& block, int frame, int side) {
    const int at = frame * kBytesPerFrame + side * 2;
    return static_cast<std::int16_t>(block[at] | (block[at + 1] << 8));
}

TEST(BindSynthModule, AMissingFileGivesMinus1) {
    SetModulePath("/nonexistent/QNStaff.so");
    SynthModule module;
    EXPECT_EQ(BindSynthModule(module), kBindLoadFailed);
    EXPECT_FALSE(module.library.Loaded());
}

TEST(BindSynthModule, ALibraryWithoutTheEntryPointsGivesMinus2) {
    SetModulePath("libm.so.6");
    SynthModule module;
    EXPECT_EQ(BindSynthModule(module), kBindExportMissing);
    EXPECT_FALSE(module.library.Loaded());
}

TEST(BindSynthModule, AnInstanceThatCannotBeCreatedGivesMinus3) {
    EngineHarness harness;
    harness.Probe().SetFailCreate(true);
    SynthModule module;
    EXPECT_EQ(BindSynthModule(module), kBindCreateFailed);
    EXPECT_FALSE(module.library.Loaded());
    ASSERT_EQ(harness.Probe().Calls().size(), 1u);  // only qnsmain was called
}

TEST(BindSynthModule, AFailureIsToldOnStandardErrorOncePerCause) {
    SetModulePath("/nonexistent/told-once/QNStaff.so");
    SynthModule module;
    testing::internal::CaptureStderr();
    BindSynthModule(module);
    BindSynthModule(module);  // the next song of a batch fails the same way
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ombrix: cannot load the synthesizer module /nonexistent/told-once/QNStaff.so: cannot open shared object "
              "file: No such file or directory (install the module there, or register the folder that holds "
              "QNStaff.so with register-module.sh)\n");
}

TEST(BindSynthModule, TheMissingEntryPointsAreNamed) {
    SynthModule module;
    SetModulePath("/nonexistent/another-cause/QNStaff.so");
    BindSynthModule(module);  // any other cause told last
    SetModulePath("libm.so.6");
    testing::internal::CaptureStderr();
    BindSynthModule(module);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ombrix: libm.so.6 is not a synthesizer module: it lacks the entry point(s) qnsmain, SendLongMsgM, "
              "SendShortMsgM, processReplacingM, SetPolyphonyM, SetSamplingFreqM, DestroyM\n");
}

TEST(BindSynthModule, AModuleThatCannotStartIsToldToHaveSaidWhy) {
    EXPECT_EQ(DescribeBindFailure(kBindCreateFailed, "/m/QNStaff.so", ""),
              "the synthesizer module /m/QNStaff.so could not start (its own message above says why)");
    EXPECT_EQ(DescribeBindFailure(kBindLoadFailed, "/m/QNStaff.so", "/m/QNStaff.so: wrong ELF class: ELFCLASS32"),
              "cannot load the synthesizer module /m/QNStaff.so: wrong ELF class: ELFCLASS32");
}

TEST(BindSynthModule, BindingCreatesAnInstanceAndSetsRateAndPolyphony) {
    EngineHarness harness;
    SynthModule module;
    ASSERT_EQ(BindSynthModule(module), 0);
    const std::vector<QnsTestCall> calls = harness.Probe().Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].function, QNSTEST_QNSMAIN);
    EXPECT_EQ(calls[1].function, QNSTEST_SET_SAMPLING_FREQ);
    EXPECT_EQ(calls[1].argument, 44100);
    EXPECT_EQ(calls[2].function, QNSTEST_SET_POLYPHONY);
    EXPECT_EQ(calls[2].argument, 128);
    EXPECT_EQ(calls[1].instance, module.instance.Handle());
    EXPECT_EQ(module.framesPerBlock, 500);
    EXPECT_EQ(module.endOfSong, 0);
}

TEST(UnbindSynthModule, UnbindingDestroysTheInstanceOnceAndThenReportsNothingLoaded) {
    EngineHarness harness;
    SynthModule module;
    ASSERT_EQ(BindSynthModule(module), 0);
    const int handle = module.instance.Handle();
    EXPECT_EQ(UnbindSynthModule(module), 0);
    EXPECT_EQ(UnbindSynthModule(module), -1);
    const std::vector<QnsTestCall> calls = harness.Probe().Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().function, QNSTEST_DESTROY);
    EXPECT_EQ(calls.back().instance, handle);
    EXPECT_EQ(harness.Probe().LiveInstances(), 0);
}

TEST(UnbindSynthModule, ARecordDiscardedWithoutUnbindingStillDestroysItsInstance) {
    EngineHarness harness;
    {
        SynthModule module;
        ASSERT_EQ(BindSynthModule(module), 0);
    }
    EXPECT_EQ(harness.Probe().LiveInstances(), 0);
}

TEST(SampleToPcm16, SamplesAreScaledTruncatedAndClamped) {
    EXPECT_EQ(SampleToPcm16(0.0f), 0);
    EXPECT_EQ(SampleToPcm16(0.5f), 16383);     // 16383.5 truncated
    EXPECT_EQ(SampleToPcm16(-0.5f), -16383);   // toward zero
    EXPECT_EQ(SampleToPcm16(1.0f), 32767);
    EXPECT_EQ(SampleToPcm16(1.5f), 32767);
    EXPECT_EQ(SampleToPcm16(-1.0f), -32767);
    EXPECT_EQ(SampleToPcm16(-1.0001f), -32768);
    EXPECT_EQ(SampleToPcm16(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(RenderSynthBlock, FramesAreWrittenLeftThenRightLittleEndian) {
    EngineHarness harness;
    SynthModule module;
    ASSERT_EQ(BindSynthModule(module), 0);
    module.SendShort(0x643C90);  // note on, so the module sounds at 0.25
    std::array<std::uint8_t, kBlockBytes> block{};
    EXPECT_EQ(RenderSynthBlock(module, block), 0);
    EXPECT_EQ(block[0], 0xFF);  // 8191 = 0x1FFF
    EXPECT_EQ(block[1], 0x1F);
    EXPECT_EQ(FrameSample(block, 0, 1), 8191);
    EXPECT_EQ(FrameSample(block, 50, 0), -8191);  // the square wave's second half
}

TEST(RenderSynthBlock, TheSongIsOverOnlyWhenEndedAndTheBlockStartsSilent) {
    EngineHarness harness;
    harness.Probe().SetTailFrames(0);
    SynthModule module;
    ASSERT_EQ(BindSynthModule(module), 0);
    std::array<std::uint8_t, kBlockBytes> block{};
    EXPECT_EQ(RenderSynthBlock(module, block), 0);  // silent, but not ended
    module.SendShort(0x643C90);
    module.endOfSong = 1;
    EXPECT_EQ(RenderSynthBlock(module, block), 0);  // ended, but sounding
    module.SendShort(0x003C90);
    EXPECT_EQ(RenderSynthBlock(module, block), kSongOverResult);
}

TEST(RenderSynthBlock, OneSilentFrameAtTheStartOfABlockDoesNotEndTheSong) {
    // A sound that passes through zero right at the block's start (as a real
    // tail does now and then) is still sounding: 16 silent frames end the
    // song, 15 do not.
    constexpr std::int32_t kSilentFrames = 15;
    EngineHarness harness;
    SynthModule module;
    ASSERT_EQ(BindSynthModule(module), 0);
    module.entry.processReplacing = [](std::int32_t, float** buffers, std::int32_t frames) -> std::int32_t {
        for (std::int32_t frame = 0; frame < frames; ++frame) {
            const float sample = frame < kSilentFrames ? 0.0f : 0.25f;
            buffers[0][frame] = sample;
            buffers[1][frame] = sample;
        }
        return 0;
    };
    module.endOfSong = 1;
    std::array<std::uint8_t, kBlockBytes> block{};
    EXPECT_EQ(RenderSynthBlock(module, block), 0);
    EXPECT_EQ(FrameSample(block, kSilentFrames, 0), 8191);
}

}  // namespace
