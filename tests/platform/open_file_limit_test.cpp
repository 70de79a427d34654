// The open-file limit is raised to the hard limit, in a child process so
// that the test program keeps its own.
#include "platform/open_file_limit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(OpenFileLimit, IsRaisedToTheHardLimit) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rlimit limit {};
        getrlimit(RLIMIT_NOFILE, &limit);
        // A low soft limit, as many desktops start programs with.
        limit.rlim_cur = limit.rlim_max < 256 ? limit.rlim_max : 256;
        setrlimit(RLIMIT_NOFILE, &limit);
        RaiseOpenFileLimit();
        struct rlimit raised {};
        getrlimit(RLIMIT_NOFILE, &raised);
        _exit(raised.rlim_cur == raised.rlim_max ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
