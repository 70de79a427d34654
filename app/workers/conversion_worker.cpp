// The worker process: in the child, ConvertSongToWav with a progress window
// and a report that write into the pipe; in the program, the reading end.
#include "app/workers/conversion_worker.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <new>
#include <stop_token>
#include <string_view>
#include <thread>

#include "app/workers/worker_messages.h"
#include "platform/address_space_crash.h"
#include "platform/temporary_file.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "render/progress_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// The worker sends its position at most this often; it is how the program
// knows that the worker is alive.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
// How long the program waits for the worker between progress updates.
constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr int kWorkerFailed = 1;

// The progress window of a conversion in the worker: positions go into the
// pipe. While the module loads (for at most a set time) and while the
// rendered song is being finished, a thread repeats the last position, so
// that the program knows the worker is alive.
class PipeProgressUi final : public ConversionUi {
public:
    PipeProgressUi(int fd, std::chrono::milliseconds loadLimit) : fd_(fd), loadLimit_(loadLimit) {}
    ~PipeProgressUi() override { Beat(false, {}); }
    PipeProgressUi(const PipeProgressUi&) = delete;
    PipeProgressUi& operator=(const PipeProgressUi&) = delete;
    std::optional<std::string> ChooseOutputFile(const std::string&, const std::string&) override { return {}; }
    void OpenProgress(int, int upper) override {
        const std::lock_guard lock(mutex_);
        length_ = upper;
        position_ = 0;
        Send();
    }
    void PumpEvents() override {}
    void SetProgressPosition(int position) override {
        const std::lock_guard lock(mutex_);
        position_ = position;
        if (Clock::now() - lastSent_ >= kProgressInterval) Send();
    }
    void SetLoading(bool loading) override { Beat(loading, Clock::now() + loadLimit_); }
    void SetFinishing(bool finishing) override { Beat(finishing, Clock::time_point::max()); }
    void SetProgressText(const std::string&) override {}
    void CloseProgress() override {}
    // A pipe that no longer takes the progress has no reader: the program
    // is gone, and the conversion is abandoned with its file.
    bool CancelRequested() const override { return orphaned_; }

private:
    // Starts (`on`) or stops the thread that repeats the position until `until`.
    void Beat(bool on, Clock::time_point until) {
        if (on == heartbeat_.joinable()) return;
        if (!on) {
            heartbeat_.request_stop();
            heartbeat_.join();
            heartbeat_ = {};
            return;
        }
        heartbeat_ = std::jthread([this, until](std::stop_token stop) {
            std::unique_lock lock(mutex_);
            while (!wake_.wait_for(lock, stop, kProgressInterval, [] { return false; })) {
                if (stop.stop_requested() || Clock::now() >= until) return;
                Send();
            }
        });
    }
    // Sends the position; the caller holds mutex_.
    void Send() {
        lastSent_ = Clock::now();
        if (!WriteAllBytes(fd_, EncodeWorkerProgress(position_, length_))) orphaned_ = true;
    }
    int fd_;
    std::chrono::milliseconds loadLimit_;
    int length_ = 0;
    int position_ = 0;
    std::atomic<bool> orphaned_ = false;
    Clock::time_point lastSent_;
    std::mutex mutex_;  // one record at a time into the pipe
    std::condition_variable_any wake_;
    std::jthread heartbeat_;
};

// Reports in the worker: each line goes into the pipe as one record.
class PipeReport final : public UserReport {
public:
    PipeReport(int fd, std::string (*encode)(std::string_view)) : fd_(fd), encode_(encode) {}
    void Report(std::string_view text) override { WriteAllBytes(fd_, encode_(text)); }

private:
    int fd_;
    std::string (*encode_)(std::string_view);
};

}  // namespace

std::string WorkerCrashedLine(int signal) {
    return (IsStopSignal(signal) ? "Conversion stopped by a signal (" : "Conversion crashed (") + SignalDescription(signal) + ")";
}

namespace {
constexpr std::string_view kAddressSpaceCrashStart = "Conversion crashed (out of memory: ";
}  // namespace

std::string AddressSpaceCrashLine(std::uint64_t limitBytes) {
    return std::string(kAddressSpaceCrashStart) + "it used all of the " + std::to_string(limitBytes / 1024) +
           " KB of address space that ulimit -v allows)";
}

std::string WorkerStalledLine(std::chrono::milliseconds timeout) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout).count();
    return "Conversion stopped: no progress for " + std::to_string(seconds) + " seconds";
}

void ConversionWorker::Start(const ConversionSource& source, SongContainer& renderSong, const std::string& outputPath,
                             std::optional<double> peakDbfs) {
    OutputOptions output;
    output.peakDbfs = peakDbfs;
    Start(source, renderSong, outputPath, output);
}

void ConversionWorker::Start(const ConversionSource& source, SongContainer& renderSong, const std::string& outputPath,
                             const OutputOptions& output) {
    Start([&](ConversionUi& ui, UserReport& report, UserReport&) {
        ConvertSong(source, renderSong, outputPath, ui, report, output);
    }, outputPath);
}

void ConversionWorker::Start(const WorkerJob& job, const std::string& outputPath) {
    outputPath_ = outputPath;
    startTime_ = lastProgress_ = Clock::now();
    child_ = ChildProcess::Start([&](int fd) {
        PipeProgressUi ui(fd, loadLimit_);
        PipeReport report(fd, EncodeWorkerReport);
        PipeReport notices(fd, EncodeWorkerNotice);
        // A crash in code that does not check its allocations says why, when the limit shows it.
        if (const std::optional<std::uint64_t> limit = AddressSpaceLimit())
            NoteCrashAtAddressSpaceLimit(fd, EncodeWorkerReport(AddressSpaceCrashLine(*limit)), *limit);
        // An exception is this song's failure: the unwinding removes the
        // unfinished file, and the cause goes into the report.
        try {
            job(ui, report, notices);
        } catch (const std::bad_alloc&) {
            report.Report(kOutOfMemoryLine);
        } catch (const std::exception& error) {
            report.Report(std::string("Conversion failed (") + error.what() + ")");
        }
        return WriteAllBytes(fd, EncodeWorkerDone()) ? 0 : kWorkerFailed;
    });
    if (!child_.Started()) {
        end_ = WorkerEnd::kNotStarted;
        reports_.push_back(kInitializationFailedMessage);
        return;
    }
    end_ = WorkerEnd::kRunning;
}

bool ConversionWorker::Poll() {
    if (end_ != WorkerEnd::kRunning) return true;
    child_.ReadMessages(pending_);
    child_.ReadErrors(errors_);
    for (WorkerMessage& message : TakeWorkerMessages(pending_)) {
        if (message.kind == WorkerMessageKind::kReport) {
            reports_.push_back(std::move(message.text));
        } else if (message.kind == WorkerMessageKind::kNotice) {
            notices_.push_back(std::move(message.text));
        } else if (message.kind == WorkerMessageKind::kDone) {
            done_ = true;
        } else {
            position_ = message.position;
            length_ = message.length;
            lastProgress_ = Clock::now();
        }
    }
    if (child_.PipesClosed()) {
        Finish(child_.Wait());
    } else if (Clock::now() - lastProgress_ > stallTimeout_) {
        killedHere_ = true;
        child_.Kill();
        child_.Wait();
        end_ = WorkerEnd::kStalled;
        reports_.push_back(WorkerStalledLine(stallTimeout_));
        RemoveLeftovers();
    }
    return end_ != WorkerEnd::kRunning;
}

ConversionWorker::~ConversionWorker() {
    if (end_ == WorkerEnd::kRunning && child_.Started()) Kill();
}

void ConversionWorker::Stop() {
    if (end_ == WorkerEnd::kRunning) child_.Stop();
}

void ConversionWorker::Kill() {
    if (end_ != WorkerEnd::kRunning) return;
    killedHere_ = true;
    child_.Kill();
    Finish(child_.Wait());
}

void ConversionWorker::RemoveLeftovers() const {
    RemoveAbandonedTemporaryFilesOf(outputPath_);
}

void ConversionWorker::Finish(const ChildEnd& end) {
    cpuSeconds_ = end.cpuSeconds;
    // Once the worker has said that it finished, its file is complete,
    // whatever ends the process afterwards.
    if (done_) {
        end_ = WorkerEnd::kFinished;
        return;
    }
    end_ = WorkerEnd::kCrashed;
    RemoveLeftovers();
    // A worker that said, as it crashed, that its address space was full has given the cause.
    if (!reports_.empty() && reports_.back().starts_with(kAddressSpaceCrashStart)) return;
    if (end.signaled && end.code == SIGKILL && !killedHere_) {
        reports_.push_back(kWorkerKilledLine);
    } else {
        reports_.push_back(end.signaled ? WorkerCrashedLine(end.code)
                                        : "Conversion crashed (exit status " + std::to_string(end.code) + ")");
    }
}

void WaitForWorker(ConversionWorker& worker, ConversionUi& ui) {
    bool open = false;
    std::string text;
    while (!worker.Poll()) {
        if (worker.Length() > 0 || worker.Position() > 0) {
            if (!open) ui.OpenProgress(0, worker.Length());
            open = true;
            ui.SetProgressPosition(worker.Position());
            std::string now = ProgressPercentText(worker.Position(), 0, worker.Length());
            if (now != text) ui.SetProgressText(text = std::move(now));
        }
        WaitForReadable(worker.Fds(), kPollInterval);
    }
    if (open) ui.CloseProgress();
}
