// The ombrix program keeping its outputs honest: records tied to their songs
// in every format, a report that replaces nothing else, stems that stay in
// their folder, no writing through links, one run at a time per folder, and
// a run that fails when its report or list cannot be written. Each test runs
// shell lines in a temporary folder, where `ombrix` is the program with the
// deterministic test module registered and English messages ("${OMBRIX[@]}"
// the same command, for a run whose process number is wanted).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../module_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPlayerKey[] = "registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32";

class HonestOutputs : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() + "/config/" + kPlayerKey);
        std::ofstream(root.path() + "/config/" + kPlayerKey + "/@") << OMBRIX_TEST_MODULE_DIR << "/player";
    }

    // Runs `lines` with bash in the temporary folder; returns the status of the last one.
    int Sh(const std::string& lines) {
        const std::string script = root.path() + "/script.sh";
        std::ofstream(script) << "cd '" << root.path() << "' || exit 99\n"
                              << "OMBRIX=(env -u DISPLAY -u WAYLAND_DISPLAY -u SLURM_ARRAY_TASK_ID -u JOB_COMPLETION_INDEX "
                              << "XDG_CONFIG_HOME='" << root.path() << "/config' LC_ALL=C.UTF-8 '" << OMBRIX_PROGRAM << "')\n"
                              << "ombrix() { \"${OMBRIX[@]}\" \"$@\"; }\n"
                              << lines << "\n";
        const int raw = std::system(("bash '" + script + "'").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    void Song(const std::string& name, int quarters = 1) {
        const fs::path path = At(name);
        fs::create_directories(path.parent_path());
        const smftest::Bytes bytes = PracticeSong(quarters);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::string At(const std::string& name) const { return root.path() + "/" + name; }
    std::string Text(const std::string& name) const { return ReadFileBytes(At(name)); }

    // The inputs of the report lines (in the file `name`) whose status is `status`, sorted.
    std::vector<std::string> Inputs(const std::string& name, const std::string& status) const {
        std::vector<std::string> inputs;
        std::istringstream lines(Text(name));
        for (std::string line; std::getline(lines, line);) {
            if (line.find("\"status\":\"" + status + "\"") == std::string::npos) continue;
            const std::size_t start = line.find("\"input\":\"") + 9;
            inputs.push_back(line.substr(start, line.find('"', start) - start));
        }
        std::sort(inputs.begin(), inputs.end());
        return inputs;
    }

    // The names in the folder `name`, sorted.
    std::vector<std::string> Listing(const std::string& name) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(At(name))) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::size_t Count(const std::string& text, const std::string& part) {
        std::size_t count = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }

    TempFolder root;
};

using Names = std::vector<std::string>;

TEST_F(HonestOutputs, TheDocumentedWayToForgetRecordsAndForceWorkInEveryFormat) {
    Song("lib/a.mid");
    Song("lib/sub/b.mid", 2);
    // The command the library guide gives, with OUT for the output folder.
    const std::string guide = ReadFileBytes(std::string(OMBRIX_SOURCE_DIR) + "/docs/libraries.md");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(guide, found, std::regex("find OUT -name '([^']+)' -delete"))) << "no command in the guide";
    const std::string forget = "find out -name '" + found[1].str() + "' -delete";
    for (const std::string format : {"wav", "flac", "ogg", "opus", "mp3"}) {
        SCOPED_TRACE(format);
        const std::string run = "ombrix -r -q --skip-up-to-date --format " + format + " -o out lib";
        ASSERT_EQ(Sh(run + " --report first.jsonl && " + run + " --report second.jsonl"), 0);
        EXPECT_EQ(Inputs("second.jsonl", "skipped"), (Names{"lib/a.mid", "lib/sub/b.mid"}));
        ASSERT_EQ(Sh(forget + " && " + run + " --report forgotten.jsonl"), 0);
        EXPECT_EQ(Inputs("forgotten.jsonl", "converted"), (Names{"lib/a.mid", "lib/sub/b.mid"}));
        // --force converts current files again and records them anew.
        ASSERT_EQ(Sh(run + " --force --report forced.jsonl && " + run + " --report after.jsonl"), 0);
        EXPECT_EQ(Inputs("forced.jsonl", "converted"), (Names{"lib/a.mid", "lib/sub/b.mid"}));
        EXPECT_EQ(Inputs("after.jsonl", "skipped"), (Names{"lib/a.mid", "lib/sub/b.mid"}));
    }
}

TEST_F(HonestOutputs, ARecordNamesItsSongWhenNamesShiftBetweenRuns) {
    Song("lib/x.kar", 1);
    Song("lib/x.mid", 3);
    ASSERT_EQ(Sh("ombrix -q --skip-up-to-date -o out lib"), 0);
    ASSERT_TRUE(fs::exists(At("out/x (2).wav")));
    // x.mid now takes x.wav, which holds x.kar's audio.
    fs::remove(At("lib/x.kar"));
    ASSERT_EQ(Sh("ombrix -q --skip-up-to-date --report run.jsonl -o out lib && ombrix -q -o plain lib"), 0);
    EXPECT_EQ(Inputs("run.jsonl", "converted"), (Names{"lib/x.mid"}));
    EXPECT_EQ(Text("out/x.wav"), Text("plain/x.wav"));
}

TEST_F(HonestOutputs, TheReportNeverReplacesAnInputAnOutputOrAFileThatIsNotAReport) {
    Song("song1.mid");
    Song("song2.mid", 2);
    const std::string song1 = Text("song1.mid");
    // The report's name forgotten: the first song would become the report.
    EXPECT_EQ(Sh("ombrix -q --report song1.mid song2.mid 2>err"), 2);
    EXPECT_EQ(Text("song1.mid"), song1);
    EXPECT_EQ(Text("err"), "ombrix: the report song1.mid exists and is not a report; it was not replaced and nothing was converted\n");
    EXPECT_FALSE(fs::exists(At("Conv/song2.wav")));
    EXPECT_EQ(Sh("ombrix -q --report ./song2.mid song2.mid 2>err"), 2);
    EXPECT_EQ(Text("err"), "ombrix: the report ./song2.mid is the input song2.mid; nothing was converted\n");
    EXPECT_EQ(Sh("ombrix -q --report out.wav -o out.wav song2.mid 2>err"), 2);
    EXPECT_EQ(Text("err"), "ombrix: the report out.wav is the output of song2.mid; nothing was converted\n");
    std::ofstream(At("notes.txt")) << "my notes\n";
    EXPECT_EQ(Sh("ombrix -q --report notes.txt song2.mid"), 2);
    EXPECT_EQ(Text("notes.txt"), "my notes\n");
    // An earlier report, or an empty file, is replaced.
    ASSERT_EQ(Sh("ombrix -q --report run.jsonl song2.mid && ombrix -q --report run.jsonl song1.mid song2.mid"), 0);
    EXPECT_EQ(Inputs("run.jsonl", "converted"), (Names{"song1.mid", "song2.mid"}));
    std::ofstream(At("empty.jsonl")).flush();
    EXPECT_EQ(Sh("ombrix -q --report empty.jsonl song2.mid"), 0);
}

TEST_F(HonestOutputs, StemsStayInsideTheOutputFolderReplaceNoOtherFileAndCollideWithNoOutput) {
    Song("song.mid");
    // A mix whose name without extension is "..": its stems must not go into the folder above.
    ASSERT_EQ(Sh("mkdir -p out/inner && ombrix -q --stems -o 'out/inner/...wav' song.mid"), 0);
    EXPECT_EQ(Listing("out"), (Names{"inner"}));
    const Names stems = Listing("out/inner/...wav stems");
    ASSERT_GE(stems.size(), 3u);

    // An unfinished stem of a run killed outright is removed; another program's file of such a name stays.
    ASSERT_EQ(Sh("ombrix -q --stems -o out/mix.wav song.mid"), 0);
    for (const std::string& name : Names{"." + stems[0] + ".part-1-2", ".notes.txt.part-1-2"}) std::ofstream(At("out/mix/" + name)) << "left";
    ASSERT_EQ(Sh("ombrix -q --stems -o out/mix.wav song.mid"), 0);
    EXPECT_FALSE(fs::exists(At("out/mix/." + stems[0] + ".part-1-2")));
    EXPECT_TRUE(fs::exists(At("out/mix/.notes.txt.part-1-2")));
    // A text file where a stem goes is left alone, and the song fails.
    std::ofstream(At("out/mix/" + stems[1])) << "my notes\n";
    EXPECT_EQ(Sh("ombrix -q --stems -o out/mix.wav song.mid 2>err"), 1);
    EXPECT_EQ(Text("out/mix/" + stems[1]), "my notes\n");
    EXPECT_NE(Text("err").find("out/mix/" + stems[1] + " exists and is not a sound file; it was not replaced"), std::string::npos)
        << Text("err");

    // The stems of lib/x.mid would go into out/x/, where the mirror of lib/x/ goes.
    Song("lib/x.mid");
    Song("lib/x/" + stems[0].substr(0, stems[0].size() - 4) + ".mid", 2);
    EXPECT_EQ(Sh("ombrix -q -r --stems --report run.jsonl -o out lib 2>err"), 1);
    EXPECT_EQ(Inputs("run.jsonl", "failed"), (Names{"lib/x.mid"}));
    EXPECT_NE(Text("err").find("lib/x.mid: its stems would go into out/x, where the output of lib/x/"), std::string::npos)
        << Text("err");
    ASSERT_EQ(Sh("ombrix -q -o plain lib/x"), 0);
    EXPECT_EQ(Text("out/x/" + stems[0]), Text("plain/" + stems[0]));
}

TEST_F(HonestOutputs, AMissingStemMakesTheSongConvertAgain) {
    Song("lib/a.mid");
    ASSERT_EQ(Sh("ombrix -q --stems --skip-up-to-date -o out lib"), 0);
    const Names stems = Listing("out/a");
    ASSERT_GE(stems.size(), 2u);
    const std::string kept = Text("out/a/" + stems[1]);
    fs::remove(At("out/a/" + stems[1]));
    ASSERT_EQ(Sh("ombrix -q --stems --skip-up-to-date --report run.jsonl -o out lib"), 0);
    EXPECT_EQ(Inputs("run.jsonl", "converted"), (Names{"lib/a.mid"}));
    EXPECT_EQ(Text("out/a/" + stems[1]), kept);
}

TEST_F(HonestOutputs, NoLogOrRecordIsWrittenThroughALink) {
    Song("lib/a.mid");
    std::ofstream(At("precious.txt")) << "precious\n";
    fs::create_directories(At("out"));
    fs::create_symlink(At("precious.txt"), At("out/CreateLog.log"));
    fs::create_symlink(At("precious.txt"), At("out/.a.wav.ombrix"));
    EXPECT_EQ(Sh("ombrix -q --skip-up-to-date -o out lib 2>err"), 0) << Text("err");
    EXPECT_EQ(Text("precious.txt"), "precious\n");
    EXPECT_NE(Text("err").find("cannot write the conversion log out/CreateLog.log"), std::string::npos) << Text("err");
    // The record replaced its link.
    EXPECT_FALSE(fs::is_symlink(At("out/.a.wav.ombrix")));
}

TEST_F(HonestOutputs, RunsOfFileInputsIntoOneFolderAreSerialized) {
    Song("a.mid", 16);  // hangs at 6.8 s
    Song("b.mid");
    ASSERT_EQ(Sh("QNSTEST_HANG_AT_BLOCK=600 \"${OMBRIX[@]}\" -q -o out/ a.mid 2>first.err & first=$!\n"
                 "for i in $(seq 300); do ls -a out 2>/dev/null | grep -q a.wav.part && break; sleep 0.05; done\n"
                 "ombrix -q --no-wait -o out/ b.mid 2>second.err; echo $? >second.status\n"
                 "kill -TERM $first; wait $first; exit 0"), 0);
    EXPECT_EQ(Text("second.status"), "1\n");
    EXPECT_NE(Text("second.err").find("another run is converting into out"), std::string::npos) << Text("second.err");
    EXPECT_FALSE(fs::exists(At("out/b.wav")));
}

TEST_F(HonestOutputs, AReportOrAListThatCannotBeWrittenFailsTheRunAndTheLogKeepsWhatFinished) {
    Song("lib/a.mid");
    Song("lib/b.mid", 24);
    EXPECT_EQ(Sh("ombrix -q --report /dev/full lib 2>err"), 1);
    EXPECT_EQ(Count(Text("err"), "cannot write the report"), 1u) << Text("err");
    EXPECT_EQ(Text("err").find('\n'), Text("err").size() - 1) << Text("err");  // said once, nothing else
    EXPECT_EQ(Sh("ombrix -j1 lib >/dev/full 2>err"), 1);
    EXPECT_EQ(Count(Text("err"), "cannot write the list of written files"), 1u) << Text("err");
    // The reader goes after the first line, before the second song is done.
    EXPECT_EQ(Sh("ombrix -j1 --report - lib 2>err | head -n 1 >first.jsonl; exit ${PIPESTATUS[0]}"), 1);
    EXPECT_EQ(Inputs("first.jsonl", "converted"), (Names{"lib/a.mid"}));
    EXPECT_EQ(Text("lib/Conv/CreateLog.log"), "lib/a.mid\r\nEND\r\nlib/b.mid\r\nEND\r\n");
    EXPECT_TRUE(fs::exists(At("lib/Conv/b.wav")));
}

TEST_F(HonestOutputs, AStemThatDoesNotFitOnAFullDiskFailsTheSongAndNothingIsReportedConverted) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    Song("song.mid", 16);
    for (const std::string format : {"wav", "mp3"}) {
        // The sizes of the mix and its stems where there is room.
        const std::string mix = "song." + format;
        ASSERT_EQ(Sh("ombrix -q --stems --format " + format + " -o roomy/ song.mid"), 0) << format;
        std::uintmax_t stems = 0;
        for (const auto& entry : fs::directory_iterator(At("roomy/song"))) stems += entry.file_size();
        // A disk with room for the mix and half of its stems, mounted for this run only.
        const std::uintmax_t room = fs::file_size(At("roomy/" + mix)) + stems / 2;
        const int status = Sh("mkdir -p full && unshare -m bash -c 'mount -t tmpfs -o size=" + std::to_string(room) +
                              " tmpfs full || exit 77; \"$@\" -q --stems --skip-up-to-date --report run.jsonl --format " +
                              format + " -o full/ song.mid 2>err; s=$?; ls -A full >listing; exit $s' _ \"${OMBRIX[@]}\"");
        if (status == 77) GTEST_SKIP() << "no file system can be mounted here";
        EXPECT_EQ(status, 1) << format << ": " << Text("err");
        EXPECT_NE(Text("err").find("No space left on device"), std::string::npos) << format << ": " << Text("err");
        EXPECT_EQ(Inputs("run.jsonl", "converted"), Names{}) << format;
        EXPECT_EQ(Inputs("run.jsonl", "failed"), (Names{"song.mid"})) << format;
        // No record says that the song is done: a later run converts it again.
        EXPECT_EQ(Text("listing").find(".ombrix\n"), std::string::npos) << Text("listing");
        fs::remove_all(At("roomy"));
    }
}

TEST_F(HonestOutputs, ASecondConversionOntoAnExistingOggOrOpusFileSucceeds) {
    Song("song.mid");
    for (const std::string format : {"ogg", "opus"}) {
        EXPECT_EQ(Sh("ombrix -q --format " + format + " song.mid 2>err && ombrix -q --format " + format + " song.mid 2>>err"), 0)
            << format << ": " << Text("err");
        EXPECT_EQ(Text("err"), "");
    }
}

TEST_F(HonestOutputs, SkippedFilesAreNotListedAsWritten) {
    Song("lib/a.mid");
    Song("lib/b.mid");
    ASSERT_EQ(Sh("ombrix --skip-up-to-date lib >first.out 2>/dev/null"), 0);
    EXPECT_EQ(Text("first.out"), "lib/Conv/a.wav\nlib/Conv/b.wav\n");
    fs::remove(At("lib/Conv/b.wav"));
    ASSERT_EQ(Sh("ombrix --skip-up-to-date lib >second.out 2>/dev/null"), 0);
    EXPECT_EQ(Text("second.out"), "lib/Conv/b.wav\n");
}

TEST_F(HonestOutputs, ALibraryOfManyFoldersConvertsUnderTheLowOpenFileLimitOfADesktop) {
    // Each output folder holds a lock and a log for the whole run.
    for (int i = 0; i < 60; ++i) Song("lib/d" + std::to_string(i) + "/a.mid");
    EXPECT_EQ(Sh("ulimit -Sn 64 && ombrix -r -q -j2 -o out lib 2>err"), 0) << Text("err");
    EXPECT_EQ(Text("err"), "");
    EXPECT_TRUE(fs::exists(At("out/d59/a.wav")));
}

TEST_F(HonestOutputs, AFileThatFinishedAsTheRunWasInterruptedIsInTheLog) {
    Song("lib/a.mid");      // done in about a second
    Song("lib/b.mid", 16);  // hangs at 6.8 s
    // The program is held still while a.mid finishes, so that the interrupt
    // reaches it before it has taken a.mid's result; once a.wav is in place
    // its worker reports it even when the stop reaches the worker first. Job
    // control keeps SIGINT for the program: a background command would get
    // it ignored.
    ASSERT_EQ(Sh("set -m; QNSTEST_BLOCK_DELAY_MS=5 QNSTEST_HANG_AT_BLOCK=600 \"${OMBRIX[@]}\" -q -j2 lib 2>err & pid=$!\n"
                 "for i in $(seq 300); do ls -a lib/Conv 2>/dev/null | grep -q a.wav.part && break; sleep 0.01; done\n"
                 "kill -STOP $pid\n"
                 "for i in $(seq 300); do test -e lib/Conv/a.wav && break; sleep 0.05; done\n"
                 "kill -INT $pid; kill -CONT $pid\n"
                 "(sleep 10; kill -KILL $pid 2>/dev/null) & guard=$!\n"
                 // Under job control `wait` also returns (128 + SIGSTOP) when the job
                 // reports the stop it was given: wait again for its end, whose status
                 // the shell keeps even when the job has already been reaped.
                 "while wait $pid; s=$?; test $s -eq $((128 + $(kill -l STOP))); do :; done\n"
                 "echo $s >status; kill $guard; exit 0"), 0);
    EXPECT_EQ(Text("status"), "130\n") << Text("err");
    EXPECT_TRUE(fs::exists(At("lib/Conv/a.wav")));
    EXPECT_EQ(Text("lib/Conv/CreateLog.log"), "lib/a.mid\r\nEND\r\n");
}

}  // namespace
