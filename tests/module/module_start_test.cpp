// QNStaff.so loaded from a folder of its own with a QNStaff.conf beside it:
// the module says on standard error why it cannot start, and a configured
// SoundFont that is missing or broken is never replaced by another one.

#include "module/fluid/soundfont_search.h"
#include "module/qnstaff_api.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kSmallSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kRate = 44100;
constexpr int kFrames = 500;

// A copy of QNStaff.so in a fresh folder, loaded from there (so that it
// reads the QNStaff.conf written beside it), with the test variable unset.
class ModuleInItsOwnFolder : public testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv(kTestSoundFontVariable)) savedVariable_ = value;
        unsetenv(kTestSoundFontVariable);
        folder_ = (fs::temp_directory_path() / "ombrix-module-XXXXXX").string();
        ASSERT_NE(mkdtemp(folder_.data()), nullptr) << errno;
        fs::copy_file(QNSTAFF_LIBRARY_PATH, folder_ + "/QNStaff.so");
    }
    void TearDown() override {
        if (library_) dlclose(library_);
        fs::remove_all(folder_);
        if (savedVariable_) setenv(kTestSoundFontVariable, savedVariable_->c_str(), 1);
    }

    void WriteConfig(const std::string& text) { std::ofstream(folder_ + "/QNStaff.conf") << text; }

    template <typename Fn>
    Fn Entry(const char* name) {
        return reinterpret_cast<Fn>(dlsym(library_, name));
    }

    // Loads the copy and calls qnsmain; returns the instance and what the module said.
    int32_t Start(std::string& said) {
        library_ = dlopen((folder_ + "/QNStaff.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(library_, nullptr) << dlerror();
        if (library_ == nullptr) return 0;
        testing::internal::CaptureStderr();
        const int32_t instance = Entry<QnsMainFn>("qnsmain")();
        said = testing::internal::GetCapturedStderr();
        if (instance != 0) Entry<DestroyMFn>("DestroyM")(instance);
        return instance;
    }

    // The peak of a C major chord held for half a second, in full-scale units.
    float ChordPeak() {
        std::string said;
        library_ = dlopen((folder_ + "/QNStaff.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        const int32_t synth = library_ != nullptr ? Entry<QnsMainFn>("qnsmain")() : 0;
        EXPECT_NE(synth, 0);
        if (synth == 0) return 0;
        Entry<SetSamplingFreqMFn>("SetSamplingFreqM")(synth, kRate);
        const auto sendShort = Entry<SendShortMsgMFn>("SendShortMsgM");
        for (uint32_t key : {60, 64, 67}) sendShort(synth, 0, 0x90 | key << 8 | 100 << 16);
        std::vector<float> left(kFrames), right(kFrames);
        float* buffers[2] = {left.data(), right.data()};
        float peak = 0;
        for (int block = 0; block < kRate / 2 / kFrames; ++block) {
            Entry<ProcessReplacingMFn>("processReplacingM")(synth, buffers, kFrames);
            for (int i = 0; i < kFrames; ++i) peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
        }
        Entry<DestroyMFn>("DestroyM")(synth);
        dlclose(library_);
        library_ = nullptr;
        return peak;
    }

    std::string folder_;
    void* library_ = nullptr;
    std::optional<std::string> savedVariable_;
};

TEST_F(ModuleInItsOwnFolder, AConfiguredSoundFontThatDoesNotExistIsReportedNotReplaced) {
    WriteConfig("soundfont = missing.sf2\n");
    std::string said;
    EXPECT_EQ(Start(said), 0);
    EXPECT_EQ(said, "QNStaff.so: the SoundFont " + folder_ + "/missing.sf2 named in " + folder_ +
                        "/QNStaff.conf does not exist; name another one there\n");
}

TEST_F(ModuleInItsOwnFolder, AConfiguredFileThatIsNoSoundFontIsReported) {
    std::ofstream(folder_ + "/broken.sf2") << "RIFF but nothing more";
    WriteConfig("soundfont = " + folder_ + "/broken.sf2\n");
    std::string said;
    EXPECT_EQ(Start(said), 0);
    EXPECT_NE(said.find("QNStaff.so: the SoundFont " + folder_ + "/broken.sf2 named in " + folder_ +
                        "/QNStaff.conf cannot be loaded"),
              std::string::npos)
        << said;
}

TEST_F(ModuleInItsOwnFolder, AConfiguredSoundFontThatLoadsStartsQuietly) {
    if (!fs::exists(kSmallSoundFont)) GTEST_SKIP() << "no SoundFont installed at " << kSmallSoundFont;
    WriteConfig(std::string("soundfont = ") + kSmallSoundFont + "\n");
    std::string said;
    EXPECT_NE(Start(said), 0);
    EXPECT_EQ(said, "");
}

TEST_F(ModuleInItsOwnFolder, TheTestVariableNamesTheOnlySoundFontToo) {
    setenv(kTestSoundFontVariable, "/nonexistent/none.sf2", 1);
    std::string said;
    EXPECT_EQ(Start(said), 0);
    EXPECT_EQ(said, "QNStaff.so: the SoundFont /nonexistent/none.sf2 named in QNSTAFF_TEST_SOUNDFONT does not "
                    "exist; name another one there\n");
}

TEST_F(ModuleInItsOwnFolder, TheGainOfTheConfigurationSetsTheLoudness) {
    if (!fs::exists(kSmallSoundFont)) GTEST_SKIP() << "no SoundFont installed at " << kSmallSoundFont;
    const std::string soundFont = std::string("soundfont = ") + kSmallSoundFont + "\n";
    WriteConfig(soundFont);
    const float atDefault = ChordPeak();
    WriteConfig(soundFont + "gain = 0.6\n");
    const float atDouble = ChordPeak();
    WriteConfig(soundFont + "gain = 0.15\n");
    const float atHalf = ChordPeak();
    ASSERT_GT(atDefault, 0.0f);
    EXPECT_NEAR(atDouble / atDefault, 2.0, 0.02);
    EXPECT_NEAR(atHalf / atDefault, 0.5, 0.01);
}

TEST_F(ModuleInItsOwnFolder, ABadGainIsToldAndTheDefaultPlays) {
    if (!fs::exists(kSmallSoundFont)) GTEST_SKIP() << "no SoundFont installed at " << kSmallSoundFont;
    const std::string soundFont = std::string("soundfont = ") + kSmallSoundFont + "\n";
    WriteConfig(soundFont);
    const float atDefault = ChordPeak();
    WriteConfig(soundFont + "gain = 2\n");
    std::string said;
    EXPECT_NE(Start(said), 0);
    EXPECT_EQ(said, "QNStaff.so: \"gain = 2\" in " + folder_ +
                        "/QNStaff.conf is not a number from 0.0 to 1.0; the default gain 0.3 is used\n");
    EXPECT_EQ(ChordPeak(), atDefault);
}

}  // namespace
