// The ombrix program on its option command line ("--..."), run as a user
// runs it: the deterministic test module registered in a temporary
// configuration folder, no display, standard error on a file (no progress).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../module_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPlayerKey[] = "registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32";
constexpr std::size_t kWavHeaderBytes = 44;

// A WAV file of an earlier conversion: its signature, then `text` (only a WAV file is replaced).
std::string EarlierWav(const std::string& text) { return std::string("RIFF\0\0\0\0WAVE", 12) + text; }

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

class OptionRun : public testing::Test {
protected:
    void SetUp() override {
        songs = root.path() + "/songs";
        fs::create_directories(songs);
        fs::create_directories(root.path() + "/config/" + kPlayerKey);
        std::ofstream(root.path() + "/config/" + kPlayerKey + "/@") << OMBRIX_TEST_MODULE_DIR << "/player";
    }

    // Runs the program with `arguments` (already quoted for the shell) and
    // `environment` settings (English messages unless they set another
    // locale), after the shell commands `limits` ("ulimit -v 300000").
    ProgramRun Ombrix(const std::string& arguments, const std::string& environment = "", const std::string& limits = "") {
        const std::string out = root.path() + "/stdout";
        const std::string err = root.path() + "/stderr";
        const std::string command = limits + (limits.empty() ? "" : "; ") + "env -u DISPLAY -u WAYLAND_DISPLAY -u QNSTEST_CRASH_AT_BLOCK XDG_CONFIG_HOME='" +
                                    root.path() + "/config' HOME='" + root.path() + "' LC_ALL=C.UTF-8 " + environment + " '" +
                                    OMBRIX_PROGRAM + "' " + arguments + " >'" + out + "' 2>'" + err + "' </dev/null";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(out), ReadFileBytes(err)};
    }

    // Starts the program on `arguments` with the test module hanging at block
    // 600 (6.8 s) after the shell commands `prefix` ("trap '' TERM"), waits
    // (at most 15 s) until the shell test `ready` holds in the songs folder,
    // sends `signals` 0.3 s apart and returns the program's exit status. A
    // program still running 10 s after the last signal is killed (137).
    int SignalWhen(const std::string& arguments, const std::string& ready, const std::vector<std::string>& signals,
                   const std::string& prefix = "") {
        const std::string status = root.path() + "/status";
        // Job control keeps SIGINT for the program: a background command would get it ignored.
        std::string script = "set -m; " + prefix + (prefix.empty() ? "" : "; ") + "cd '" + root.path() +
                             "'; env -u DISPLAY LC_ALL=C.UTF-8 XDG_CONFIG_HOME='" + root.path() +
                             "/config' QNSTEST_HANG_AT_BLOCK=600 '" + OMBRIX_PROGRAM + "' " + arguments +
                             " >/dev/null 2>stderr </dev/null & pid=$!; cd '" + songs +
                             "'; for i in $(seq 300); do " + ready + " && break; sleep 0.05; done; ";
        for (std::size_t i = 0; i < signals.size(); ++i) script += (i > 0 ? "sleep 0.3; kill -" : "kill -") + signals[i] + " $pid; ";
        script += "(sleep 10; kill -KILL $pid 2>/dev/null) & guard=$!; wait $pid; echo $? > '" + status +
                  "'; kill $guard 2>/dev/null";
        const std::string file = root.path() + "/signal.sh";
        std::ofstream(file) << script << "\n";
        std::system(("bash '" + file + "' 2>/dev/null").c_str());
        const std::string text = ReadFileBytes(status);
        return text.empty() ? -1 : std::stoi(text);
    }

    // SignalWhen once the unfinished file of the hung song "b.mid" exists.
    int InterruptWhileHung(const std::string& arguments, const std::string& signal, const std::string& prefix = "") {
        return SignalWhen(arguments, "ls -a Conv 2>/dev/null | grep -q b.wav.part", {signal}, prefix);
    }

    // The names in the songs' Conv folder but its lock file, once no unfinished file is left (at most 5 s).
    std::vector<std::string> ConvFilesWhenSettled() {
        std::vector<std::string> names;
        for (int attempt = 0; attempt < 100; ++attempt) {
            names.clear();
            bool unfinished = false;
            for (const auto& entry : fs::directory_iterator(songs + "/Conv")) {
                if (entry.path().filename() == ".ombrix.lock") continue;  // the folder's lock, which stays
                names.push_back(entry.path().filename().string());
                unfinished = unfinished || names.back().find(".part-") != std::string::npos;
            }
            if (!unfinished) break;
            usleep(50000);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void Song(const std::string& name, int quarters = 1) { Write(name, PracticeSong(quarters)); }

    // One note held for `minutes` minutes at 120 BPM (the test module renders an hour in about a second).
    void LongSong(const std::string& name, int minutes) {
        Write(name, smftest::Smf(0, 480, {smftest::Chunk().Tempo(0, 500000).NoteOn(0, 0, 60, 100)
                                              .NoteOff(minutes * 120 * 480, 0, 60).End()}));
    }

    void Write(const std::string& name, const smftest::Bytes& bytes) {
        std::ofstream(songs + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // The largest sample magnitude of a WAV file's data.
    int Peak(const std::string& path) {
        const std::string wav = ReadFileBytes(path);
        int peak = 0;
        for (std::size_t i = kWavHeaderBytes; i + 1 < wav.size(); i += 2) {
            const auto sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(
                static_cast<unsigned char>(wav[i]) | (static_cast<unsigned char>(wav[i + 1]) << 8)));
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        return peak;
    }

    TempFolder root;
    std::string songs;
};

TEST_F(OptionRun, EveryUsageErrorExitsWithStatus2AndPointsToHelp) {
    for (const std::string arguments : {"--bogus x", "--mute 0 x", "--volume-down 3-1 x", "--minus voice x", "--tempo 0 x",
                                        "--tempo 1000 x", "--precount maybe x", "--normalize=2 x", "--jobs 0 x", "--tempo 80",
                                        "--", "--list=1 x", "'--tempo'"}) {
        const ProgramRun run = Ombrix(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("see ombrix --help"), std::string::npos) << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments;
    }
}

TEST_F(OptionRun, HelpAndVersionAnswerOnStandardOutput) {
    const ProgramRun help = Ombrix("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--minus PARTS"), std::string::npos);
    EXPECT_NE(help.out.find("-f<folder>[,-p0|-p1]"), std::string::npos);
    const ProgramRun version = Ombrix("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "ombrix 1.00\nmodule: " + std::string(OMBRIX_TEST_MODULE_DIR) + "/QNStaff.so\n");
}

TEST_F(OptionRun, ListsTheUsedChannelsWithDrumsPartsAndNames) {
    Song("song.mid");
    const ProgramRun run = Ombrix("--list '" + songs + "/song.mid'");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("1\t-\t-\t"), std::string::npos);
    EXPECT_NE(run.out.find("\n2\t-\tbass\t"), std::string::npos);
    EXPECT_NE(run.out.find("\n5\t-\tguitar\t"), std::string::npos);
    EXPECT_NE(run.out.find("\n10\tdrum\tdrums\tStandard Set\tdrum channel\n"), std::string::npos);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5);
    EXPECT_FALSE(fs::exists(songs + "/Conv"));  // listing converts nothing
}

TEST_F(OptionRun, OptionsAfterTheSongConvertAsOptionsBeforeIt) {
    Song("song.mid");
    const std::string song = "'" + songs + "/song.mid'";
    ASSERT_EQ(Ombrix("-q " + song + " --tempo 80 --minus bass -o '" + root.path() + "/after.wav'").status, 0);
    ASSERT_EQ(Ombrix("-q --tempo 80 --minus bass -o '" + root.path() + "/before.wav' " + song).status, 0);
    const std::string after = ReadFileBytes(root.path() + "/after.wav");
    EXPECT_GT(after.size(), kWavHeaderBytes);
    EXPECT_EQ(after, ReadFileBytes(root.path() + "/before.wav"));
}

TEST_F(OptionRun, AFolderConvertsInNameOrderWithItsLogAndOneLinePerFailedFile) {
    Song("b.mid");
    Song("a.MIDI");
    std::ofstream(songs + "/c.kar") << "plain text";
    const ProgramRun run = Ombrix("--jobs=2 '" + songs + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/c.kar: not a Standard MIDI File\n");
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/a.MIDI\r\nEND\r\n" + songs + "/b.mid\r\nEND\r\n" +
                                                                 songs + "/c.kar\r\nFile is not SMF\r\nEND\r\n");
    EXPECT_GT(fs::file_size(songs + "/Conv/a.wav"), kWavHeaderBytes);
    EXPECT_FALSE(fs::exists(songs + "/Conv/c.wav"));
}

TEST_F(OptionRun, TwoJobsWriteTheSameFilesAsOne) {
    for (int i = 1; i <= 5; ++i) Song("song" + std::to_string(i) + ".mid", i * 2);
    ASSERT_EQ(Ombrix("--jobs 1 --tempo 90 --minus bass -o '" + root.path() + "/one' '" + songs + "'").status, 0);
    ASSERT_EQ(Ombrix("--jobs 2 --tempo 90 --minus bass -o '" + root.path() + "/two' '" + songs + "'").status, 0);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root.path() + "/one")) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 7u);  // five songs, the log and the folder's lock file
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFileBytes(root.path() + "/two/" + name), ReadFileBytes(root.path() + "/one/" + name)) << name;
    }
}

TEST_F(OptionRun, SameWavNamesAreKeptApartAndASongWithoutNotesIsToldSilent) {
    Song("Song.mid");
    Song("Song.MID");
    const smftest::Bytes empty = smftest::Smf(0, 480, {smftest::Chunk().Tempo(0, 500000).End()});
    std::ofstream(songs + "/quiet.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(empty.data()), static_cast<std::streamsize>(empty.size()));
    const ProgramRun run = Ombrix("--jobs 2 --allow-silent '" + songs + "'");
    EXPECT_EQ(run.status, 0);
    const std::string saved = "Saved as Song (2).wav (Song.wav is taken by another file)";
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/Song.MID\r\nEND\r\n" + songs + "/Song.mid\r\n" +
                                                                 saved + "\r\nEND\r\n" + songs + "/quiet.mid\r\nEND\r\n");
    EXPECT_EQ(run.err, "ombrix: " + songs + "/Song.mid: " + saved + "\nombrix: warning: " + songs +
                           "/quiet.mid has no notes, so " + songs + "/Conv/quiet.wav is silent\n");
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/Song (2).wav"), ReadFileBytes(songs + "/Conv/Song.wav"));
}

TEST_F(OptionRun, ASilentOutputFailsWithItsLikelyReasonUnlessSilenceIsAllowed) {
    Song("song.mid");
    const smftest::Bytes empty = smftest::Smf(0, 480, {smftest::Chunk().Tempo(0, 500000).End()});
    std::ofstream(songs + "/quiet.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(empty.data()), static_cast<std::streamsize>(empty.size()));
    const ProgramRun run = Ombrix("-q --report - '" + songs + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/quiet.mid: silent output (no notes)\n");
    EXPECT_NE(run.out.find(R"x("status":"failed","cause":"silent output (no notes)")x"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"(/song.mid","output":")" + songs + R"(/Conv/song.wav","status":"converted")"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/quiet.mid\r\nsilent output (no notes)\r\nEND\r\n" +
                                                                 songs + "/song.mid\r\nEND\r\n");
    // The file is written all the same, as it would be with the silence allowed.
    const std::string silentBytes = ReadFileBytes(songs + "/Conv/quiet.wav");
    EXPECT_GT(silentBytes.size(), 44u);

    // Every channel muted: a song left without notes gets no pre-count either.
    const ProgramRun muted = Ombrix("-q --mute 1-16 -o '" + root.path() + "/muted.wav' '" + songs + "/song.mid'");
    EXPECT_EQ(muted.status, 1);
    EXPECT_EQ(muted.err, songs + "/song.mid: silent output (every channel muted)\n");
    EXPECT_TRUE(fs::exists(root.path() + "/muted.wav"));

    const ProgramRun allowed = Ombrix("-q --allow-silent '" + songs + "/quiet.mid'");
    EXPECT_EQ(allowed.status, 0);
    EXPECT_EQ(allowed.err, "ombrix: warning: " + songs + "/quiet.mid has no notes, so " + songs + "/Conv/quiet.wav is silent\n");
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/quiet.wav"), silentBytes);
}

TEST_F(OptionRun, OutputNamesTheWavFileOfASingleInput) {
    Song("song.mid");
    EXPECT_EQ(Ombrix("--quiet '" + songs + "/song.mid' -o '" + root.path() + "/practice.wav'").status, 0);
    EXPECT_TRUE(fs::exists(root.path() + "/practice.wav"));
    EXPECT_FALSE(fs::exists(songs + "/Conv"));
}

TEST_F(OptionRun, EachWrittenFileIsNamedOnStandardOutputUnlessQuiet) {
    Song("a.mid");
    Song("b.mid");
    const ProgramRun run = Ombrix("-- '" + songs + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, songs + "/Conv/a.wav\n" + songs + "/Conv/b.wav\n");
    // An output name without an extension gets ".wav".
    const ProgramRun named = Ombrix("'" + songs + "/a.mid' -o '" + root.path() + "/take1'");
    EXPECT_EQ(named.status, 0);
    EXPECT_EQ(named.out, root.path() + "/take1.wav\n");
    EXPECT_TRUE(fs::exists(root.path() + "/take1.wav"));
    EXPECT_EQ(Ombrix("-q '" + songs + "'").out, "");
}

TEST_F(OptionRun, NormalizeBringsThePeakToTheLevel) {
    Song("song.mid");
    ASSERT_EQ(Ombrix("--no-precount '" + songs + "/song.mid'").status, 0);
    // The test module's square wave at 0.25, raised by 1.4 as a song written as rendered.
    EXPECT_EQ(Peak(songs + "/Conv/song.wav"), 11468);
    ASSERT_EQ(Ombrix("--normalize=-6 '" + songs + "/song.mid'").status, 0);
    EXPECT_EQ(Peak(songs + "/Conv/song.wav"), static_cast<int>(std::lround(32767 * std::pow(10.0, -6.0 / 20))));
}

TEST_F(OptionRun, TheSoundChoiceReachesTheModuleThroughItsSettings) {
    Song("song.mid");
    const std::string font = songs + "/piano.sf3";
    std::ofstream(font) << std::string("RIFF\x04\0\0\0sfbk", 12);
    const std::string log = root.path() + "/settings.log";
    ASSERT_EQ(Ombrix("-q '" + songs + "/song.mid'", "QNSTEST_SETTINGS_LOG='" + log + "'").status, 0);
    ASSERT_EQ(Ombrix("-q --reverb hall --chorus 0.25 --soundfont '" + font + "' '" + songs + "/song.mid'",
                     "QNSTEST_SETTINGS_LOG='" + log + "'").status,
              0);
    ASSERT_EQ(Ombrix("-q --reverb=0 --chorus=off '" + songs + "/song.mid'", "QNSTEST_SETTINGS_LOG='" + log + "'").status, 0);
    EXPECT_EQ(ReadFileBytes(log), "reverb = room\nchorus = on\n--\n"
                                  "soundfont = " + font + "\nreverb = hall\nchorus = 0.25\n--\n"
                                  "reverb = 0\nchorus = off\n--\n");
    // The mix and stems of a --stems run play each channel on a synthesizer
    // of its own, so that the stems add up to the mix.
    fs::remove(log);
    ASSERT_EQ(Ombrix("-q --stems '" + songs + "/song.mid'", "QNSTEST_SETTINGS_LOG='" + log + "'").status, 0);
    const std::string stemsRun = ReadFileBytes(log);
    const std::string perChannel = "reverb = room\nchorus = on\nsynthesizers = per-channel\n--\n";
    ASSERT_FALSE(stemsRun.empty());
    for (std::size_t at = 0; at < stemsRun.size(); at += perChannel.size()) {
        EXPECT_EQ(stemsRun.substr(at, perChannel.size()), perChannel);
    }
}

TEST_F(OptionRun, ASoundFontThatCannotBeUsedStopsTheRunBeforeAnythingConverts) {
    Song("a.mid");
    Song("b.mid");
    const std::string log = root.path() + "/settings.log";
    std::ofstream(songs + "/notes.sf2") << "just text, no SoundFont";
    const std::pair<std::string, std::string> cases[] = {
        {"'" + songs + "/missing.sf2'", "ombrix: the SoundFont " + songs + "/missing.sf2 does not exist\n"},
        {"'" + songs + "/notes.sf2'", "ombrix: the SoundFont " + songs + "/notes.sf2 is not a SoundFont\n"},
        {"no-such-font", "ombrix: no installed SoundFont is named 'no-such-font' ("},
    };
    for (const auto& [soundFont, message] : cases) {
        const ProgramRun run = Ombrix("-q --soundfont " + soundFont + " '" + songs + "'", "QNSTEST_SETTINGS_LOG='" + log + "'");
        EXPECT_EQ(run.status, 2) << soundFont;
        EXPECT_EQ(run.err.substr(0, message.size()), message);
        EXPECT_FALSE(fs::exists(songs + "/Conv")) << soundFont;
        EXPECT_FALSE(fs::exists(log)) << "the module was started for " << soundFont;
    }
}

TEST_F(OptionRun, ACrashingModuleCostsOneSongAndKeepsItsEarlierFile) {
    // The module crashes at block 200 (2.3 s): the long song crashes, the short one converts.
    Song("a.mid", 8);
    Song("b.mid", 1);
    fs::create_directory(songs + "/Conv");
    std::ofstream(songs + "/Conv/a.wav") << EarlierWav("earlier");
    const ProgramRun run = Ombrix("--normalize --no-precount '" + songs + "'", "QNSTEST_CRASH_AT_BLOCK=200");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/a.mid: Conversion crashed (Segmentation fault)\n");
    EXPECT_TRUE(ReadFileBytes(songs + "/Conv/a.wav") == EarlierWav("earlier"));
    EXPECT_TRUE(fs::exists(songs + "/Conv/b.wav"));
    EXPECT_EQ(ConvFilesWhenSettled(), (std::vector<std::string>{"CreateLog.log", "a.wav", "b.wav"}));  // no temporary file
}

TEST_F(OptionRun, TheFolderBatchAlsoLogsACrashAndGoesOn) {
    Song("a.mid", 8);
    Song("b.mid", 1);
    const ProgramRun run = Ombrix("'-f" + songs + ",-p0'", "QNSTEST_CRASH_AT_BLOCK=200");
    EXPECT_EQ(run.status, 1);
    const std::string log = ReadFileBytes(songs + "/Conv/CreateLog.log");
    EXPECT_NE(log.find(songs + "/a.mid\r\nConversion crashed (Segmentation fault)\r\nEND\r\n"), std::string::npos);
    EXPECT_NE(log.find(songs + "/b.mid\r\nEND\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(songs + "/Conv/b.wav"));
}

}  // namespace

namespace {

TEST_F(OptionRun, SigtermEndsTheRunningWorkerRemovesItsFileAndKeepsTheLogOfTheFinished) {
    Song("a.mid", 1);   // 4 s: converts before the hang
    Song("b.mid", 16);  // hangs at 6.8 s
    EXPECT_EQ(InterruptWhileHung("--jobs=1 --no-precount '" + songs + "'", "TERM"), 128 + 15);
    EXPECT_EQ(ConvFilesWhenSettled(), (std::vector<std::string>{"CreateLog.log", "a.wav"}));
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/a.mid\r\nEND\r\n");
}

TEST_F(OptionRun, AProgramKilledOutrightTakesItsWorkerAndItsUnfinishedFileWithIt) {
    Song("b.mid", 16);
    EXPECT_EQ(InterruptWhileHung("--jobs=1 --no-precount '" + songs + "'", "KILL"), 128 + 9);
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{"CreateLog.log"});
}

TEST_F(OptionRun, TheFolderBatchStoppedBySigtermLeavesNoUnfinishedFile) {
    Song("b.mid", 16);
    EXPECT_EQ(InterruptWhileHung("'-f" + songs + ",-p0'", "TERM"), 128 + 15);
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{"CreateLog.log"});
}

}  // namespace

namespace {

// The address space of the program and its workers is limited to 300 MB:
// a song normalized in memory (10 MB a minute) runs out of it.
constexpr char kMemoryLimit[] = "ulimit -v 300000";

TEST_F(OptionRun, AWorkerOutOfMemoryFailsItsSongWithTheCauseAndSparesTheOthers) {
    Song("a.mid", 1);
    LongSong("b.mid", 60);
    Song("c.mid", 1);
    fs::create_directory(songs + "/Conv");
    std::ofstream(songs + "/Conv/b.wav") << EarlierWav("earlier");
    const ProgramRun run = Ombrix("-q --jobs 2 --normalize '" + songs + "'", "", kMemoryLimit);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/b.mid: Conversion failed (out of memory)\n");
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/a.mid\r\nEND\r\n" + songs +
                                                                 "/b.mid\r\nConversion failed (out of memory)\r\nEND\r\n" +
                                                                 songs + "/c.mid\r\nEND\r\n");
    EXPECT_TRUE(ReadFileBytes(songs + "/Conv/b.wav") == EarlierWav("earlier"));
    EXPECT_EQ(ConvFilesWhenSettled(), (std::vector<std::string>{"CreateLog.log", "a.wav", "b.wav", "c.wav"}));
}

TEST_F(OptionRun, ASingleFileOutOfMemoryExitsWithFailureAndKeepsTheEarlierWav) {
    LongSong("big.mid", 60);
    std::ofstream(root.path() + "/big.wav") << EarlierWav("earlier");
    const ProgramRun run = Ombrix("-q --normalize -o '" + root.path() + "/big.wav' '" + songs + "/big.mid'", "", kMemoryLimit);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/big.mid: Conversion failed (out of memory)\n");
    EXPECT_TRUE(ReadFileBytes(root.path() + "/big.wav") == EarlierWav("earlier"));
}

TEST_F(OptionRun, AWorkerThatCrashesWithItsAddressSpaceFullSaysItRanOutOfMemory) {
    Song("a.mid");
    ProgramRun run = Ombrix("-q '" + songs + "'", "QNSTEST_EXHAUST_MEMORY=1", kMemoryLimit);
    const std::string line = "Conversion crashed (out of memory: it used all of the 300000 KB of address space that ulimit -v allows)";
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/a.mid: " + line + "\n");
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/a.mid\r\n" + line + "\r\nEND\r\n");
    // A crash with room left is told as the crash it is.
    run = Ombrix("-q '" + songs + "/a.mid'", "QNSTEST_CRASH_AT_BLOCK=2", kMemoryLimit);
    EXPECT_EQ(run.err, songs + "/a.mid: Conversion crashed (Segmentation fault)\n");
}

TEST_F(OptionRun, CtrlCWithSigtermIgnoredStillStopsAStalledWorkerAndRemovesItsFile) {
    Song("b.mid", 16);
    EXPECT_EQ(InterruptWhileHung("--jobs=1 --no-precount '" + songs + "'", "INT", "trap '' TERM"), 128 + 2);
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{"CreateLog.log"});
}

TEST_F(OptionRun, AWorkerWithSigtermIgnoredStillNoticesItsParentKilledAndRemovesItsFile) {
    Song("b.mid", 16);
    EXPECT_EQ(InterruptWhileHung("--jobs=1 --no-precount '" + songs + "'", "KILL", "trap '' TERM"), 128 + 9);
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{"CreateLog.log"});
}

TEST_F(OptionRun, UnderNohupAHangupIsIgnoredAndSigtermStillStops) {
    Song("b.mid", 16);
    EXPECT_EQ(SignalWhen("--jobs=1 --no-precount '" + songs + "'", "ls -a Conv 2>/dev/null | grep -q b.wav.part",
                         {"HUP", "TERM"}, "trap '' HUP"),
              128 + 15);
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{"CreateLog.log"});
}

TEST_F(OptionRun, AnInterruptedParallelRunLogsEveryFinishedFileAndToldItsFailureAtOnce) {
    Song("a.mid", 16);  // hangs at 6.8 s
    Song("b.mid", 1);
    std::ofstream(songs + "/c.mid") << "plain text";
    Song("d.mid", 1);
    const int status = SignalWhen("--jobs=2 --no-precount '" + songs + "'",
                                  "test -e Conv/d.wav && grep -q c.mid ../stderr", {"INT"});
    EXPECT_EQ(status, 128 + 2);
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/b.mid\r\nEND\r\n" + songs +
                                                                 "/c.mid\r\nFile is not SMF\r\nEND\r\n" + songs +
                                                                 "/d.mid\r\nEND\r\n");
    EXPECT_NE(ReadFileBytes(root.path() + "/stderr").find(songs + "/c.mid: not a Standard MIDI File\n"), std::string::npos);
    EXPECT_EQ(ConvFilesWhenSettled(), (std::vector<std::string>{"CreateLog.log", "b.wav", "d.wav"}));
}

TEST_F(OptionRun, AStopThatEndedTheLastWorkerBeforeTheRunLookedStillStopsTheRun) {
    Song("a.mid", 1);
    Song("b.mid", 16);  // hangs at 6.8 s
    // The program is held still while the stop ends b.mid's worker, so that
    // it finds the worker gone before it looks at the signal. Job control
    // keeps SIGINT for the program: a background command would get it ignored.
    const std::string script =
        "set -m; cd '" + root.path() + "'; env -u DISPLAY LC_ALL=C.UTF-8 XDG_CONFIG_HOME='" + root.path() +
        "/config' QNSTEST_HANG_AT_BLOCK=600 '" + OMBRIX_PROGRAM + "' --jobs=1 --no-precount '" + songs +
        "' >/dev/null 2>stderr </dev/null & pid=$!\n"
        "for i in $(seq 300); do ls -a '" + songs + "/Conv' 2>/dev/null | grep -q b.wav.part && break; sleep 0.05; done\n"
        "worker=$(pgrep -n -P $pid)\n"
        "kill -STOP $pid; kill -TERM $worker\n"
        "for i in $(seq 300); do test \"$(cut -d' ' -f3 /proc/$worker/stat)\" = Z && break; sleep 0.01; done\n"
        "kill -INT $pid; kill -CONT $pid\n"
        "(sleep 10; kill -KILL $pid 2>/dev/null) & guard=$!\n"
        // Under job control `wait` also returns (128 + SIGSTOP) when the job
        // reports the stop it was given: wait again for its end, whose status
        // the shell keeps even when the job has already been reaped.
        "while wait $pid; s=$?; test $s -eq $((128 + $(kill -l STOP))); do :; done\n"
        "echo $s >status; kill $guard\n";
    std::ofstream(root.path() + "/signal.sh") << script;
    std::system(("bash '" + root.path() + "/signal.sh' 2>/dev/null").c_str());
    EXPECT_EQ(ReadFileBytes(root.path() + "/status"), "130\n") << ReadFileBytes(root.path() + "/stderr");
    // The stopped song is no failure: it is neither told nor logged.
    EXPECT_EQ(ReadFileBytes(root.path() + "/stderr").find("b.mid"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/a.mid\r\nEND\r\n");
    EXPECT_EQ(ConvFilesWhenSettled(), (std::vector<std::string>{"CreateLog.log", "a.wav"}));
}

TEST_F(OptionRun, OneJobNeverRunsTwoConversionsAtOnce) {
    Song("a.mid", 16);  // hangs at 6.8 s
    Song("b.mid", 1);
    // While a.mid hangs, b.mid must still wait for its turn.
    EXPECT_EQ(SignalWhen("--jobs 1 --no-precount '" + songs + "'",
                         "ls -a Conv 2>/dev/null | grep -q a.wav.part && sleep 0.5", {"TERM"}),
              128 + 15);
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), "");
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{"CreateLog.log"});
}

}  // namespace

namespace {

TEST_F(OptionRun, AnOutputThatIsAnInputInAnySpellingIsAUsageErrorAndNothingIsWritten) {
    Song("a.mid");
    const std::string a = songs + "/a.mid";
    const std::string before = ReadFileBytes(a);
    fs::create_symlink(a, root.path() + "/link.mid");
    fs::copy_file(a, songs + "/x.wav");  // a MIDI file with a WAV name
    const std::string x = ReadFileBytes(songs + "/x.wav");
    for (const std::string& arguments : {"-q -o '" + a + "' '" + a + "'", "-q -o '" + root.path() + "/link.mid' '" + a + "'",
                                        "-q -o '" + songs + "/.' '" + songs + "/x.wav'"}) {
        const ProgramRun run = Ombrix(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("is the input"), std::string::npos) << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments;
    }
    EXPECT_EQ(ReadFileBytes(a), before);
    EXPECT_EQ(ReadFileBytes(songs + "/x.wav"), x);
    EXPECT_FALSE(fs::exists(songs + "/Conv"));
}

TEST_F(OptionRun, AnExistingOutputThatIsNoSoundFileIsNotReplaced) {
    Song("song.mid");
    Song("other.mid");
    const std::string song = ReadFileBytes(songs + "/song.mid");
    const ProgramRun run = Ombrix("-q -o '" + songs + "/song.mid' '" + songs + "/other.mid'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/other.mid: " + songs + "/song.mid exists and is not a sound file; it was not replaced\n");
    EXPECT_EQ(ReadFileBytes(songs + "/song.mid"), song);
    // A WAV file is replaced as before.
    ASSERT_EQ(Ombrix("-q -o '" + root.path() + "/take.wav' '" + songs + "/other.mid'").status, 0);
    EXPECT_EQ(Ombrix("-q -o '" + root.path() + "/take.wav' '" + songs + "/song.mid'").status, 0);
    // So is a file of the other formats written here.
    ASSERT_EQ(Ombrix("-q -o '" + root.path() + "/take.flac' '" + songs + "/other.mid'").status, 0);
    EXPECT_EQ(Ombrix("-q -o '" + root.path() + "/take.flac' '" + songs + "/song.mid'").status, 0);
}

TEST_F(OptionRun, AnOutputEndingWithASlashIsAFolderCreatedWhenMissing) {
    Song("song.mid");
    const ProgramRun run = Ombrix("-q -o '" + root.path() + "/out/' '" + songs + "/song.mid'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GT(fs::file_size(root.path() + "/out/song.wav"), kWavHeaderBytes);
}

}  // namespace

namespace {

TEST_F(OptionRun, ASecondRunOnTheSameFolderWaitsForTheFirstOrFailsWithNoWait) {
    Song("a.mid", 1);   // the first run converts it
    Song("b.mid", 16);  // and hangs on this one at 6.8 s
    const std::string program = "env -u DISPLAY LC_ALL=C.UTF-8 XDG_CONFIG_HOME='" + root.path() + "/config' '" + OMBRIX_PROGRAM + "'";
    const std::string folder = " --jobs=1 --no-precount '" + songs + "'";
    const std::string script =
        "set -m; cd '" + root.path() + "'\n" +
        "QNSTEST_HANG_AT_BLOCK=600 " + program + folder + " >/dev/null 2>first.err </dev/null & first=$!\n" +
        "for i in $(seq 300); do ls -a songs/Conv 2>/dev/null | grep -q b.wav.part && break; sleep 0.05; done\n" +
        program + " --no-wait" + folder + " >/dev/null 2>nowait.err </dev/null; echo $? >nowait.status\n" +
        program + folder + " >/dev/null 2>second.err </dev/null & second=$!\n" +
        "for i in $(seq 300); do grep -q waiting second.err && break; sleep 0.05; done\n" +
        "kill -TERM $first; wait $first\n" +
        "(sleep 10; kill -KILL $second 2>/dev/null) & guard=$!; wait $second; echo $? >second.status; kill $guard\n";
    std::ofstream(root.path() + "/runs.sh") << script;
    std::system(("bash '" + root.path() + "/runs.sh' 2>/dev/null").c_str());
    EXPECT_EQ(ReadFileBytes(root.path() + "/nowait.status"), "1\n");
    EXPECT_EQ(ReadFileBytes(root.path() + "/nowait.err"),
              "ombrix: another run is converting into " + songs + "/Conv (it holds " + songs +
                  "/Conv/.ombrix.lock); nothing was converted (--no-wait)\n");
    EXPECT_EQ(ReadFileBytes(root.path() + "/second.status"), "0\n");
    EXPECT_EQ(ReadFileBytes(root.path() + "/second.err"),
              "ombrix: another run is converting into " + songs + "/Conv; waiting for it to finish\n");
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"), songs + "/a.mid\r\nEND\r\n" + songs + "/b.mid\r\nEND\r\n");
}

TEST_F(OptionRun, OneFolderGivenInTwoSpellingsConvertsEachSongOnceIntoOneLog) {
    Song("a.mid");
    Song("b.mid");
    const ProgramRun run = Ombrix("-q --jobs 2 '" + songs + "' '" + root.path() + "/../" +
                                  fs::path(root.path()).filename().string() + "/songs/'");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string log = ReadFileBytes(songs + "/Conv/CreateLog.log");
    std::size_t entries = 0;
    for (std::size_t at = log.find("END\r\n"); at != std::string::npos; at = log.find("END\r\n", at + 1)) ++entries;
    EXPECT_EQ(entries, 2u) << log;  // each song once, whichever spelling reached it
    EXPECT_FALSE(fs::exists(songs + "/Conv/a (2).wav"));
}

}  // namespace

namespace {

TEST_F(OptionRun, AWriteFailureInAWorkerFailsTheRunWithOneLine) {
    Song("a.mid", 8);
    const ProgramRun run = Ombrix("-q '" + songs + "/a.mid'", "", "ulimit -f 100");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/a.mid: the WAV file could not be written (cannot write " + songs +
                           "/Conv/a.wav: File too large)\n");
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{});
}

TEST_F(OptionRun, AnMp3FileCutShortByAFileSizeLimitFailsNamingItsFormat) {
    Song("a.mid", 64);
    const ProgramRun run = Ombrix("-q --format mp3 '" + songs + "/a.mid'", "", "ulimit -f 20");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, songs + "/a.mid: the MP3 file could not be written (cannot write " + songs +
                           "/Conv/a.mp3: File too large)\n");
    EXPECT_EQ(ConvFilesWhenSettled(), std::vector<std::string>{});
}

TEST_F(OptionRun, TheListOfWrittenFilesEscapesControlCharacters) {
    Song("two\nlines\x1b[31m.mid");
    const ProgramRun run = Ombrix("-- '" + songs + "/two\nlines\x1b[31m.mid'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, songs + "/Conv/two\\nlines\\x1B[31m.wav\n");
    EXPECT_TRUE(fs::exists(songs + "/Conv/two\nlines\x1b[31m.wav"));
}

TEST_F(OptionRun, AFolderThatCannotTakeItsConvFolderIsToldWithTheSystemsReason) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    Song("a.mid");
    fs::permissions(songs, fs::perms::owner_read | fs::perms::owner_exec);
    const ProgramRun run = Ombrix("-q '" + songs + "'");
    fs::permissions(songs, fs::perms::owner_all);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find("No such file"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("cannot create the folder " + songs + "/Conv: Permission denied"), std::string::npos) << run.err;
}

TEST_F(OptionRun, StaleTemporaryFilesOfAKilledRunAreRemoved) {
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    Song("a.mid");
    Song("b.mid");
    Song("c.mid");
    fs::create_directory(songs + "/Conv");
    std::ofstream(songs + "/Conv/.b.wav.part-" + std::to_string(gone) + "-0") << "left by a killed run";
    std::ofstream(songs + "/Conv/.c.wav.part-" + std::to_string(getpid()) + "-0") << "a living number, no lock";
    EXPECT_EQ(Ombrix("-q '" + songs + "'").status, 0);
    EXPECT_EQ(ConvFilesWhenSettled(), (std::vector<std::string>{"CreateLog.log", "a.wav", "b.wav", "c.wav"}));
}

TEST_F(OptionRun, AShortOptionFirstStillMeansTheOptionCommandLine) {
    Song("a.mid");
    const ProgramRun run = Ombrix("-j 1 -q '" + songs + "/a.mid'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(songs + "/Conv/a.wav"));
}

TEST_F(OptionRun, AFailedFileOfACollidingNameIsNotLoggedAsSaved) {
    Song("Song.MID");
    std::ofstream(songs + "/Song.mid") << "plain text";
    const ProgramRun run = Ombrix("-q '" + songs + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFileBytes(songs + "/Conv/CreateLog.log"),
              songs + "/Song.MID\r\nEND\r\n" + songs + "/Song.mid\r\nFile is not SMF\r\nEND\r\n");
    EXPECT_EQ(run.err.find("Saved as"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(OptionRun, ListEscapesControlCharactersInNamesAsTheLogDoes) {
    Song("a.mid");
    Song("b\tc\nd\x1b[31m.mid");
    const ProgramRun run = Ombrix("--list '" + songs + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(songs + "/b\\tc\\nd\\x1B[31m.mid\t1\t-\t-\t"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10);  // five channels of each song, one line each
}

// Twenty 4/4 bars at 120 BPM, bar n playing note 40 + n on its downbeat.
smftest::Bytes TwentyBars() {
    smftest::Chunk part;
    part.Tempo(0, 500000);
    for (int bar = 1; bar <= 20; ++bar) part.NoteOn(bar == 1 ? 0 : 1440, 0, 40 + bar, 100).NoteOff(480, 0, 40 + bar);
    part.End();
    return smftest::Smf(0, 480, {part});
}

// A sounding note-on of a test module call log.
struct LoggedNote {
    int block;
    int channel;  // 0-15
    int key;
};

std::vector<LoggedNote> NotesOn(const std::string& log) {
    std::vector<LoggedNote> notes;
    std::istringstream lines(log);
    int block = 0;
    int function = 0;
    std::string message;
    while (lines >> block >> function >> message) {
        const unsigned long value = std::stoul(message, nullptr, 16);
        if (function != QNSTEST_SEND_SHORT || (value & 0xF0) != 0x90 || ((value >> 16) & 0x7F) == 0) continue;
        notes.push_back({block, static_cast<int>(value & 0x0F), static_cast<int>((value >> 8) & 0x7F)});
    }
    return notes;
}

// The keys of the sounding note-ons on MIDI channel 1 in a test module call log.
std::vector<int> KeysPlayed(const std::string& log) {
    std::vector<int> keys;
    for (const LoggedNote& note : NotesOn(log)) {
        if (note.channel == 0) keys.push_back(note.key);
    }
    return keys;
}

TEST_F(OptionRun, ASingleMeasureConvertsWhetherGivenAloneOrAsARangeOfOne) {
    Write("bars.mid", TwentyBars());
    const std::string song = " '" + songs + "/bars.mid'";
    const std::string log = root.path() + "/calls.log";
    for (const std::string range : {"17", "5-5", "20"}) {
        fs::remove(log);
        const ProgramRun run = Ombrix("-q --no-precount --measures " + range + " -o '" + root.path() + "/bar.wav'" + song,
                                      "QNSTEST_CALL_LOG='" + log + "'");
        ASSERT_EQ(run.status, 0) << range << ": " << run.err;
        const int bar = std::stoi(range);
        EXPECT_EQ(KeysPlayed(ReadFileBytes(log)), (std::vector<int>{40 + bar})) << range;
        // The bar's 2 s, and at most the bar the engine plays after a song's last.
        const std::size_t bytes = ReadFileBytes(root.path() + "/bar.wav").size() - kWavHeaderBytes;
        EXPECT_GE(bytes, 2 * 44100 * 4u) << range;
        EXPECT_LE(bytes, 4 * 44100 * 4u) << range;
    }
    const ProgramRun past = Ombrix("-q --measures 21 -o '" + root.path() + "/past.wav'" + song);
    EXPECT_EQ(past.status, 1);
    EXPECT_NE(past.err.find("past the song's last measure (20)"), std::string::npos);
}

TEST_F(OptionRun, BarsListsTheFilesBarMapWithMetersTemposAndMarkers) {
    using smftest::Chunk;
    // 8/4 at 90 BPM with a marker; bar 3 turns 7/8, bar 5 to 100 BPM with a
    // second marker (a bar of 8/4 lasts 5.333 s, one of 7/8 2.333 s).
    Chunk conductor;
    conductor.TimeSig(0, 8, 2).Tempo(0, 666666).Text(0, 0x06, "Intro").TimeSig(7680, 7, 3)
        .Tempo(3360, 600000).Text(0, 0x06, "Verse").End();
    Chunk part;
    part.NoteOn(0, 0, 60, 100).NoteOff(7680 + 3360 + 960, 0, 60).End();
    Write("map.mid", smftest::Smf(1, 480, {conductor, part}));
    const ProgramRun run = Ombrix("--bars --measures 4-4 '" + songs + "/map.mid'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1\t0:00.000\t8/4\t90.00\tIntro\n"
                       "3\t0:10.666\t7/8\t90.00\t\n"
                       "4\t0:13.000\t7/8\t90.00\t\n"
                       "5\t0:15.333\t7/8\t100.00\tVerse\n"
                       "end\t0:16.532\n");
    EXPECT_FALSE(fs::exists(songs + "/Conv"));
}

TEST_F(OptionRun, AnOutputWithAnExtensionOfNoFormatIsAUsageErrorListingTheFormats) {
    Song("song.mid");
    const ProgramRun run = Ombrix("-o '" + root.path() + "/x.m4a' '" + songs + "/song.mid'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("ends in .m4a, which is none of the formats (wav, flac, ogg, opus, mp3)"), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(root.path() + "/x.m4a"));
    // A folder to write into may have any name.
    EXPECT_EQ(Ombrix("-q -o '" + root.path() + "/take.2/' '" + songs + "/song.mid'").status, 0);
    EXPECT_TRUE(fs::exists(root.path() + "/take.2/song.wav"));
    EXPECT_NE(Ombrix("--help").out.find("about 12 dB softer"), std::string::npos);
}

// FNV-1a, 64 bits: a fingerprint of a file's bytes.
std::uint64_t Fingerprint(const std::string& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return hash;
}

TEST_F(OptionRun, SongsThatStartOnADownbeatWithNoMutedPartFirstConvertByteForByteAsBefore) {
    // The example songs' files through the test module, as the program
    // wrote them before the count-in learnt the song's grid, raised by 1.4
    // as songs written as rendered are (every sample the earlier one times
    // 1.4, within 2).
    struct Expected {
        std::string song;
        std::string options;
        std::uint64_t fingerprint;
    };
    const std::vector<Expected> expected = {
        {"CityShuffle.MID", "", 0xc84d6b05fae3b676ULL},
        {"HarborJig.mid", "", 0x6f4c6647eb437b9eULL},
        {"MorningWaltz.mid", "", 0x45c62ffae23994cdULL},
        {"CityShuffle.MID", "--minus melody", 0x59694e780d00a9b6ULL},
        {"HarborJig.mid", "--minus melody", 0x5ca18bcc7e19831aULL},
        {"MorningWaltz.mid", "--minus melody", 0x76d43944574214cdULL},
        {"CityShuffle.MID", "--minus bass", 0xa5e1afac0570d49aULL},
        {"HarborJig.mid", "--minus bass", 0x2085341cad79cee6ULL},
        {"MorningWaltz.mid", "--minus bass", 0xe49f8ef5bc3bc285ULL},
    };
    for (const Expected& file : expected) {
        const std::string wav = root.path() + "/out.wav";
        ASSERT_EQ(Ombrix("-q " + file.options + " -o '" + wav + "' '" + OMBRIX_EXAMPLES_DIR + "/" + file.song + "'").status,
                  0);
        EXPECT_EQ(Fingerprint(ReadFileBytes(wav)), file.fingerprint) << file.song << " " << file.options;
    }
    // The folder batch writes the same files.
    for (const std::string name : {"CityShuffle.MID", "HarborJig.mid", "MorningWaltz.mid"}) {
        fs::copy_file(std::string(OMBRIX_EXAMPLES_DIR) + "/" + name, songs + "/" + name);
    }
    ASSERT_EQ(Ombrix("-f'" + songs + "'").status, 0);
    EXPECT_EQ(Fingerprint(ReadFileBytes(songs + "/Conv/CityShuffle.wav")), expected[0].fingerprint);
    EXPECT_EQ(Fingerprint(ReadFileBytes(songs + "/Conv/HarborJig.wav")), expected[1].fingerprint);
    EXPECT_EQ(Fingerprint(ReadFileBytes(songs + "/Conv/MorningWaltz.wav")), expected[2].fingerprint);
}

}  // namespace

namespace {

TEST_F(OptionRun, RemovingAPartTheSongDoesNotHaveSaysSoAndStillConverts) {
    // One tune on channel 1 and nothing below it: no bass part.
    Write("tune.mid", smftest::Smf(0, 480, {smftest::Chunk().Tempo(0, 500000).NoteOn(0, 0, 72, 100).NoteOff(480, 0, 72)
                                                .NoteOn(0, 0, 74, 100).NoteOff(480, 0, 74).End()}));
    Song("band.mid");
    // Without its melody the tune is silent, which is allowed here.
    const ProgramRun run = Ombrix("--minus bass,melody --allow-silent '" + songs + "/tune.mid' '" + songs + "/band.mid'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "ombrix: no bass part found in " + songs + "/tune.mid: nothing removed\n");
    EXPECT_TRUE(fs::exists(songs + "/Conv/tune.wav"));
    EXPECT_TRUE(fs::exists(songs + "/Conv/band.wav"));

    const std::string old = std::setlocale(LC_MESSAGES, nullptr);
    const bool japaneseLocale = std::setlocale(LC_MESSAGES, "ja_JP.UTF-8") != nullptr;
    std::setlocale(LC_MESSAGES, old.c_str());
    if (!japaneseLocale) GTEST_SKIP() << "the locale ja_JP.UTF-8 is not generated";
    const ProgramRun japanese = Ombrix("--minus bass '" + songs + "/tune.mid'", "LC_ALL=ja_JP.UTF-8");
    EXPECT_EQ(japanese.status, 0);
    EXPECT_EQ(japanese.err, "ombrix: bass パートが " + songs + "/tune.mid に見つかりません。何も取り除いていません\n");
}

// Two voices named by their tracks, each a note on its own channel.
smftest::Bytes TwoVoices() {
    using smftest::Chunk;
    Chunk alto;
    alto.Text(0, 0x03, "Alto").NoteOn(0, 0, 67, 100).NoteOff(960, 0, 67).End();
    Chunk bass;
    bass.Text(0, 0x03, "Basso").NoteOn(0, 1, 48, 100).NoteOff(960, 1, 48).End();
    return smftest::Smf(1, 480, {Chunk().Tempo(0, 500000).End(), alto, bass});
}

TEST_F(OptionRun, RehearsalTracksOfAFolderAreWrittenRecordedAndReportedOnePerTake) {
    fs::create_directories(songs + "/choir");
    Write("choir/hymn.mid", TwoVoices());
    const std::string run = "-r -q --skip-up-to-date --rehearsal all --format flac --report '" + root.path() +
                            "/run.jsonl' -o '" + root.path() + "/out' '" + songs + "'";
    const ProgramRun first = Ombrix(run);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::vector<std::string> takes = {"hymn - Alto loud.flac", "hymn - Alto missing.flac", "hymn - Bass loud.flac",
                                            "hymn - Bass missing.flac", "hymn - All.flac"};
    for (const std::string& take : takes) EXPECT_TRUE(fs::exists(root.path() + "/out/choir/" + take)) << take;
    // Report lines come as the takes finish: each found by its output.
    const auto lineOf = [&](const std::string& take) {
        std::istringstream report(ReadFileBytes(root.path() + "/run.jsonl"));
        for (std::string line; std::getline(report, line);) {
            if (line.find("/out/choir/" + take + "\"") != std::string::npos) return line;
        }
        return std::string();
    };
    for (const std::string& take : takes) EXPECT_NE(lineOf(take).find(R"("status":"converted")"), std::string::npos) << take;
    EXPECT_NE(lineOf(takes[0]).find(R"("rehearsal":{"kind":"loud","part":"Alto","part_db":6,"others_db":-6})"),
              std::string::npos)
        << lineOf(takes[0]);
    EXPECT_NE(lineOf(takes[3]).find(R"("rehearsal":{"kind":"missing","part":"Bass"})"), std::string::npos) << lineOf(takes[3]);
    EXPECT_NE(lineOf(takes[4]).find(R"("rehearsal":{"kind":"all","part":null})"), std::string::npos) << lineOf(takes[4]);

    // Every take is current on the next run; other levels make the loud takes again.
    ASSERT_EQ(Ombrix(run).status, 0);
    const std::string again = ReadFileBytes(root.path() + "/run.jsonl");
    EXPECT_EQ(std::count(again.begin(), again.end(), '\n'), 5);
    EXPECT_EQ(again.find(R"("status":"converted")"), std::string::npos) << again;
    ASSERT_EQ(Ombrix(run + " --rehearsal-levels +3,-3").status, 0);
    const std::string louder = ReadFileBytes(root.path() + "/run.jsonl");
    std::istringstream louderLines(louder);
    int converted = 0;
    for (std::string line; std::getline(louderLines, line);) {
        const bool loud = line.find(R"("kind":"loud")") != std::string::npos;
        EXPECT_EQ(line.find(R"("status":"converted")") != std::string::npos, loud) << line;
        converted += loud ? 1 : 0;
    }
    EXPECT_EQ(converted, 2);

    // A part the song lacks is said, and its other takes are made.
    const ProgramRun tenor = Ombrix("-q --rehearsal tenor,alto -o '" + root.path() + "/two/' '" + songs + "/choir/hymn.mid'");
    EXPECT_EQ(tenor.status, 0);
    EXPECT_NE(tenor.err.find("no part named tenor"), std::string::npos) << tenor.err;
    EXPECT_TRUE(fs::exists(root.path() + "/two/hymn - Alto loud.wav"));
    EXPECT_FALSE(fs::exists(root.path() + "/two/hymn - Tenor loud.wav"));

    // Two songs of the same name: the second's takes are numbered, and the log says so by the take's usual name.
    Song("Song.mid");
    Song("Song.MID");
    ASSERT_EQ(Ombrix("-q --rehearsal tenor '" + songs + "'").status, 0);
    EXPECT_NE(ReadFileBytes(songs + "/Conv/CreateLog.log").find("Saved as Song (2) - All.wav (Song - All.wav is taken by another file)"),
              std::string::npos)
        << ReadFileBytes(songs + "/Conv/CreateLog.log");
}

}  // namespace

namespace {

TEST_F(OptionRun, ASongWithoutADrumPartIsCountedInAndClickedOnTheDrumChannel) {
    // Two bars of 4/4 at 120 BPM on channel 1 only, its first note on the downbeat.
    Write("piano.mid", smftest::Smf(0, 480, {smftest::Chunk().Tempo(0, 500000).NoteOn(0, 0, 60, 100)
                                                 .NoteOff(3840, 0, 60).End()}));
    const std::string song = " '" + songs + "/piano.mid'";
    const std::string log = root.path() + "/calls.log";
    // Each conversion's clicks on channel 10 (before, and after, the piano's note).
    const auto clicks = [&](const std::vector<LoggedNote>& notes) {
        int pianoBlock = -1;
        for (const LoggedNote& note : notes) {
            if (note.channel == 0) pianoBlock = note.block;
        }
        std::pair<int, int> counted{0, 0};
        for (const LoggedNote& note : notes) {
            if (note.channel != 9) continue;
            (note.block < pianoBlock ? counted.first : counted.second)++;
        }
        return counted;
    };
    for (const std::string options : {"", "--click"}) {
        fs::remove(log);
        const ProgramRun run = Ombrix("-q " + options + " -o '" + root.path() + "/piano.wav'" + song,
                                      "QNSTEST_CALL_LOG='" + log + "'");
        ASSERT_EQ(run.status, 0) << options << ": " << run.err;
        const std::vector<LoggedNote> notes = NotesOn(ReadFileBytes(log));
        // A bar of four clicks in front of the piano; with the click, one on each of its eight beats too.
        EXPECT_EQ(clicks(notes), (std::pair<int, int>{4, options.empty() ? 0 : 8})) << options;
    }
    fs::remove(log);
    ASSERT_EQ(Ombrix("-f'" + songs + "'", "QNSTEST_CALL_LOG='" + log + "'").status, 0);
    EXPECT_EQ(clicks(NotesOn(ReadFileBytes(log))), (std::pair<int, int>{4, 0}));
}

}  // namespace
