// The ombrix program converting a library: walked trees, each song once,
// reruns that skip what is current, reports, and shards from the
// schedulers' variables. The deterministic test module is registered in a
// temporary configuration folder; standard error goes to a file.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../module_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPlayerKey[] = "registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32";

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

class LibraryRun : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() + "/config/" + kPlayerKey);
        std::ofstream(root.path() + "/config/" + kPlayerKey + "/@") << OMBRIX_TEST_MODULE_DIR << "/player";
    }

    // Runs the program in the temporary folder with `arguments` (quoted for
    // the shell), after `environment` settings (English messages unless they
    // set another locale); `input` is its standard input.
    ProgramRun Ombrix(const std::string& arguments, const std::string& environment = "", const std::string& input = "/dev/null") {
        const std::string command = "cd '" + root.path() + "' && env -u DISPLAY -u WAYLAND_DISPLAY -u SLURM_ARRAY_TASK_ID "
                                    "-u JOB_COMPLETION_INDEX XDG_CONFIG_HOME='" + root.path() + "/config' LC_ALL=C.UTF-8 " + environment +
                                    " '" + OMBRIX_PROGRAM + "' " + arguments + " >stdout 2>stderr <" + input;
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(root.path() + "/stdout"),
                ReadFileBytes(root.path() + "/stderr")};
    }

    void Song(const std::string& name, int quarters = 1) {
        const fs::path path = root.path() + "/" + name;
        fs::create_directories(path.parent_path());
        const smftest::Bytes bytes = PracticeSong(quarters);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // The report's lines whose status is `status`, each cut to its input's name.
    static std::vector<std::string> Inputs(const std::string& report, const std::string& status) {
        std::vector<std::string> inputs;
        std::istringstream lines(report);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("\"status\":\"" + status + "\"") == std::string::npos) continue;
            const std::size_t start = line.find("\"input\":\"") + 9;
            inputs.push_back(line.substr(start, line.find('"', start) - start));
        }
        std::sort(inputs.begin(), inputs.end());
        return inputs;
    }

    std::string At(const std::string& name) const { return root.path() + "/" + name; }

    TempFolder root;
};

TEST_F(LibraryRun, ARecursiveRunMirrorsTheTreeBelowTheOutputWithTheSameBytes) {
    Song("lib/top.mid");
    Song("lib/a/b/song.mid", 3);
    Song("lib/c/other.mid", 2);
    const ProgramRun run = Ombrix("-r -j2 -o out lib");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    for (const char* wav : {"out/top.wav", "out/a/b/song.wav", "out/c/other.wav", "out/a/b/CreateLog.log"}) {
        EXPECT_TRUE(fs::exists(At(wav))) << wav;
    }
    EXPECT_EQ(ReadFileBytes(At("out/a/b/CreateLog.log")), "lib/a/b/song.mid\r\nEND\r\n");
    ASSERT_EQ(Ombrix("-q -o single.wav lib/a/b/song.mid").status, 0);
    EXPECT_EQ(ReadFileBytes(At("out/a/b/song.wav")), ReadFileBytes(At("single.wav")));
    // Without -o each folder gets its own Conv/.
    ASSERT_EQ(Ombrix("--recursive lib").status, 0);
    EXPECT_EQ(ReadFileBytes(At("lib/a/b/Conv/song.wav")), ReadFileBytes(At("single.wav")));
    EXPECT_TRUE(fs::exists(At("lib/c/Conv/other.wav")));
}

TEST_F(LibraryRun, FoldersOfSeveralSongsEachGetEveryEntryOfTheirLogInNameOrderWhateverStartsFirst) {
    // Lengths out of name order, so that each folder starts its songs in
    // another order than its log lists them; a twin gets a numbered name.
    for (const auto& [name, quarters] : std::vector<std::pair<std::string, int>>{
             {"lib/a1.mid", 1}, {"lib/a2.mid", 4}, {"lib/a3.mid", 2}, {"lib/b/b1.mid", 3}, {"lib/b/b2.mid", 1},
             {"lib/b/b3.mid", 5}, {"lib/b/c/c1.mid", 2}, {"lib/b/c/x.kar", 1}, {"lib/b/c/x.mid", 3}}) {
        Song(name, quarters);
    }
    for (const char* jobs : {"-j1", "-j2"}) {
        fs::remove_all(At("out"));
        const ProgramRun run = Ombrix(std::string("-r -q ") + jobs + " --report report.jsonl -o out lib");
        EXPECT_EQ(run.status, 0) << jobs << run.err;
        EXPECT_EQ(ReadFileBytes(At("out/CreateLog.log")), "lib/a1.mid\r\nEND\r\nlib/a2.mid\r\nEND\r\nlib/a3.mid\r\nEND\r\n") << jobs;
        EXPECT_EQ(ReadFileBytes(At("out/b/CreateLog.log")),
                  "lib/b/b1.mid\r\nEND\r\nlib/b/b2.mid\r\nEND\r\nlib/b/b3.mid\r\nEND\r\n") << jobs;
        EXPECT_EQ(ReadFileBytes(At("out/b/c/CreateLog.log")),
                  "lib/b/c/c1.mid\r\nEND\r\nlib/b/c/x.kar\r\nEND\r\nlib/b/c/x.mid\r\nSaved as x (2).wav (x.wav is taken by another file)\r\nEND\r\n")
            << jobs;
        EXPECT_EQ(Inputs(ReadFileBytes(At("report.jsonl")), "converted").size(), 9u) << jobs;
        EXPECT_TRUE(fs::exists(At("out/b/c/x (2).wav"))) << jobs;
        fs::remove(At("report.jsonl"));
    }
}

TEST_F(LibraryRun, OneFolderNamedTwiceConvertsEachSongOnce) {
    Song("dup/a.mid");
    Song("dup/b.mid");
    Song("dup/c.mid");
    const ProgramRun run = Ombrix("-j2 --report=run.jsonl dup '" + At("dup") + "' ./dup/a.mid");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Inputs(ReadFileBytes(At("run.jsonl")), "converted"), (std::vector<std::string>{"dup/a.mid", "dup/b.mid", "dup/c.mid"}));
    EXPECT_EQ(ReadFileBytes(At("dup/Conv/CreateLog.log")), "dup/a.mid\r\nEND\r\ndup/b.mid\r\nEND\r\ndup/c.mid\r\nEND\r\n");
}

TEST_F(LibraryRun, ARerunSkipsCurrentOutputsAndConvertsWhatIsMissingOrChanged) {
    Song("lib/a.mid");
    Song("lib/b.mid", 2);
    Song("lib/sub/c.mid", 3);
    ASSERT_EQ(Ombrix("-q -o plain lib").status, 0);
    ASSERT_EQ(Ombrix("-r -q --skip-up-to-date -o out lib").status, 0);
    // The WAV files are those of a run without the option; the options live beside them.
    EXPECT_EQ(ReadFileBytes(At("out/a.wav")), ReadFileBytes(At("plain/a.wav")));
    EXPECT_EQ(ReadFileBytes(At("out/b.wav")), ReadFileBytes(At("plain/b.wav")));
    EXPECT_TRUE(fs::exists(At("out/sub/.c.wav.ombrix")));

    ProgramRun run = Ombrix("-r -q --skip-up-to-date --report - -o out lib");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Inputs(run.out, "skipped"), (std::vector<std::string>{"lib/a.mid", "lib/b.mid", "lib/sub/c.mid"}));

    // A run cut short: one output missing.
    fs::remove(At("out/b.wav"));
    run = Ombrix("-r -q --skip-up-to-date --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "converted"), (std::vector<std::string>{"lib/b.mid"}));
    EXPECT_EQ(ReadFileBytes(At("out/b.wav")), ReadFileBytes(At("plain/b.wav")));

    // Other options make every output stale.
    run = Ombrix("-r -q --skip-up-to-date --tempo 90 --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "converted").size(), 3u);
    EXPECT_TRUE(Inputs(run.out, "skipped").empty());
}

TEST_F(LibraryRun, AnotherSoundMakesEveryOutputStaleAndTheReportNamesIt) {
    Song("lib/a.mid");
    Song("lib/b.mid", 2);
    const std::string font = At("piano.sf2");
    std::ofstream(font) << std::string("RIFF\x04\0\0\0sfbk", 12);
    ASSERT_EQ(Ombrix("-q --skip-up-to-date -o out lib").status, 0);
    EXPECT_EQ(Inputs(Ombrix("-q --skip-up-to-date --reverb room --chorus on --report - -o out lib").out, "skipped").size(), 2u);

    ProgramRun run = Ombrix("-q --skip-up-to-date --reverb off --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "converted").size(), 2u);
    EXPECT_NE(run.out.find(R"("reverb":"off","chorus":"on")"), std::string::npos) << run.out;
    run = Ombrix("-q --skip-up-to-date --reverb off --chorus 0.2 --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "converted").size(), 2u);
    run = Ombrix("-q --skip-up-to-date --reverb off --chorus 0.2 --soundfont piano.sf2 --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "converted").size(), 2u);
    EXPECT_NE(run.out.find(R"("soundfont":")" + font + R"(","soundfont_bytes":12,)"), std::string::npos) << run.out;
    run = Ombrix("-q --skip-up-to-date --reverb off --chorus 0.2 --soundfont piano.sf2 --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "skipped").size(), 2u);
    // The same SoundFont file replaced by another version.
    fs::last_write_time(font, fs::last_write_time(font) - std::chrono::hours(1));
    run = Ombrix("-q --skip-up-to-date --reverb off --chorus 0.2 --soundfont piano.sf2 --report - -o out lib");
    EXPECT_EQ(Inputs(run.out, "converted").size(), 2u);
}

TEST_F(LibraryRun, TheReportHasOneLinePerInputWithItsFiguresAndCause) {
    Song("lib/good.mid", 4);
    std::ofstream(At("lib/bad.mid")) << "plain text";
    const ProgramRun run = Ombrix("-q --report - lib");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);
    // The worker that found the file bad used a little processor time.
    const std::size_t bad =
        run.out.find(R"({"input":"lib/bad.mid","output":"lib/Conv/bad.wav","status":"failed","cause":"not a Standard MIDI File",)"
                     R"("audio_seconds":0,"cpu_seconds":)");
    ASSERT_NE(bad, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"(,"bytes_written":0,"levels":[],"rehearsal":null,"sound":{"module":)", bad), std::string::npos) << run.out;
    const std::string good = run.out.substr(run.out.find(R"({"input":"lib/good.mid")"));
    EXPECT_NE(good.find(R"("status":"converted","cause":"","audio_seconds":)"), std::string::npos) << good;
    EXPECT_NE(good.find(R"("bytes_written":)" + std::to_string(fs::file_size(At("lib/Conv/good.wav"))) + ",\"levels\":[],\"rehearsal\":null,\"sound\":"), std::string::npos);
    EXPECT_EQ(run.err, "lib/bad.mid: not a Standard MIDI File\n");
}

TEST_F(LibraryRun, SlurmArrayTasksSplitTheLibraryExactlyAndWriteNoLogs) {
    std::vector<std::string> all;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "lib/" + std::string(i % 2 ? "odd/" : "") + "s" + std::to_string(i) + ".mid";
        Song(name);
        all.push_back(name);
    }
    std::sort(all.begin(), all.end());
    std::string reports;
    for (int task = 1; task <= 4; ++task) {
        const ProgramRun run = Ombrix("-r -q --shard-from-env --report - -o out lib",
                                      "SLURM_ARRAY_TASK_ID=" + std::to_string(task) + " SLURM_ARRAY_TASK_COUNT=4 SLURM_ARRAY_TASK_MIN=1");
        EXPECT_EQ(run.status, 0) << run.err;
        reports += run.out;
    }
    EXPECT_EQ(Inputs(reports, "converted"), all);  // each once
    EXPECT_FALSE(fs::exists(At("out/CreateLog.log")));
    EXPECT_TRUE(fs::exists(At("out/odd/s11.wav")));

    const ProgramRun indexed = Ombrix("-r -q --shard-from-env lib", "JOB_COMPLETION_INDEX=2");
    EXPECT_EQ(indexed.status, 2);
    EXPECT_NE(indexed.err.find("--shard-from-env=N"), std::string::npos);
}

TEST_F(LibraryRun, NamesComeFromAListOnStandardInputOneALineOrNulTerminated) {
    Song("lib/a.mid");
    Song("lib/line\nbreak.mid");
    std::ofstream(At("list"), std::ios::binary) << "lib/a.mid" << '\0' << "lib/line\nbreak.mid" << '\0';
    ProgramRun run = Ombrix("-q --files-from - --null --report -", "", "list");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Inputs(run.out, "converted"), (std::vector<std::string>{"lib/a.mid", "lib/line\\u000abreak.mid"}));
    std::ofstream(At("lines")) << "lib/a.mid\n";
    run = Ombrix("-q --files-from lines --report -");
    EXPECT_EQ(Inputs(run.out, "converted"), (std::vector<std::string>{"lib/a.mid"}));
    EXPECT_EQ(Ombrix("--files-from missing.txt").status, 2);
}

TEST_F(LibraryRun, AnUnreadableFolderFailsAndTheRestConverts) {
    Song("lib/ok.mid");
    Song("lib/closed/hidden.mid");
    fs::permissions(At("lib/closed"), fs::perms::none);
    // Root reads any folder: the program then runs as nobody, which needs the folder open to it.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        std::system(("chmod -R a+rwX '" + root.path() + "' && chmod 000 '" + At("lib/closed") + "'").c_str());
    }
    // The system's reason in English, whatever the test's locale.
    const std::string user = std::string("LC_ALL=C.UTF-8 ") + (asRoot ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "");
    const ProgramRun run = Ombrix("-r -q --report - lib", user);
    fs::permissions(At("lib/closed"), fs::perms::owner_all);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(Inputs(run.out, "converted"), (std::vector<std::string>{"lib/ok.mid"}));
    EXPECT_EQ(Inputs(run.out, "failed"), (std::vector<std::string>{"lib/closed"}));
    EXPECT_EQ(run.err, "lib/closed: cannot read the folder: Permission denied\n");
}

TEST_F(LibraryRun, BrokenFilesAmongALibraryFailEachOnItsOwnAndEveryOtherFileConverts) {
    // A library of 500 inputs of which 1 % are broken, one of each kind,
    // spread over the folders between good songs.
    constexpr int kGood = 494;
    const std::string good("MThd\0\0\0\x06\0\0\0\x01\x01\xe0MTrk\0\0\0\x0c\0\x90\x3c\x40\x01\x80\x3c\0\0\xff\x2f\0", 34);
    const auto write = [this](const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(At(name)).parent_path());
        std::ofstream(At(name), std::ios::binary) << bytes;
    };
    for (int i = 0; i < kGood; ++i) write("lib/d" + std::to_string(i % 10) + "/s" + std::to_string(i) + ".mid", good);
    // Cut in its header, and cut in its track (which holds a note-on still).
    write("lib/d1/truncated.mid", good.substr(0, 10));
    write("lib/d7/cut-track.mid", good.substr(0, 26));
    std::string noise;
    for (int i = 0; i < 4096; ++i) noise += static_cast<char>((i * 7919 + 13) % 251);
    write("lib/d2/random.mid", noise);
    write("lib/d3/empty.mid", "");
    fs::create_directories(At("lib/d4/folder.mid"));
    write("lib/d5/unreadable.mid", good);
    fs::permissions(At("lib/d5/unreadable.mid"), fs::perms::none);
    fs::create_symlink("gone.mid", At("lib/d6/dangling.mid"));
    // Root reads any file: the program then runs as nobody.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        std::system(("chmod -R a+rwX '" + root.path() + "' && chmod 000 '" + At("lib/d5/unreadable.mid") + "'").c_str());
    }
    const std::string user = asRoot ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
    const ProgramRun run = Ombrix("-r -q -j2 --report - -o out lib", user);
    EXPECT_EQ(run.status, 1) << run.err;
    // The file cut in its track converts what it holds.
    EXPECT_EQ(Inputs(run.out, "converted").size(), static_cast<std::size_t>(kGood + 1));
    EXPECT_EQ(Inputs(run.out, "failed"), (std::vector<std::string>{"lib/d1/truncated.mid", "lib/d2/random.mid", "lib/d3/empty.mid",
                                                                   "lib/d5/unreadable.mid", "lib/d6/dangling.mid"}));
    const auto cause = [&run](const std::string& input) {
        const std::size_t line = run.out.find("{\"input\":\"" + input + "\"");
        const std::size_t start = run.out.find("\"cause\":\"", line) + 9;
        return run.out.substr(start, run.out.find('"', start) - start);
    };
    EXPECT_EQ(cause("lib/d2/random.mid"), "not a Standard MIDI File");
    EXPECT_EQ(cause("lib/d3/empty.mid"), "not a Standard MIDI File");
    EXPECT_EQ(cause("lib/d5/unreadable.mid"), "cannot be opened (missing, unreadable or not a regular file)");
    EXPECT_EQ(cause("lib/d6/dangling.mid"), "cannot be opened (missing, unreadable or not a regular file)");
    EXPECT_EQ(cause("lib/d1/truncated.mid"), "not a Standard MIDI File");
    // Every good song has its file; the broken ones left none behind.
    std::size_t written = 0;
    for (const auto& entry : fs::recursive_directory_iterator(At("out"))) written += entry.path().extension() == ".wav" ? 1 : 0;
    EXPECT_EQ(written, static_cast<std::size_t>(kGood + 1));
}

}  // namespace
