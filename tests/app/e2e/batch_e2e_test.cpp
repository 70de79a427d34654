// The ombrix program run as a user runs it: "-f<folder>[,-p<n>]" on a folder
// of MIDI files, the deterministic test module registered as the player's
// module in a temporary configuration folder, no display.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../temp_folder.h"

namespace fs = std::filesystem;

namespace {

// The program's explanations and the system's reasons follow the locale;
// the tests read them in English unless they ask for another language.
constexpr char kEnglishMessages[] = "export LC_ALL=C.UTF-8";

constexpr char kPlayerKey[] = "registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32";
constexpr std::size_t kWavHeaderBytes = 44;
constexpr std::size_t kBytesPerSecond = 44100 * 4;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A format-0 Standard MIDI File at 480 ticks per quarter, 120 BPM: one C4
// on channel 1 held for `quarters` quarter notes.
std::string OneNoteSmf(int quarters = 2) {
    const int length = quarters * 480;
    std::string track = {
        '\x00', '\xFF', '\x51', '\x03', '\x07', '\xA1', '\x20',    // tempo 500000 us
        '\x00', '\x90', '\x3C', '\x64',                            // note on C4
        static_cast<char>(0x80 | (length >> 7)), static_cast<char>(length & 0x7F),
        '\x80', '\x3C', '\x00',                                    // note off after `length`
        '\x00', '\xFF', '\x2F', '\x00'};                           // end of track
    std::string file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, '\x01', '\xE0', 'M', 'T', 'r', 'k', 0, 0, 0,
                        static_cast<char>(track.size())};
    return file + track;
}

// A variable-length quantity of a track's delta time.
std::string VarLength(std::uint32_t value) {
    std::string bytes(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    return bytes;
}

// One C4 held for `minutes` minutes at 120 BPM: a conversion long enough to
// be stopped in its middle (the test module renders an hour in about a second).
std::string LongNoteSmf(int minutes) {
    const std::uint32_t ticks = static_cast<std::uint32_t>(minutes) * 120 * 480;
    std::string track = std::string("\x00\xFF\x51\x03\x07\xA1\x20\x00\x90\x3C\x64", 11) + VarLength(ticks) +
                        std::string("\x80\x3C\x00\x00\xFF\x2F\x00", 7);
    std::string file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, '\x01', '\xE0', 'M', 'T', 'r', 'k', 0, 0,
                        static_cast<char>(track.size() >> 8), static_cast<char>(track.size() & 0xFF)};
    return file + track;
}

// A WAV file of an earlier conversion: its signature, then `text` (only a WAV file is replaced).
std::string EarlierWav(const std::string& text) { return std::string("RIFF\0\0\0\0WAVE", 12) + text; }

// The temporary files a conversion leaves in `folder` while it writes.
std::vector<fs::path> TemporaryFiles(const std::string& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().filename().string().find(".part-") != std::string::npos) found.push_back(entry.path());
    }
    return found;
}

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class BatchRun : public testing::Test {
protected:
    void SetUp() override {
        songs = root.path() + "/songs";
        config = root.path() + "/config";
        fs::create_directories(songs);
        fs::create_directories(config);
        RegisterModule(OMBRIX_TEST_MODULE_DIR);
    }

    // Points the player's registry entry at a program in `folder`.
    void RegisterModule(const std::string& folder) {
        fs::create_directories(config + "/" + kPlayerKey);
        WriteBytes(config + "/" + kPlayerKey + "/@", folder + "/player");
    }

    // Runs the program; `limits` are shell commands run before it ("ulimit -f 100").
    // Its messages are English unless `limits` export another locale.
    RunResult Run(const std::string& arguments, const std::string& limits = "") {
        const std::string out = root.path() + "/stdout";
        const std::string err = root.path() + "/stderr";
        // English unless a test's `limits` export another locale.
        const std::string command = std::string(kEnglishMessages) + "; " + limits + (limits.empty() ? "" : "; ") + "env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" + config + "' HOME='" +
                                    root.path() + "' '" + OMBRIX_PROGRAM + "' " + arguments + " >'" + out +
                                    "' 2>'" + err + "' </dev/null";
        const int raw = std::system(command.c_str());
        RunResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadBytes(out);
        result.err = ReadBytes(err);
        return result;
    }

    // Starts the program on `folder` and sends it `signalNumber` once its
    // temporary WAV file has grown past a few megabytes. Returns the wait
    // status, or -1 when the conversion was never seen under way.
    int RunAndStopMidway(const std::string& folder, int signalNumber) {
        const std::string err = root.path() + "/stderr";
        const pid_t child = fork();
        if (child == 0) {
            const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int nullFd = open("/dev/null", O_RDWR);
            dup2(nullFd, STDIN_FILENO);
            dup2(nullFd, STDOUT_FILENO);
            dup2(errFd, STDERR_FILENO);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            setenv("HOME", root.path().c_str(), 1);
            const std::string argument = "-f" + folder;
            execl(OMBRIX_PROGRAM, OMBRIX_PROGRAM, argument.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        constexpr std::uintmax_t kUnderWayBytes = 4u << 20;
        bool underWay = false;
        for (int poll = 0; poll < 20000 && !underWay; ++poll) {
            for (const fs::path& temp : TemporaryFiles(folder + "/Conv")) {
                std::error_code error;
                if (fs::file_size(temp, error) >= kUnderWayBytes) underWay = true;
            }
            if (!underWay) std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        kill(child, signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        stoppedErr = ReadBytes(err);
        return underWay ? status : -1;
    }

    // The log a batch writes for `files`, in the order the folder lists them.
    std::string ExpectedLog(const std::vector<std::pair<std::string, std::string>>& linesByName) {
        std::string log;
        for (const auto& entry : fs::directory_iterator(songs)) {
            const std::string name = entry.path().filename().string();
            for (const auto& [file, lines] : linesByName) {
                if (file == name) log += songs + "/" + name + "\r\n" + lines + "END\r\n";
            }
        }
        return log;
    }

    std::size_t DataBytes(const std::string& wavName) {
        const auto size = fs::file_size(songs + "/Conv/" + wavName);
        return size - kWavHeaderBytes;
    }

    TempFolder root;
    std::string songs;
    std::string config;
    std::string stoppedErr;  // standard error of RunAndStopMidway
};

// The system gives its reasons (strerror, the loader's) and the program its
// explanations in the locale's language; tests of their English wording run
// with English messages.
constexpr char kEnglishSystemReasons[] = "export LC_ALL=C.UTF-8";

bool LocaleAvailable(const char* name) {
    const std::string old = std::setlocale(LC_MESSAGES, nullptr);
    const bool available = std::setlocale(LC_MESSAGES, name) != nullptr;
    std::setlocale(LC_MESSAGES, old.c_str());
    return available;
}

TEST_F(BatchRun, TheLogKeepsItsLinesUnderAJapaneseLocale) {
    WriteBytes(songs + "/a.mid", "this is plain text, not MIDI");
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs, "export LC_ALL=ja_JP.UTF-8");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"),
              ExpectedLog({{"a.mid", "File is not SMF\r\nSMFが読み込まれていません\r\n"}, {"b.mid", ""}}));
}

TEST_F(BatchRun, LogsAFailedFileAndConvertsTheGoodOne) {
    WriteBytes(songs + "/a.mid", "this is plain text, not MIDI");
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);  // not every file converted
    const std::string log = ReadBytes(songs + "/Conv/CreateLog.log");
    EXPECT_EQ(log, ExpectedLog({{"a.mid", "File is not SMF\r\nSMFが読み込まれていません\r\n"}, {"b.mid", ""}}));
    EXPECT_EQ(run.out, log);  // without a display the log is shown on standard output
    EXPECT_FALSE(fs::exists(songs + "/Conv/a.wav"));
    const std::string wav = ReadBytes(songs + "/Conv/b.wav");
    ASSERT_GT(wav.size(), kWavHeaderBytes);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 4), "WAVE");
    EXPECT_NE(wav.find_first_not_of('\0', kWavHeaderBytes), std::string::npos);  // real sound
}

TEST_F(BatchRun, SecondRunReplacesTheWavFilesAndTheLog) {
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    ASSERT_EQ(Run("-f" + songs).status, 0);
    const std::string firstWav = ReadBytes(songs + "/Conv/b.wav");
    WriteBytes(songs + "/Conv/b.wav", EarlierWav("stale"));
    WriteBytes(songs + "/Conv/CreateLog.log", "stale log\r\n");
    EXPECT_EQ(Run("-f" + songs + "/").status, 0);
    EXPECT_TRUE(ReadBytes(songs + "/Conv/b.wav") == firstWav);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/b.mid\r\nEND\r\n");
}

TEST_F(BatchRun, SkipsASubfolderNamedLikeAMidiFile) {
    fs::create_directory(songs + "/x.mid");
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    EXPECT_EQ(Run("-f" + songs).status, 0);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/b.mid\r\nEND\r\n");
}

TEST_F(BatchRun, NamesTheOutputOfAnUpperCaseExtensionWav) {
    WriteBytes(songs + "/Song.MID", OneNoteSmf());
    EXPECT_EQ(Run("-f" + songs).status, 0);
    EXPECT_TRUE(fs::exists(songs + "/Conv/Song.wav"));
}

TEST_F(BatchRun, PutsAPreCountMeasureInFrontOnlyWithP1) {
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    ASSERT_EQ(Run("'-f" + songs + ",-p0'").status, 0);
    const std::size_t without = DataBytes("b.wav");
    ASSERT_EQ(Run("'-f" + songs + ",-p1'").status, 0);
    const std::size_t with = DataBytes("b.wav");
    // One 4/4 measure at 120 BPM lasts two seconds.
    EXPECT_GT(with, without + kBytesPerSecond * 3 / 2);
    EXPECT_LT(with, without + kBytesPerSecond * 5 / 2);
}

TEST_F(BatchRun, WithoutAModuleEntrySaysSoAndConvertsNothing) {
    // A 128-character value does not fit the 128-byte buffer with its
    // terminator, so no module is found (whatever is registered system-wide).
    WriteBytes(config + "/" + kPlayerKey + "/@", "/" + std::string(127, 'p'));
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs);
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("Tavolineがインストールされていないため起動できません。"), std::string::npos);
    // Beside it, in English: where the program looked and how to register.
    EXPECT_NE(run.err.find("ombrix: the synthesizer module is not registered: neither " + config + "/" + kPlayerKey +
                           "/@ nor /etc/registry/"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("register-module.sh"), std::string::npos);
    EXPECT_FALSE(fs::exists(songs + "/Conv"));
}

TEST_F(BatchRun, WithAModuleThatCannotBeLoadedLogsTheFailedStart) {
    RegisterModule(root.path() + "/no-player-here");
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs, kEnglishSystemReasons);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/b.mid\r\n初期化に失敗しました\r\nEND\r\n");
    EXPECT_FALSE(fs::exists(songs + "/Conv/b.wav"));
    // The cause, in English: the module's path and the loader's reason.
    EXPECT_NE(run.err.find("ombrix: cannot load the synthesizer module " + root.path() +
                           "/no-player-here/QNStaff.so: cannot open shared object file: No such file or directory"),
              std::string::npos)
        << run.err;
}

TEST_F(BatchRun, WithAnUnwritableLogStillConvertsAndSaysSo) {
    fs::create_directories(songs + "/Conv/CreateLog.log");  // a folder where the log should go
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs, kEnglishSystemReasons);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("他のプロセスが使用中のため、logファイルの書き出しが行なえませんでした。"), std::string::npos);
    EXPECT_NE(run.err.find("the log " + songs + "/Conv/CreateLog.log could not be written: Is a directory"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(songs + "/Conv/b.wav"));
}

TEST_F(BatchRun, AMissingFolderOrAFileInsteadOfAFolderIsNamedAsSuch) {
    const RunResult missing = Run("-f" + songs + "/nowhere");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("the folder " + songs + "/nowhere does not exist"), std::string::npos);
    EXPECT_EQ(missing.err.find("変換するMIDIファイルがありません。"), std::string::npos);
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult file = Run("-f" + songs + "/b.mid");
    EXPECT_EQ(file.status, 1);
    EXPECT_NE(file.err.find(songs + "/b.mid is a file, not a folder"), std::string::npos);
    EXPECT_EQ(file.err.find("変換するMIDIファイルがありません。"), std::string::npos);
}

TEST_F(BatchRun, AnOutputFolderThatCannotBeCreatedIsToldWithTheSystemsReason) {
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    WriteBytes(songs + "/Conv", "a file where the folder should go");
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot create the output folder " + songs + "/Conv/: a file of that name is in the way"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(songs + "/Conv"), "a file where the folder should go");
}

TEST_F(BatchRun, AReadOnlyFolderIsToldAsPermissionDenied) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    fs::permissions(songs, fs::perms::owner_read | fs::perms::owner_exec);
    const RunResult run = Run("-f" + songs, kEnglishSystemReasons);
    fs::permissions(songs, fs::perms::owner_all);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot create the output folder " + songs + "/Conv/: Permission denied"),
              std::string::npos);
    EXPECT_EQ(run.err.find("他のプロセス"), std::string::npos);
}

TEST_F(BatchRun, ASongWithoutNotesIsConvertedWithAWarningAndLoggedAsASilentOutput) {
    const std::string track = std::string("\x00\xFF\x51\x03\x07\xA1\x20\x00\xFF\x2F\x00", 11);
    WriteBytes(songs + "/quiet.mid", std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0", 21) +
                                         static_cast<char>(track.size()) + track);
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("'-f" + songs + ",-p0'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("warning: " + songs + "/quiet.mid has no notes, so " + songs + "/Conv/quiet.wav is silent"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(songs + "/Conv/quiet.wav"));
    const std::string log = ReadBytes(songs + "/Conv/CreateLog.log");
    EXPECT_NE(log.find(songs + "/quiet.mid\r\nsilent output (no notes)\r\nEND\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(songs + "/b.mid\r\nEND\r\n"), std::string::npos) << log;
}

TEST_F(BatchRun, WithNothingToConvertSaysSoAndCreatesNoConvFolder) {
    WriteBytes(songs + "/notes.txt", "no MIDI here");
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("変換するMIDIファイルがありません。"), std::string::npos);
    EXPECT_NE(run.err.find("ombrix: no *.mid files in the folder " + songs + "; nothing was converted\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(songs + "/Conv"));
}

TEST_F(BatchRun, CtrlCOrSigtermRemovesTheUnfinishedFileKeepsTheEarlierWavAndTheLog) {
    WriteBytes(songs + "/long.mid", LongNoteSmf(180));
    fs::create_directories(songs + "/Conv");
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        WriteBytes(songs + "/Conv/long.wav", EarlierWav("earlier"));
        const int status = RunAndStopMidway(songs, signalNumber);
        ASSERT_TRUE(WIFEXITED(status)) << signalNumber;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signalNumber);
        EXPECT_TRUE(TemporaryFiles(songs + "/Conv").empty());
        EXPECT_TRUE(ReadBytes(songs + "/Conv/long.wav") == EarlierWav("earlier"));
        EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/long.mid\r\n");
        EXPECT_NE(stoppedErr.find("interrupted"), std::string::npos);
    }
}

TEST_F(BatchRun, AProgramKilledOutrightLeavesNoTemporaryFile) {
    // The conversion runs in a worker process, which is stopped when the
    // program dies and then removes its file itself.
    WriteBytes(songs + "/long.mid", LongNoteSmf(180));
    const int status = RunAndStopMidway(songs, SIGKILL);
    ASSERT_TRUE(WIFSIGNALED(status));
    for (int wait = 0; wait < 100 && !TemporaryFiles(songs + "/Conv").empty(); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(TemporaryFiles(songs + "/Conv").empty());
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/long.mid\r\n");
}

TEST_F(BatchRun, ATemporaryFileLeftByAProcessKilledOutrightIsRemovedByTheNextRun) {
    // A process that no longer exists: a child that has been reaped.
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    fs::create_directories(songs + "/Conv");
    const std::string stale = songs + "/Conv/.long.wav.part-" + std::to_string(gone) + "-0";
    WriteBytes(stale, "left by a killed run");
    WriteBytes(songs + "/long.mid", OneNoteSmf());
    EXPECT_EQ(Run("-f" + songs).status, 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(songs + "/Conv/long.wav"));
}

TEST_F(BatchRun, AFolderTooLongOnlyForTheLogConvertsEveryFile) {
    const std::string folder = songs + "/" + std::string(244 - songs.size(), 'f');  // 245 bytes
    fs::create_directory(folder);
    WriteBytes(folder + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + folder);
    EXPECT_EQ(run.status, 0);
    EXPECT_GT(fs::file_size(folder + "/Conv/b.wav"), kWavHeaderBytes);
    EXPECT_FALSE(fs::exists(folder + "/Conv/CreateLog.log"));
}

TEST_F(BatchRun, AFifoNamedLikeAMidiFileIsLoggedAsUnreadableWithoutBlockingTheBatch) {
    ASSERT_EQ(mkfifo((songs + "/pipe.mid").c_str(), 0600), 0);  // nobody ever writes to it
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"),
              ExpectedLog({{"pipe.mid", "FileNotFound\r\nSMFが読み込まれていません\r\n"}, {"b.mid", ""}}));
    EXPECT_NE(run.err.find(songs + "/pipe.mid is not a regular file"), std::string::npos);
    EXPECT_TRUE(fs::exists(songs + "/Conv/b.wav"));
}

TEST_F(BatchRun, AFileSizeLimitIsAWriteFailureWithItsReasonNotADeathBySignal) {
    // Each song lasts a 4/4 measure at least: two seconds are far more than 100 kB.
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    WriteBytes(songs + "/c.mid", OneNoteSmf(1));
    const RunResult run = Run("-f" + songs, std::string(kEnglishSystemReasons) + "; ulimit -f 100");
    EXPECT_EQ(run.status, 1);  // exited, with a failed file
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"),
              ExpectedLog({{"b.mid", "ウェーブファイルの作成に失敗しました。\r\n"},
                           {"c.mid", "ウェーブファイルの作成に失敗しました。\r\n"}}));
    EXPECT_NE(run.err.find("cannot write " + songs + "/Conv/b.wav: File too large"), std::string::npos);
    // Nothing but the log and the folder's lock file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(songs + "/Conv"), fs::directory_iterator()), 2);
}

TEST_F(BatchRun, AFileNameWithALineBreakKeepsItsLogEntryOnOneLine) {
    WriteBytes(songs + "/two\nlines.mid", OneNoteSmf());
    EXPECT_EQ(Run("-f" + songs).status, 0);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/two\\nlines.mid\r\nEND\r\n");
    EXPECT_TRUE(fs::exists(songs + "/Conv/two\nlines.wav"));
}

TEST_F(BatchRun, WithoutAFolderAndWithoutADisplaySaysSoInOneLineAndFails) {
    const RunResult run = Run("", kEnglishSystemReasons);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ombrix: no display; the window needs X11 or Wayland (convert a folder with -f<folder>)\n");
}

TEST_F(BatchRun, WithoutADisplayASongNamedAloneIsToldHowToConvertItWithoutTheWindow) {
    WriteBytes(songs + "/song.mid", OneNoteSmf());
    const RunResult run = Run("'" + songs + "/song.mid'", kEnglishSystemReasons);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ombrix: no display; the window needs X11 or Wayland. Convert the song without it: ombrix --tempo 100 " +
                           songs + "/song.mid (every option: ombrix --help)\n");
}

TEST_F(BatchRun, UnderAJapaneseLocaleTheHintIsJapaneseAndTheCommandStaysAsItIs) {
    if (!LocaleAvailable("ja_JP.UTF-8")) GTEST_SKIP() << "the locale ja_JP.UTF-8 is not generated";
    WriteBytes(songs + "/song.mid", OneNoteSmf());
    const RunResult run = Run("'" + songs + "/song.mid'", "export LC_ALL=ja_JP.UTF-8");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ombrix: ディスプレイがありません。ウィンドウには X11 か Wayland が必要です。"
                       "ウィンドウを使わずに変換するには: ombrix --tempo 100 " +
                           songs + "/song.mid (すべてのオプション: ombrix --help)\n");
}

TEST_F(BatchRun, AMissingMidiFileWhosePathHoldsDashFIsASongNotAFolderBatch) {
    const RunResult run = Run("'" + songs + "/my-fav.mid'", kEnglishSystemReasons);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Convert the song without it"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists("av.mid"));
    EXPECT_FALSE(fs::exists(songs + "/Conv"));
}

}  // namespace

namespace {

TEST_F(BatchRun, AnExistingOutputThatIsNoWavFileIsNotReplaced) {
    WriteBytes(songs + "/a.mid", OneNoteSmf());
    fs::create_directory(songs + "/Conv");
    WriteBytes(songs + "/Conv/a.wav", "my notes");
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    const std::string line = songs + "/Conv/a.wav exists and is not a WAV file; it was not replaced";
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"), songs + "/a.mid\r\n" + line + "\r\nEND\r\n");
    EXPECT_EQ(run.err, "ombrix: " + line + "\n");
    EXPECT_EQ(ReadBytes(songs + "/Conv/a.wav"), "my notes");
}

}  // namespace

namespace {

TEST_F(BatchRun, ALinkThatLeadsNowhereIsToldAsSuchNotAsADevice) {
    fs::create_symlink(songs + "/nowhere", songs + "/dangling.mid");
    fs::create_symlink(songs + "/loop.mid", songs + "/loop.mid");
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    for (const std::string name : {"dangling.mid", "loop.mid"}) {
        EXPECT_NE(run.err.find(songs + "/" + name + " is a link that leads to no file (dangling, or a loop of links)\n"),
                  std::string::npos)
            << run.err;
    }
    EXPECT_EQ(run.err.find("FIFO"), std::string::npos);
}

TEST_F(BatchRun, AFolderTooLongForItsFilesNamesEverySkippedFile) {
    const std::string folder = songs + "/" + std::string(250 - songs.size(), 'f');  // 251 bytes
    fs::create_directory(folder);
    WriteBytes(folder + "/long-name.mid", OneNoteSmf());
    const RunResult run = Run("-f" + folder);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ombrix: " + folder + "/long-name.mid: skipped, the path is longer than 259 bytes\n"),
              std::string::npos);
}

TEST_F(BatchRun, AFileNamedOnlyByItsExtensionFailsWithItsCauseAsInTheOptionCommandLine) {
    WriteBytes(songs + "/.mid", OneNoteSmf());
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    const std::string line = "The file name has nothing before its extension; no WAV name can be made from it";
    EXPECT_NE(ReadBytes(songs + "/Conv/CreateLog.log").find(songs + "/.mid\r\n" + line + "\r\nEND\r\n"), std::string::npos);
    EXPECT_NE(run.err.find("ombrix: " + songs + "/.mid: " + line + "\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(songs + "/Conv/.wav"));
    EXPECT_TRUE(fs::exists(songs + "/Conv/b.wav"));

    fs::remove_all(songs + "/Conv");
    const RunResult options = Run("-q '" + songs + "'");
    EXPECT_EQ(options.status, 1);
    EXPECT_EQ(options.err, songs + "/.mid: " + line + "\n");
    EXPECT_NE(ReadBytes(songs + "/Conv/CreateLog.log").find(songs + "/.mid\r\n" + line + "\r\nEND\r\n"), std::string::npos);
}

TEST_F(BatchRun, AWorkerStoppedBySigtermIsLoggedAsStoppedAndTheBatchGoesOn) {
    WriteBytes(songs + "/a.mid", LongNoteSmf(1));
    WriteBytes(songs + "/b.mid", OneNoteSmf());
    const std::string script = "set -m; cd '" + root.path() + "'; env -u DISPLAY LC_ALL=C.UTF-8 XDG_CONFIG_HOME='" + config +
                               "' QNSTEST_HANG_AT_BLOCK=600 '" + OMBRIX_PROGRAM + "' -f'" + songs +
                               "' >/dev/null 2>stderr </dev/null & pid=$!\n"
                               "for i in $(seq 300); do ls -a '" + songs + "/Conv' 2>/dev/null | grep -q a.wav.part && break; sleep 0.05; done\n"
                               "pkill -TERM -P $pid\n"
                               "(sleep 10; kill -KILL $pid 2>/dev/null) & guard=$!; wait $pid; echo $? >status; kill $guard\n";
    WriteBytes(root.path() + "/stop-worker.sh", script);
    std::system(("bash '" + root.path() + "/stop-worker.sh' 2>/dev/null").c_str());
    EXPECT_EQ(ReadBytes(root.path() + "/status"), "1\n");
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log"),
              ExpectedLog({{"a.mid", "Conversion stopped by a signal (Terminated)\r\n"}, {"b.mid", ""}}));
    EXPECT_TRUE(TemporaryFiles(songs + "/Conv").empty());
}

}  // namespace

namespace {

TEST_F(BatchRun, AFailedFileOfACollidingNameIsNotLoggedAsSaved) {
    WriteBytes(songs + "/Song.MID", OneNoteSmf());
    WriteBytes(songs + "/Song.mid", "plain text");
    const RunResult run = Run("-f" + songs);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadBytes(songs + "/Conv/CreateLog.log").find("Saved as"), std::string::npos);
    EXPECT_EQ(run.err.find("Saved as"), std::string::npos);
}

}  // namespace
