// QNStaff.so on its own, loaded with dlopen and driven the way the converter
// drives it: 500-frame blocks converted to 16 bits. Uses the small TimGM6mb
// SoundFont to stay fast; skipped when it is not installed.

#include "module/fluid/module_config.h"
#include "module/fluid/qnstaff_test_hooks.h"
#include "module/fluid/soundfont_search.h"
#include "module/qnstaff_api.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kSmallSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr char kFullSoundFont[] = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr int kRate = 44100;
constexpr int kFrames = 500;
constexpr int kDrumBank = 128;

// The library and its entry points, resolved as the converter resolves them.
struct Module {
    struct Closer {
        void operator()(void* handle) const { dlclose(handle); }
    };
    std::unique_ptr<void, Closer> library;
    QnsMainFn qnsmain = nullptr;
    SetSamplingFreqMFn setSamplingFreq = nullptr;
    SetPolyphonyMFn setPolyphony = nullptr;
    SendShortMsgMFn sendShort = nullptr;
    SendLongMsgMFn sendLong = nullptr;
    ProcessReplacingMFn process = nullptr;
    DestroyMFn destroy = nullptr;
    QnsTestOnlyChannelPresetFn channelPreset = nullptr;

    template <typename Fn>
    void Resolve(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(dlsym(library.get(), name));
        ASSERT_NE(fn, nullptr) << name;
    }
};

class QnStaffModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSmallSoundFont)) GTEST_SKIP() << "no SoundFont installed at " << kSmallSoundFont;
        UseSoundFont(kSmallSoundFont);
        module_.library.reset(dlopen(QNSTAFF_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL));
        ASSERT_NE(module_.library, nullptr) << dlerror();
        module_.Resolve(module_.qnsmain, "qnsmain");
        module_.Resolve(module_.setSamplingFreq, "SetSamplingFreqM");
        module_.Resolve(module_.setPolyphony, "SetPolyphonyM");
        module_.Resolve(module_.sendShort, "SendShortMsgM");
        module_.Resolve(module_.sendLong, "SendLongMsgM");
        module_.Resolve(module_.process, "processReplacingM");
        module_.Resolve(module_.destroy, "DestroyM");
        module_.Resolve(module_.channelPreset, QNS_TEST_ONLY_CHANNEL_PRESET_NAME);
    }
    void TearDown() override {
        for (int32_t instance : instances_) module_.destroy(instance);
        unsetenv(kTestSoundFontVariable);
    }

    static void UseSoundFont(const char* path) { setenv(kTestSoundFontVariable, path, 1); }

    // Makes an instance set up as the converter sets it up.
    int32_t Open() {
        const int32_t instance = module_.qnsmain();
        EXPECT_NE(instance, 0);
        if (instance == 0) return 0;
        instances_.push_back(instance);
        module_.setSamplingFreq(instance, kRate);
        module_.setPolyphony(instance, 128);
        return instance;
    }
    void Close(int32_t instance) {
        module_.destroy(instance);
        instances_.erase(std::remove(instances_.begin(), instances_.end(), instance), instances_.end());
    }

    void Short(int32_t instance, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
        module_.sendShort(instance, 0, status | (data1 << 8) | (data2 << 16));
    }
    int32_t Long(int32_t instance, std::vector<uint8_t> bytes) {
        return module_.sendLong(instance, 0, bytes.data(), static_cast<int32_t>(bytes.size()));
    }

    // Renders `blocks` blocks of 500 frames as interleaved 16-bit stereo,
    // converted as the driver converts them.
    std::vector<int16_t> Render(int32_t instance, int blocks) {
        std::vector<float> left(kFrames), right(kFrames);
        float* buffers[2] = {left.data(), right.data()};
        std::vector<int16_t> out;
        out.reserve(static_cast<std::size_t>(blocks) * kFrames * 2);
        for (int block = 0; block < blocks; ++block) {
            module_.process(instance, buffers, kFrames);
            for (int i = 0; i < kFrames; ++i) {
                out.push_back(ToPcm(left[i]));
                out.push_back(ToPcm(right[i]));
            }
        }
        return out;
    }
    static int16_t ToPcm(float sample) {
        const float v = sample * 32767.0f;
        if (v > 32767) return 32767;
        if (v <= -32768) return -32768;
        return static_cast<int16_t>(v);
    }
    static int Peak(const std::vector<int16_t>& pcm) {
        int peak = 0;
        for (int16_t s : pcm) peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    }

    // Bank of the preset `channel` plays after program change `program`.
    int BankAfterProgramChange(int32_t instance, int channel, uint8_t program) {
        Short(instance, static_cast<uint8_t>(0xC0 | channel), program);
        int32_t bank = -1, number = -1;
        EXPECT_EQ(module_.channelPreset(instance, channel, &bank, &number), 0);
        return bank;
    }
    // The channels (0-15) that take their program from the drum bank.
    std::vector<int> DrumChannels(int32_t instance) {
        std::vector<int> drums;
        for (int channel = 0; channel < 16; ++channel) {
            if (BankAfterProgramChange(instance, channel, 0) == kDrumBank) drums.push_back(channel);
        }
        return drums;
    }

    // F0 41 10 42 12 40 <1p> 15 <value> <checksum> F7: GS part nibble p to drums or not.
    static std::vector<uint8_t> RhythmPart(uint8_t partNibble, uint8_t value) {
        const uint8_t a2 = static_cast<uint8_t>(0x10 | partNibble);
        const uint8_t checksum = (128 - ((0x40 + a2 + 0x15 + value) & 0x7F)) & 0x7F;
        return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, a2, 0x15, value, checksum, 0xF7};
    }
    static std::vector<uint8_t> GsReset() { return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}; }

    Module module_;
    std::vector<int32_t> instances_;
};

TEST_F(QnStaffModuleTest, ACMajorChordRendersSound) {
    const int32_t synth = Open();
    for (uint8_t key : {60, 64, 67}) Short(synth, 0x90, key, 100);
    const std::vector<int16_t> pcm = Render(synth, 44);  // half a second
    EXPECT_GT(Peak(pcm), 1000);
    EXPECT_LT(Peak(pcm), 32767);  // a plain chord stays clear of clipping
}

TEST_F(QnStaffModuleTest, AChordPlaysAtTheDefaultLevel) {
    // One velocity-100 triad peaks near 2460 of 32767 (about -22 dBFS) at the
    // default gain, which keeps room for sixteen busy channels; a module 1.4
    // times as loud or as quiet is out of this window.
    const int32_t synth = Open();
    for (uint8_t key : {60, 64, 67}) Short(synth, 0x90, key, 100);
    const int peak = Peak(Render(synth, 44));
    EXPECT_GT(peak, 1800);
    EXPECT_LT(peak, 3400);
}

TEST_F(QnStaffModuleTest, AfterTheNoteOffsTheOutputDecaysToExactZeros) {
    const int32_t synth = Open();
    for (uint8_t key : {60, 64, 67}) Short(synth, 0x90, key, 100);
    Render(synth, 44);
    for (uint8_t key : {60, 64, 67}) Short(synth, 0x80, key, 0);

    // Find the first block from which on everything is zero, within ten seconds.
    const int blocksPerSecond = kRate / kFrames;
    const std::vector<int16_t> tail = Render(synth, 10 * blocksPerSecond);
    std::size_t lastNonZero = 0;
    for (std::size_t i = 0; i < tail.size(); ++i) {
        if (tail[i] != 0) lastNonZero = i;
    }
    const double silentAfterSeconds = static_cast<double>(lastNonZero / 2) / kRate;
    EXPECT_LT(silentAfterSeconds, 5.0);
    EXPECT_GT(silentAfterSeconds, 0.05);  // the release and reverb do ring on
}

class QnStaffEffectsTest : public QnStaffModuleTest {
protected:
    void TearDown() override {
        unsetenv(kSettingsVariable);
        QnStaffModuleTest::TearDown();
    }
    // A chord with full reverb and chorus sends and the second after its
    // note-offs, played with the module's `settings`.
    std::vector<int16_t> ChordWithTail(const char* settings) {
        setenv(kSettingsVariable, settings, 1);
        const int32_t synth = Open();
        Short(synth, 0xB0, 91, 127);
        Short(synth, 0xB0, 93, 127);
        for (uint8_t key : {60, 64, 67}) Short(synth, 0x90, key, 100);
        std::vector<int16_t> sound = Render(synth, 44);
        for (uint8_t key : {60, 64, 67}) Short(synth, 0x80, key, 0);
        const std::vector<int16_t> tail = Render(synth, 88);
        sound.insert(sound.end(), tail.begin(), tail.end());
        Close(synth);
        return sound;
    }
    // Energy of what the effects add to the dry sound.
    static double Added(const std::vector<int16_t>& wet, const std::vector<int16_t>& dry) {
        double energy = 0;
        for (std::size_t i = 0; i < wet.size() && i < dry.size(); ++i) {
            const double difference = static_cast<double>(wet[i]) - dry[i];
            energy += difference * difference;
        }
        return energy;
    }
};

TEST_F(QnStaffEffectsTest, ReverbAndChorusFollowTheLoadingProgramsSettings) {
    const std::vector<int16_t> dry = ChordWithTail("reverb = off\nchorus = off\n");
    const double room = Added(ChordWithTail("reverb = room\nchorus = off\n"), dry);
    const double hall = Added(ChordWithTail("reverb = hall\nchorus = off\n"), dry);
    const double quietRoom = Added(ChordWithTail("reverb = 0.1\nchorus = off\n"), dry);
    const double chorus = Added(ChordWithTail("reverb = off\nchorus = on\n"), dry);
    const double quietChorus = Added(ChordWithTail("reverb = off\nchorus = 0.1\n"), dry);
    const double both = Added(ChordWithTail("reverb = room\nchorus = on\n"), dry);
    const double defaults = Added(ChordWithTail(""), dry);
    EXPECT_GT(room, 0);
    EXPECT_GT(chorus, 0);
    // The hall rings longer than the room; low levels add less.
    EXPECT_GT(hall, 1.5 * room);
    EXPECT_LT(quietRoom, 0.1 * room);
    EXPECT_LT(quietChorus, 0.1 * chorus);
    // The defaults are the room with the chorus on.
    EXPECT_EQ(defaults, both);
    EXPECT_GT(both, room);
}

TEST_F(QnStaffEffectsTest, TheSameSettingsSoundTheSame) {
    setenv(kSettingsVariable, "reverb = hall\nchorus = 0.4\n", 1);
    std::vector<std::vector<int16_t>> takes;
    for (int take = 0; take < 2; ++take) {
        const int32_t synth = Open();
        for (uint8_t key : {48, 55, 64}) Short(synth, 0x90, key, 90);
        takes.push_back(Render(synth, 40));
        Close(synth);
    }
    EXPECT_EQ(takes[0], takes[1]);
}

TEST_F(QnStaffModuleTest, PitchBendTakesItsLowSevenBitsFirst) {
    // E0 00 40 is the centre (8192): the note sounds exactly as unbent. Read
    // the other way round it would be 64, almost two semitones down.
    const int32_t unbent = Open();
    Short(unbent, 0x90, 69, 100);
    const int32_t centred = Open();
    Short(centred, 0xE0, 0x00, 0x40);
    Short(centred, 0x90, 69, 100);
    const int32_t lowered = Open();
    Short(lowered, 0xE0, 0x40, 0x00);
    Short(lowered, 0x90, 69, 100);

    const std::vector<int16_t> reference = Render(unbent, 20);
    EXPECT_EQ(Render(centred, 20), reference);
    EXPECT_NE(Render(lowered, 20), reference);
}

TEST_F(QnStaffModuleTest, OnlyChannel10PlaysDrumsAtFirst) {
    const int32_t synth = Open();
    EXPECT_EQ(DrumChannels(synth), std::vector<int>{9});
}

TEST_F(QnStaffModuleTest, TheRhythmPartMessageMakesAChannelADrumChannelAndBack) {
    const int32_t synth = Open();
    EXPECT_EQ(Long(synth, RhythmPart(0x2, 0x01)), 0);  // part 2 is channel 2 (index 1)
    EXPECT_EQ(DrumChannels(synth), (std::vector<int>{1, 9}));
    Long(synth, RhythmPart(0xB, 0x02));  // part 11 is channel 12 (index 11)
    EXPECT_EQ(DrumChannels(synth), (std::vector<int>{1, 9, 11}));
    Long(synth, RhythmPart(0x2, 0x00));
    Long(synth, RhythmPart(0x0, 0x00));  // part 0 is channel 10
    EXPECT_EQ(DrumChannels(synth), std::vector<int>{11});
}

TEST_F(QnStaffModuleTest, ANewDrumChannelPlaysAKitRightAway) {
    const int32_t synth = Open();
    Short(synth, 0xC3, 25);  // channel 4 plays program 26 as a normal channel
    Long(synth, RhythmPart(0x4, 0x01));
    int32_t bank = -1, program = -1;
    ASSERT_EQ(module_.channelPreset(synth, 3, &bank, &program), 0);
    EXPECT_EQ(bank, kDrumBank);
    EXPECT_EQ(program, 25);  // the TR-808 kit of the same number
}

TEST_F(QnStaffModuleTest, AChannelLeavingTheDrumsPlaysTonesAgain) {
    const int32_t synth = Open();
    Long(synth, RhythmPart(0x0, 0x00));  // channel 10 becomes a normal channel
    int32_t bank = -1, program = -1;
    ASSERT_EQ(module_.channelPreset(synth, 9, &bank, &program), 0);
    EXPECT_EQ(bank, 0);
    EXPECT_EQ(BankAfterProgramChange(synth, 9, 25), 0);
}

TEST_F(QnStaffModuleTest, TheGsResetLeavesOnlyChannel10AsDrums) {
    const int32_t synth = Open();
    Long(synth, RhythmPart(0x1, 0x01));
    Long(synth, RhythmPart(0x0, 0x00));
    Short(synth, 0xC0, 40);
    EXPECT_EQ(Long(synth, GsReset()), 0);
    EXPECT_EQ(DrumChannels(synth), std::vector<int>{9});
}

TEST_F(QnStaffModuleTest, TheResetPutsEveryChannelBackToItsFirstProgram) {
    const int32_t synth = Open();
    Short(synth, 0xC0, 40);
    Long(synth, GsReset());
    int32_t bank = -1, program = -1;
    ASSERT_EQ(module_.channelPreset(synth, 0, &bank, &program), 0);
    EXPECT_EQ(bank, 0);
    EXPECT_EQ(program, 0);
}

TEST_F(QnStaffModuleTest, GmAndGm2SystemOnResetTheChannelsToo) {
    const int32_t synth = Open();
    Long(synth, RhythmPart(0x1, 0x01));
    Long(synth, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    EXPECT_EQ(DrumChannels(synth), std::vector<int>{9});
    Long(synth, RhythmPart(0x3, 0x01));
    Long(synth, {0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7});
    EXPECT_EQ(DrumChannels(synth), std::vector<int>{9});
}

TEST_F(QnStaffModuleTest, ARhythmPartMessageWithAWrongChecksumChangesNothing) {
    const int32_t synth = Open();
    std::vector<uint8_t> message = RhythmPart(0x1, 0x01);
    message[9] ^= 0x01;
    Long(synth, message);
    EXPECT_EQ(DrumChannels(synth), std::vector<int>{9});
}

TEST_F(QnStaffModuleTest, AMissingVariationFallsBackToTheCapitalTone) {
    const int32_t synth = Open();
    Short(synth, 0xB0, 0, 8);  // bank-select MSB 8: the SoundFont has no variations
    Short(synth, 0xC0, 4);
    int32_t bank = -1, program = -1;
    ASSERT_EQ(module_.channelPreset(synth, 0, &bank, &program), 0);
    EXPECT_EQ(bank, 0);
    EXPECT_EQ(program, 4);
}

TEST_F(QnStaffModuleTest, ADrumChannelIgnoresBankSelect) {
    const int32_t synth = Open();
    Short(synth, 0xB9, 0, 8);
    EXPECT_EQ(BankAfterProgramChange(synth, 9, 0), kDrumBank);
}

TEST_F(QnStaffModuleTest, BankSelectPicksAVariationAlsoAfterGmSystemOn) {
    if (!std::filesystem::exists(kFullSoundFont)) GTEST_SKIP() << "needs the variations of " << kFullSoundFont;
    UseSoundFont(kFullSoundFont);
    const int32_t synth = Open();
    Long(synth, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    Short(synth, 0xB0, 0, 8);
    Short(synth, 0xB0, 32, 3);  // the LSB plays no part under GS conventions
    Short(synth, 0xC0, 4);
    int32_t bank = -1, program = -1;
    ASSERT_EQ(module_.channelPreset(synth, 0, &bank, &program), 0);
    EXPECT_EQ(bank, 8);
    EXPECT_EQ(program, 4);
}

TEST_F(QnStaffModuleTest, ANewInstanceStartsClean) {
    const int32_t first = Open();
    Short(first, 0xC0, 40);
    Long(first, RhythmPart(0x1, 0x01));
    for (uint8_t key : {60, 64, 67}) Short(first, 0x90, key, 127);
    Render(first, 3);
    Close(first);

    const int32_t second = Open();
    EXPECT_EQ(Peak(Render(second, 20)), 0);  // nothing left sounding
    int32_t bank = -1, program = -1;
    ASSERT_EQ(module_.channelPreset(second, 0, &bank, &program), 0);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(DrumChannels(second), std::vector<int>{9});
}

TEST_F(QnStaffModuleTest, TwoInstancesPlayIndependently) {
    const int32_t playing = Open();
    const int32_t silent = Open();
    ASSERT_NE(playing, silent);
    Short(playing, 0x90, 60, 100);
    EXPECT_GT(Peak(Render(playing, 10)), 100);
    EXPECT_EQ(Peak(Render(silent, 10)), 0);
}

// Instances asked, as stems' renders ask, for a synthesizer per channel.
class QnStaffPerChannelTest : public QnStaffModuleTest {
protected:
    void SetUp() override {
        setenv(kSettingsVariable, "synthesizers = per-channel\n", 1);
        QnStaffModuleTest::SetUp();
    }
    void TearDown() override {
        QnStaffModuleTest::TearDown();
        unsetenv(kSettingsVariable);
    }
};

// Messages of a performance, each sent before the block it stands at.
struct TimedMessage {
    int block;
    uint32_t message;  // status | data1 << 8 | data2 << 16
};

// Each channel plays as if it were alone, so that the parts of a song
// rendered one by one add up to the whole: a drum hit taking the voice a
// finished note of another channel used sounds the same as in a voice
// never used, and one channel's many notes take no voices from another.
TEST_F(QnStaffPerChannelTest, TheChannelsOfASongAddUpToTheSongItself) {
    std::vector<TimedMessage> piano = {{0, 0x000AB0}, {0, 0x7F07B0}};  // panned hard left, full volume
    std::vector<TimedMessage> strings = {{0, 0x7F0AB1}, {0, 0x3001C1}};
    std::vector<TimedMessage> drums;
    for (int bar = 0; bar < 8; ++bar) {
        const int block = bar * 30;
        // Short notes whose voices end between the bars.
        piano.push_back({block, 0x640090u | static_cast<uint32_t>(60 + bar) << 8});
        piano.push_back({block + 2, 0x000080u | static_cast<uint32_t>(60 + bar) << 8});
        drums.push_back({block + 25, 0x7F2699});  // snare, while nothing else sounds
        drums.push_back({block + 28, 0x642A99});  // closed hi-hat
    }
    // Then 100 held notes on one channel and 40 on another: more than the
    // 128 voices a synthesizer is asked for.
    for (uint32_t key = 20; key < 120; ++key) piano.push_back({250, 0x500090u | key << 8});
    for (uint32_t key = 40; key < 80; ++key) strings.push_back({255, 0x500091u | key << 8});
    drums.push_back({260, 0x7F2699});
    const int blocks = 290;

    const auto play = [&](const std::vector<std::vector<TimedMessage>*>& parts) {
        const int32_t synth = Open();
        std::vector<TimedMessage> all;
        for (const auto* part : parts) all.insert(all.end(), part->begin(), part->end());
        std::stable_sort(all.begin(), all.end(), [](const TimedMessage& a, const TimedMessage& b) { return a.block < b.block; });
        std::vector<float> left(kFrames), right(kFrames), sound;
        float* buffers[2] = {left.data(), right.data()};
        auto next = all.begin();
        for (int block = 0; block < blocks; ++block) {
            for (; next != all.end() && next->block == block; ++next) module_.sendShort(synth, 0, next->message);
            module_.process(synth, buffers, kFrames);
            for (int i = 0; i < kFrames; ++i) {
                sound.push_back(left[i]);
                sound.push_back(right[i]);
            }
        }
        Close(synth);
        return sound;
    };
    const std::vector<float> song = play({&piano, &strings, &drums});
    const std::vector<float> pianoAlone = play({&piano});
    const std::vector<float> stringsAlone = play({&strings});
    const std::vector<float> drumsAlone = play({&drums});
    ASSERT_EQ(song.size(), pianoAlone.size());
    float largest = 0.0f;
    float loudest = 0.0f;
    for (std::size_t i = 0; i < song.size(); ++i) {
        largest = std::max(largest, std::abs(pianoAlone[i] + stringsAlone[i] + drumsAlone[i] - song[i]));
        loudest = std::max(loudest, std::abs(song[i]));
    }
    EXPECT_GT(loudest, 0.05f);
    EXPECT_LT(largest, 1e-5f) << "the parts differ from the song by up to " << largest;
}

// A channel's synthesizer starts rendering at its first note; one whose first
// note makes no sound (a key the drum kit has no sample for) starts earlier.
// Either way the channel's block grid and effects stand where they would
// had it rendered from the start, so its notes sound the same.
TEST_F(QnStaffPerChannelTest, AChannelSoundsTheSameWhicheverNoteStartsItsSynthesizer) {
    const auto play = [&](bool earlyKeyWithoutSound) {
        const int32_t synth = Open();
        Short(synth, 0xB9, 91, 127);  // full reverb and chorus sends
        Short(synth, 0xB9, 93, 127);
        if (earlyKeyWithoutSound) Short(synth, 0x99, 0, 100);
        std::vector<float> left(kFrames), right(kFrames), sound;
        float* buffers[2] = {left.data(), right.data()};
        for (int block = 0; block < 150; ++block) {
            if (block == 101) Short(synth, 0x99, 38, 127);  // a snare 101 blocks in, off the renderer's 64-frame grid
            module_.process(synth, buffers, kFrames);
            sound.insert(sound.end(), left.begin(), left.end());
            sound.insert(sound.end(), right.begin(), right.end());
        }
        Close(synth);
        return sound;
    };
    const std::vector<float> early = play(true);
    const std::vector<float> late = play(false);
    EXPECT_GT(*std::max_element(late.begin(), late.end()), 0.05f);
    // The reverb keeps its lines off denormal numbers with a tiny offset of
    // its own (near 1e-8): a synthesizer rendering without notes is not
    // quite silent, far under one 16-bit step.
    float largest = 0.0f;
    for (std::size_t i = 0; i < early.size(); ++i) largest = std::max(largest, std::abs(early[i] - late[i]));
    EXPECT_LT(largest, 1e-6f);
}

TEST_F(QnStaffModuleTest, WithoutTheThreadsVariableRenderingIsOnOneThread) {
    // Many voices on all channels, so that extra render threads would have
    // work; while another instance holds the SoundFont, as in a conversion
    // with several songs. Repeated, since extra threads show only sometimes.
    const char* const exported = std::getenv("QNSTAFF_CPU_CORES");
    const std::optional<std::string> saved = exported != nullptr ? std::optional<std::string>(exported) : std::nullopt;
    const int32_t holder = Open();
    const auto play = [this](const char* threads) {
        if (threads != nullptr) {
            setenv("QNSTAFF_CPU_CORES", threads, 1);
        } else {
            unsetenv("QNSTAFF_CPU_CORES");
        }
        const int32_t instance = Open();
        for (int channel = 0; channel < 16; ++channel) {
            Short(instance, static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(channel * 7));
            for (int key = 40; key < 90; key += 5) Short(instance, static_cast<uint8_t>(0x90 | channel), key, 90);
        }
        std::vector<int16_t> pcm = Render(instance, 60);
        Close(instance);
        return pcm;
    };
    const std::vector<int16_t> one = play("1");
    EXPECT_GT(Peak(one), 100);
    for (int run = 0; run < 5; ++run) EXPECT_EQ(play(nullptr), one) << "run " << run;
    Close(holder);
    if (saved) {
        setenv("QNSTAFF_CPU_CORES", saved->c_str(), 1);
    } else {
        unsetenv("QNSTAFF_CPU_CORES");
    }
}

TEST_F(QnStaffModuleTest, AnInstanceOnSeveralRenderThreadsGoesWhileItsNotesSound) {
    // Freeing a synthesizer unloads the samples of its programs while its
    // extra render threads may still take one more pass over its voices.
    // Repeated, since that pass comes only sometimes; in a child process,
    // since FluidSynth's extra threads also, rarely, never stop when freed.
    constexpr int kRounds = 300;
    constexpr auto kPatience = std::chrono::seconds(60);
    const pid_t child = fork();
    ASSERT_GE(child, 0) << errno;
    if (child == 0) {
        setenv("QNSTAFF_CPU_CORES", "2", 1);
        int quiet = 0;
        for (int round = 0; round < kRounds; ++round) {
            const int32_t synth = module_.qnsmain();
            module_.setSamplingFreq(synth, kRate);
            Short(synth, 0xC0, 40);
            Long(synth, RhythmPart(0x1, 0x01));
            for (uint8_t key : {60, 64, 67}) Short(synth, 0x90, key, 127);
            if (Peak(Render(synth, 3)) <= 100) ++quiet;
            module_.destroy(synth);
        }
        _exit(quiet == 0 ? 0 : 1);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            GTEST_SKIP() << "FluidSynth's render threads did not stop within " << kPatience.count() << " s";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "some rounds played nothing";
}

TEST_F(QnStaffModuleTest, WithoutSoundFontNoInstanceIsMade) {
    UseSoundFont("/nonexistent/none.sf2");
    EXPECT_EQ(module_.qnsmain(), 0);
}

TEST_F(QnStaffModuleTest, AFileThatIsNoSoundFontGivesNoInstance) {
    UseSoundFont(QNSTAFF_LIBRARY_PATH);
    EXPECT_EQ(module_.qnsmain(), 0);
}

TEST_F(QnStaffModuleTest, UnknownInstancesAndBadArgumentsAreRefusedQuietly) {
    float left[kFrames], right[kFrames];
    float* buffers[2] = {left, right};
    EXPECT_EQ(module_.process(0, buffers, kFrames), -1);
    EXPECT_EQ(module_.sendShort(12345, 0, 0x643C90), -1);
    EXPECT_EQ(module_.destroy(-7), -1);
    EXPECT_EQ(module_.sendLong(99, 0, nullptr, 4), 0);

    const int32_t synth = Open();
    float* missing[2] = {left, nullptr};
    EXPECT_EQ(module_.process(synth, missing, kFrames), -1);
    EXPECT_EQ(module_.process(synth, nullptr, kFrames), -1);
    EXPECT_EQ(module_.process(synth, buffers, -1), -1);
    const uint8_t truncated[] = {0xF0, 0x41};
    EXPECT_EQ(module_.sendLong(synth, 0, truncated, 2), 0);
    EXPECT_EQ(module_.sendLong(synth, 0, truncated, -5), 0);
    Short(synth, 0x90, 0x80, 0x40);  // a data byte with its top bit set
    EXPECT_EQ(Peak(Render(synth, 4)), 0);
}

TEST_F(QnStaffModuleTest, OtherSampleRatesRenderToo) {
    const int32_t synth = Open();
    module_.setSamplingFreq(synth, 22050);
    Short(synth, 0x90, 60, 100);
    EXPECT_GT(Peak(Render(synth, 10)), 100);
}

TEST_F(QnStaffModuleTest, TheModuleCanBeLoadedAndFreedForEveryConversion) {
    for (int conversion = 0; conversion < 3; ++conversion) {
        const int32_t synth = Open();
        Short(synth, 0x90, 60, 100);
        EXPECT_GT(Peak(Render(synth, 10)), 100);
        Close(synth);
        module_.library.reset(dlopen(QNSTAFF_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL));
        ASSERT_NE(module_.library, nullptr);
    }
}

}  // namespace
