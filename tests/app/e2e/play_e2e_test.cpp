// The ombrix program's --play, run as a user runs it without a sound card:
// SDL's "disk" driver writes what would be heard to a file, which holds the
// conversion's samples for the same choices; a driver that cannot be used
// is told in one line with exit status 1; --play with -o is a usage error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../module_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPlayerKey[] = "registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32";
constexpr std::size_t kWavHeaderBytes = 44;

// The frames from the first to the last that is not silent.
std::string WithoutSilenceAround(const std::string& bytes) {
    const std::size_t first = bytes.find_first_not_of('\0');
    if (first == std::string::npos) return {};
    const std::size_t last = bytes.find_last_not_of('\0');
    const std::size_t from = first / 4 * 4;
    return bytes.substr(from, (last / 4 + 1) * 4 - from);
}

struct ProgramRun {
    int status = -1;
    std::string err;
};

class PlayRun : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() + "/config/" + kPlayerKey);
        std::ofstream(root.path() + "/config/" + kPlayerKey + "/@") << OMBRIX_TEST_MODULE_DIR << "/player";
        song = root.path() + "/song.mid";
        const smftest::Bytes bytes = PracticeSong(4);
        std::ofstream(song, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }

    // Runs the program with `arguments` and `environment` settings, standard
    // input and output not a terminal.
    ProgramRun Ombrix(const std::string& arguments, const std::string& environment = "") {
        const std::string err = root.path() + "/stderr";
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QNSTEST_CRASH_AT_BLOCK XDG_CONFIG_HOME='" +
                                    root.path() + "/config' HOME='" + root.path() + "' LC_ALL=C.UTF-8 " + environment +
                                    " '" + OMBRIX_PROGRAM + "' " + arguments + " >/dev/null 2>'" + err + "' </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(err)};
    }

    TempFolder root;
    std::string song;
};

TEST_F(PlayRun, TheDiskDriverWritesTheConversionsSamples) {
    const std::string choices = "--minus bass --tempo 80 --click --volume-down 5 ";
    ASSERT_EQ(Ombrix(choices + "-q -o '" + root.path() + "/converted.wav' '" + song + "'").status, 0);
    const std::string converted = ReadFileBytes(root.path() + "/converted.wav").substr(kWavHeaderBytes);
    ASSERT_GT(converted.size(), 0u);

    const std::string raw = root.path() + "/played.raw";
    const ProgramRun played = Ombrix(choices + "--play '" + song + "'",
                                     "SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=0 SDL_DISKAUDIOFILE='" + raw + "'");
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_EQ(played.err.find("cannot play"), std::string::npos) << played.err;  // SDL itself warns about its disk driver
    // The output plays silence while it waits for the first block and after
    // the song, until it is closed: in between lie the conversion's samples.
    const std::string song = WithoutSilenceAround(converted);
    const std::string samples = WithoutSilenceAround(ReadFileBytes(raw));
    ASSERT_GT(song.size(), 0u);
    EXPECT_EQ(samples.size(), song.size());
    EXPECT_TRUE(samples == song);
}

TEST_F(PlayRun, NoAudioOutputIsOneLineAndStatusOne) {
    const ProgramRun run = Ombrix("--play '" + song + "'", "SDL_AUDIODRIVER=no-such-driver");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind(song + ": cannot play: no audio output (tried no-such-driver): ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST_F(PlayRun, PlayWithAnOutputFileIsAUsageError) {
    const ProgramRun run = Ombrix("--play -o x.wav '" + song + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--play plays the song and writes no file"), std::string::npos) << run.err;
    EXPECT_EQ(Ombrix("--play '" + song + "' '" + song + "'").status, 2);
    EXPECT_FALSE(fs::exists(root.path() + "/x.wav"));
}

TEST_F(PlayRun, AMissingSongIsOneLineAndStatusOne) {
    const ProgramRun run = Ombrix("--play '" + root.path() + "/none.mid'", "SDL_AUDIODRIVER=dummy");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

}  // namespace
