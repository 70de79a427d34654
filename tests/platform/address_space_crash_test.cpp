// Crashes under an address-space limit in a forked child: one that follows
// a failed allocation at the limit leaves its note, any other none.
#include "platform/address_space_crash.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// The address space this process holds now, in bytes.
std::uint64_t AddressSpaceNow() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmSize:")) return std::stoull(line.substr(7)) * 1024;
    }
    return 0;
}

void* g_taken = nullptr;

// Runs `crash` in a child limited to 64 MiB more than it holds, with the
// note armed; returns what the child wrote and sets `status` to its wait status.
template <typename Crash>
std::string NoteOfCrash(Crash crash, int& status) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        const rlimit limit{AddressSpaceNow() + (64u << 20), RLIM_INFINITY};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
        if (AddressSpaceLimit() != limit.rlim_cur) _exit(4);
        NoteCrashAtAddressSpaceLimit(pipeFds[1], "address space full", limit.rlim_cur);
        crash();
        _exit(0);
    }
    close(pipeFds[1]);
    std::string note;
    char buffer[256];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) note.append(buffer, static_cast<std::size_t>(got));
    close(pipeFds[0]);
    waitpid(child, &status, 0);
    return note;
}

TEST(AddressSpaceCrash, ACrashAfterTheAddressSpaceFilledUpLeavesItsNoteAndStillDiesByItsSignal) {
    int status = 0;
    const std::string note = NoteOfCrash(
        [] {
            // As a library that does not check its allocations.
            for (void* block; (block = std::malloc(1 << 20)) != nullptr; g_taken = block) *static_cast<void**>(block) = g_taken;
            volatile char* unchecked = nullptr;
            unchecked[0] = 1;
        },
        status);
    EXPECT_EQ(note, "address space full");
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
}

TEST(AddressSpaceCrash, ACrashShortOfTheLimitSaysNothing) {
    for (const int signalNumber : {SIGSEGV, SIGBUS}) {
        int status = 0;
        EXPECT_EQ(NoteOfCrash([signalNumber] { raise(signalNumber); }, status), "");
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signalNumber);
    }
}

TEST(AddressSpaceCrash, AnUnlimitedProcessHasNoLimit) {
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &limit), 0);
    if (limit.rlim_cur != RLIM_INFINITY) GTEST_SKIP() << "the tests run under ulimit -v";
    EXPECT_FALSE(AddressSpaceLimit().has_value());
}

}  // namespace
