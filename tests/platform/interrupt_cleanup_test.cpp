// The interrupt handlers in a forked child, as a conversion in a worker
// process meets them: the watched file goes, the exit status tells the signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/interrupt_cleanup.h"

namespace fs = std::filesystem;

namespace {

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "ombrix-interrupt-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs `body` in a forked child that has the handlers installed, then sends
// it `signalNumber`; returns the child's wait status.
template <typename Body>
int RunAndSignal(Body body, int signalNumber) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        InstallInterruptCleanup();
        body();
        const char done = 1;
        if (write(ready[1], &done, 1) != 1) _exit(2);
        for (;;) pause();
    }
    close(ready[1]);
    char done = 0;
    const bool childReady = read(ready[0], &done, 1) == 1;
    close(ready[0]);
    kill(child, childReady ? signalNumber : SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

TEST(InterruptCleanup, SigintAndSigtermRemoveTheWatchedFileAndExitWith128PlusTheSignal) {
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        ScratchFolder dir;
        const std::string unfinished = dir.path() + "/.song.wav.part";
        const std::string finished = dir.path() + "/song.wav";
        const int status = RunAndSignal(
            [&] {
                std::ofstream(finished) << "earlier";
                std::ofstream(unfinished) << "half";
                static UnfinishedFile watched;  // never destroyed: the child ends by signal
                watched.Watch(unfinished);
            },
            signalNumber);
        ASSERT_TRUE(WIFEXITED(status)) << signalNumber;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signalNumber);
        EXPECT_FALSE(fs::exists(unfinished));
        EXPECT_TRUE(fs::exists(finished));
    }
}

TEST(InterruptCleanup, AForgottenFileStays) {
    ScratchFolder dir;
    const std::string kept = dir.path() + "/kept.wav";
    const int status = RunAndSignal(
        [&] {
            std::ofstream(kept) << "done";
            UnfinishedFile watched;
            watched.Watch(kept);
        },  // the guard forgets the file when it goes out of scope
        SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    EXPECT_TRUE(fs::exists(kept));
}

}  // namespace
