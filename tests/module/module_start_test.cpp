// QNStaff.so loaded from a folder of its own with a QNStaff.conf beside it:
// the module says on standard error why it cannot start, and a configured
// SoundFont that is missing or broken is never replaced by another one.

#include "module/fluid/soundfont_search.h"
#include "module/qnstaff_api.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr char kSmallSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";

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

    // Loads the copy and calls qnsmain; returns the instance and what the module said.
    int32_t Start(std::string& said) {
        library_ = dlopen((folder_ + "/QNStaff.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(library_, nullptr) << dlerror();
        if (library_ == nullptr) return 0;
        const auto qnsmain = reinterpret_cast<QnsMainFn>(dlsym(library_, "qnsmain"));
        testing::internal::CaptureStderr();
        const int32_t instance = qnsmain();
        said = testing::internal::GetCapturedStderr();
        if (instance != 0) reinterpret_cast<DestroyMFn>(dlsym(library_, "DestroyM"))(instance);
        return instance;
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

}  // namespace
