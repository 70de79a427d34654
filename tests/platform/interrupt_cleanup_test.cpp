// The interrupt handlers in a forked child, as a conversion in a worker
// process meets them: the watched file goes, the exit status tells the signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

// Starts, in the child of RunAndSignal, a worker that blocks SIGTERM (as a
// module stuck with its signals blocked would) and watches it.
void StartStubbornWorker() {
    const pid_t worker = fork();
    if (worker == 0) {
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGTERM);
        sigprocmask(SIG_BLOCK, &blocked, nullptr);
        for (;;) pause();
    }
    static InterruptedWorker watched;
    watched.Watch(worker);
}

// Waits at most 20 s for `child`; its wait status, or -1 when it was still running (then killed).
int WaitAtMost20Seconds(pid_t child) {
    int status = 0;
    for (int i = 0; i < 400; ++i) {
        if (waitpid(child, &status, WNOHANG) == child) return status;
        usleep(50000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

TEST(InterruptCleanup, AWorkerThatIgnoresTheStopIsKilledAfterTheGracePeriod) {
    ScratchFolder dir;
    const std::string unfinished = dir.path() + "/.song.wav.part";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t program = fork();
    if (program == 0) {
        InstallInterruptCleanup();
        SetWorkerStopGrace(std::chrono::milliseconds(200));
        StartStubbornWorker();
        std::ofstream(unfinished) << "half";
        static UnfinishedFile watched;
        watched.Watch(unfinished);
        if (write(ready[1], "1", 1) != 1) _exit(2);
        for (;;) pause();
    }
    close(ready[1]);
    char done = 0;
    ASSERT_EQ(read(ready[0], &done, 1), 1);
    close(ready[0]);
    kill(program, SIGINT);
    const int status = WaitAtMost20Seconds(program);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_FALSE(fs::exists(unfinished));
}

TEST(InterruptCleanup, ASecondStopSignalEndsTheProgramWithoutWaitingForItsWorkers) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t program = fork();
    if (program == 0) {
        InstallInterruptCleanup();
        SetWorkerStopGrace(std::chrono::hours(1));
        StartStubbornWorker();
        if (write(ready[1], "1", 1) != 1) _exit(2);
        for (;;) pause();
    }
    close(ready[1]);
    char done = 0;
    ASSERT_EQ(read(ready[0], &done, 1), 1);
    close(ready[0]);
    kill(program, SIGINT);
    usleep(200000);  // the handler now waits for the worker
    kill(program, SIGINT);
    const int status = WaitAtMost20Seconds(program);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
}

TEST(InterruptCleanup, AWorkerProcessRemovesOnlyItsOwnFileAndDiesByTheSignal) {
    ScratchFolder dir;
    const std::string parents = dir.path() + "/.parent.wav.part";
    const std::string own = dir.path() + "/.own.wav.part";
    const int status = RunAndSignal(
        [&] {
            std::ofstream(parents) << "half";
            std::ofstream(own) << "half";
            static UnfinishedFile inherited;
            inherited.Watch(parents);
            BecomeWorkerProcess();
            static UnfinishedFile watched;
            watched.Watch(own);
        },
        SIGTERM);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(fs::exists(parents));
    EXPECT_FALSE(fs::exists(own));
}

TEST(InterruptCleanup, AStopThatCameWhileItWasDeferredEndsTheProgramWhenTheDeferringEnds) {
    const pid_t program = fork();
    if (program == 0) {
        InstallInterruptCleanup();
        {
            DeferredInterrupt deferred;
            raise(SIGINT);
            // Deferred: the program goes on until its loop looks.
            if (PendingInterrupt() != SIGINT) _exit(3);
        }
        _exit(0);  // reached only when the pending stop was lost
    }
    const int status = WaitAtMost20Seconds(program);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
}

TEST(InterruptCleanup, AWorkerPuttingItsLastFileInPlaceFinishesWhenStoppedTheProgramDoesNot) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t worker = fork();
    if (worker == 0) {
        BecomeWorkerProcess();
        HoldStopSignalsInWorker();
        if (write(ready[1], "1", 1) != 1) _exit(2);
        // The worker finishes its file once the stop has come, and ends as it would have anyway.
        sigset_t pending;
        for (sigemptyset(&pending); !sigismember(&pending, SIGTERM); sigpending(&pending)) usleep(1000);
        _exit(0);
    }
    close(ready[1]);
    char done = 0;
    ASSERT_EQ(read(ready[0], &done, 1), 1);
    close(ready[0]);
    kill(worker, SIGTERM);
    int status = WaitAtMost20Seconds(worker);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The program itself holds nothing: Ctrl-C still stops it at once.
    status = RunAndSignal([] { HoldStopSignalsInWorker(); }, SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
}

}  // namespace
