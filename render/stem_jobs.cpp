// Stem jobs on child processes, their reports and error output passed on in order.
#include "render/stem_jobs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/child_process.h"
#include "platform/user_report.h"

namespace {

constexpr std::chrono::milliseconds kPollInterval{200};
constexpr char kReportEnd = '\0';  // ends each report in the message pipe

// In a child: each report goes into the message pipe, ended by kReportEnd.
class PipedReport final : public UserReport {
public:
    explicit PipedReport(int fd) : fd_(fd) {}
    void Report(std::string_view text) override {
        std::string record(text);
        record += kReportEnd;
        WriteAllBytes(fd_, record);
    }

private:
    int fd_;
};

// A stem converted in a child process, and what it reported and wrote on
// standard error.
struct StemJob {
    std::size_t index = 0;
    ChildProcess child;
    std::string reports;
    std::string errors;
    bool ended = false;
    bool written = false;
};

void PassOn(const StemJob& job, UserReport& report) {
    if (!job.errors.empty()) {
        std::fwrite(job.errors.data(), 1, job.errors.size(), stderr);
        std::fflush(stderr);
    }
    std::size_t from = 0;
    for (std::size_t end = job.reports.find(kReportEnd); end != std::string::npos;
         end = job.reports.find(kReportEnd, from)) {
        report.Report(std::string_view(job.reports).substr(from, end - from));
        from = end + 1;
    }
}

}  // namespace

std::vector<bool> RunStemJobs(std::size_t count, int jobs, UserReport& report,
                              const std::function<bool(std::size_t index, UserReport& report)>& convert) {
    std::vector<bool> written(count, false);
    std::vector<StemJob> started;  // in index order, until passed on
    std::size_t next = 0;
    std::size_t running = 0;
    bool failed = false;
    while (!started.empty() || (!failed && next < count)) {
        while (!failed && next < count && running < static_cast<std::size_t>(std::max(jobs, 1))) {
            const std::size_t index = next++;
            ChildProcess child;
            if (jobs > 1) {
                child = ChildProcess::Start([&convert, index](int messageFd) {
                    PipedReport piped(messageFd);
                    return convert(index, piped) ? 0 : 1;
                });
            }
            if (!child.Started()) {
                written[index] = convert(index, report);
                failed = !written[index];
                continue;
            }
            StemJob& job = started.emplace_back();
            job.index = index;
            job.child = std::move(child);
            ++running;
        }
        std::vector<int> fds;
        for (const StemJob& job : started) {
            fds.push_back(job.child.MessageFd());
            fds.push_back(job.child.ErrorFd());
        }
        if (running > 0) WaitForReadable(fds, kPollInterval);
        for (StemJob& job : started) {
            if (job.ended) continue;
            job.child.ReadMessages(job.reports);
            job.child.ReadErrors(job.errors);
            if (!job.child.PipesClosed()) continue;
            const ChildEnd end = job.child.Wait();
            job.ended = true;
            job.written = !end.signaled && end.code == 0;
            failed = failed || !job.written;
            --running;
        }
        while (!started.empty() && started.front().ended) {
            PassOn(started.front(), report);
            written[started.front().index] = started.front().written;
            started.erase(started.begin());
        }
    }
    return written;
}
