// Stems side by side: children finishing in any order still report and
// write their errors in stem order, a failing stem stops the ones not yet
// started, and a child that dies counts as a failure.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/user_report.h"
#include "render/stem_jobs.h"

namespace {

using std::chrono::milliseconds;

TEST(StemJobs, ChildrenEndingInAnyOrderAreToldInStemOrder) {
    CollectingReport report;
    testing::internal::CaptureStderr();
    const std::vector<bool> written = RunStemJobs(4, 3, report, [](std::size_t index, UserReport& own) {
        // The later stems end first.
        std::this_thread::sleep_for(milliseconds(60 * (4 - static_cast<int>(index))));
        std::fprintf(stderr, "error %zu\n", index);
        own.Report("stem " + std::to_string(index));
        own.Report("again " + std::to_string(index));
        return true;
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error 0\nerror 1\nerror 2\nerror 3\n");
    EXPECT_EQ(written, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(report.lines, (std::vector<std::string>{"stem 0", "again 0", "stem 1", "again 1", "stem 2", "again 2",
                                                      "stem 3", "again 3"}));
}

TEST(StemJobs, AFailedStemStopsTheStemsNotYetStarted) {
    for (const int jobs : {1, 2}) {
        CollectingReport report;
        const std::vector<bool> written = RunStemJobs(4, jobs, report, [](std::size_t index, UserReport& own) {
            own.Report("ran " + std::to_string(index));
            if (index == 1) std::this_thread::sleep_for(milliseconds(300));  // still running when stem 0 fails
            return index != 0;
        });
        const std::vector<std::string> ran = jobs == 1 ? std::vector<std::string>{"ran 0"}
                                                       : std::vector<std::string>{"ran 0", "ran 1"};
        EXPECT_EQ(report.lines, ran) << jobs;
        EXPECT_EQ(written, (std::vector<bool>{false, jobs > 1, false, false})) << jobs;
    }
}

TEST(StemJobs, AStemWhoseProcessDiesIsNotWritten) {
    CollectingReport report;
    const std::vector<bool> written = RunStemJobs(2, 2, report, [](std::size_t index, UserReport&) {
        if (index == 1) std::raise(SIGKILL);
        return true;
    });
    EXPECT_EQ(written, (std::vector<bool>{true, false}));
}

}  // namespace
