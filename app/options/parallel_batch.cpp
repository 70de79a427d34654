// The loop over the plan's files with a set of running workers.
#include "app/options/parallel_batch.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

#include "app/batch/conversion_log.h"
#include "app/batch/convert_folder.h"
#include "app/batch/failure_cause.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/progress_line.h"
#include "app/options/requested_options.h"
#include "platform/display.h"
#include "platform/interrupt_cleanup.h"
#include "platform/riff_writer.h"
#include "platform/standard_error.h"
#include "platform/text.h"
#include "platform/user_report.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kEndLine = "END";
constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr char kClearLine[] = "\r\033[K";

// What became of one file.
struct Outcome {
    bool done = false;
    bool failed = false;
    std::vector<std::string> lines;  // the log's error lines
    std::string detail;              // more for standard error
    std::string errorOutput;         // what the worker wrote on standard error
    bool silent = false;             // the song has no notes
};

// The log line of a file written under a numbered name.
std::string SavedAs(const PlannedFile& file) {
    const std::filesystem::path usual = std::filesystem::path(file.output).parent_path() /
                                        (std::filesystem::path(file.input).stem().string() +
                                         std::filesystem::path(file.output).extension().string());
    return SavedAsLine(std::filesystem::path(file.output).filename().string(), usual.filename().string());
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

class Batch {
public:
    Batch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, const ConversionPlan& plan,
          const BatchSettings& settings)
        : dlg_(dlg), renderSong_(renderSong), request_(request), plan_(plan), settings_(settings),
          outcomes_(plan.files.size()), logs_(plan.logs.size()) {}

    bool Run() {
        OpenLogs();
        start_ = Clock::now();
        while (emitted_ < plan_.files.size()) {
            while (running_.size() < static_cast<std::size_t>(settings_.jobs) && next_ < plan_.files.size()) {
                StartFile(next_++);
            }
            PollWorkers();
            EmitFinished();
            ShowProgress();
            if (!running_.empty()) WaitForReadable(RunningFds(), kPollInterval);
        }
        ClearProgress();
        CloseLogs();
        return allConverted_;
    }

private:
    struct Running {
        std::size_t index;
        std::unique_ptr<ConversionWorker> worker;
    };

    void OpenLogs() {
        for (std::size_t i = 0; i < plan_.logs.size(); ++i) {
            const std::filesystem::path folder = std::filesystem::path(plan_.logs[i]).parent_path();
            std::error_code ignored;  // a folder that cannot be made shows up as a log that cannot be opened
            std::filesystem::create_directories(folder, ignored);
            logs_[i].Open(folder.string() + "/");
            if (!logs_[i].IsOpen()) {
                WriteErrorLine("cannot write the conversion log " + plan_.logs[i] + ": " + logs_[i].FailureReason());
            }
        }
    }

    void CloseLogs() {
        for (std::size_t i = 0; i < logs_.size(); ++i) {
            if (logs_[i].IsOpen() && !logs_[i].Close()) {
                WriteErrorLine("the conversion log " + plan_.logs[i] + " could not be written completely: " +
                               logs_[i].FailureReason());
            }
        }
    }

    // Opens file `index` and starts its worker, or records why it cannot be converted.
    void StartFile(std::size_t index) {
        const PlannedFile& file = plan_.files[index];
        Outcome& outcome = outcomes_[index];
        if (!file.error.empty()) {
            Fail(outcome, {file.error});
            Done(index, FileStatus::kFailed);
            return;
        }
        if (file.upToDate) {
            outcome.done = true;
            Done(index, FileStatus::kSkipped);
            return;
        }
        CollectingReport report;
        OpenMidiFile(dlg_, file.input, report);
        if (!report.lines.empty() || dlg_.m_strSongName.empty()) {
            Fail(outcome, report.lines);
            Done(index, FileStatus::kFailed);
            return;
        }
        ApplyRequestedOptions(request_, dlg_.m_songOptions);
        outcome.silent = !HasNotes(dlg_.m_songOptions);
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::path(file.output).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder, error);
        // Unfinished files of earlier runs that were killed outright.
        if (!error && cleanedFolders_.insert(folder.string()).second) {
            RemoveAbandonedTemporaryFiles(folder.empty() ? "." : folder.string());
        }
        if (error) {
            Fail(outcome, {kWaveFileFailedMessage});
            outcome.detail = "cannot create the folder " + folder.string() + ": " + error.message();
            Done(index, FileStatus::kFailed);
            return;
        }
        auto worker = std::make_unique<ConversionWorker>(settings_.stallTimeout);
        worker->Start(dlg_.ConversionInput(), renderSong_, file.output, RequestedOutput(request_));
        running_.push_back({index, std::move(worker)});
    }

    static void Fail(Outcome& outcome, std::vector<std::string> lines) {
        outcome.done = true;
        outcome.failed = true;
        outcome.lines = std::move(lines);
    }

    // Tells the caller what became of file `index`, with the figures of its worker when it ran one.
    void Done(std::size_t index, FileStatus status, const ConversionWorker* worker = nullptr) const {
        if (!settings_.onFileDone) return;
        const PlannedFile& file = plan_.files[index];
        const Outcome& outcome = outcomes_[index];
        FileResult result{file.input, file.output, status, {}, 0, 0, 0};
        if (status == FileStatus::kFailed) {
            result.cause = FailureCause(outcome.lines);
            if (!outcome.detail.empty()) result.cause += " (" + outcome.detail + ")";
        }
        if (worker != nullptr) {
            result.audioSeconds = status == FileStatus::kConverted ? worker->Length() / 1000.0 : 0.0;
            result.cpuSeconds = worker->CpuSeconds();
        }
        std::error_code error;
        if (status == FileStatus::kConverted) result.bytesWritten = std::filesystem::file_size(file.output, error);
        if (error) result.bytesWritten = 0;
        settings_.onFileDone(result);
    }

    void PollWorkers() {
        for (auto it = running_.begin(); it != running_.end();) {
            ConversionWorker& worker = *it->worker;
            if (!worker.Poll()) {
                ++it;
                continue;
            }
            Outcome& outcome = outcomes_[it->index];
            outcome.done = true;
            outcome.lines = worker.Reports();
            outcome.failed = worker.End() != WorkerEnd::kFinished || !outcome.lines.empty();
            outcome.errorOutput = worker.ErrorOutput();
            finishedMs_ += outcome.failed ? 0 : worker.Length();
            Done(it->index, outcome.failed ? FileStatus::kFailed : FileStatus::kConverted, &worker);
            it = running_.erase(it);
        }
    }

    // Writes the outcomes of the files that are done, in input order.
    void EmitFinished() {
        while (emitted_ < outcomes_.size() && outcomes_[emitted_].done) {
            const PlannedFile& file = plan_.files[emitted_];
            const Outcome& outcome = outcomes_[emitted_];
            ClearProgress();
            if (file.log >= 0) {
                ConversionLog& log = logs_[static_cast<std::size_t>(file.log)];
                log.AppendLine(file.input);
                if (!file.renamed.empty() && !outcome.failed) log.AppendLine(SavedAs(file));
                for (const std::string& line : outcome.lines) log.AppendLine(line);
                log.AppendLine(kEndLine);
            }
            std::fputs(outcome.errorOutput.c_str(), stderr);
            if (!file.renamed.empty() && !outcome.failed && !file.upToDate) WriteErrorLine(file.input + ": " + SavedAs(file));
            if (outcome.silent && !outcome.failed) WriteErrorLine(SilentSongWarning(file.input, file.output));
            if (settings_.printWritten && !outcome.failed) {
                std::printf("%s\n", file.output.c_str());
                std::fflush(stdout);
            }
            if (outcome.failed) {
                std::string line = FailureLine(file.input, outcome.lines);
                if (!outcome.detail.empty()) line += " (" + outcome.detail + ")";
                std::fprintf(stderr, "%s\n", EscapeControlCharacters(line).c_str());
                allConverted_ = false;
            }
            ++emitted_;
        }
    }

    std::vector<int> RunningFds() const {
        std::vector<int> fds;
        for (const Running& running : running_) {
            for (int fd : running.worker->Fds()) fds.push_back(fd);
        }
        return fds;
    }

    void ShowProgress() {
        if (!settings_.showProgress || running_.empty()) return;
        std::vector<RunningFile> files;
        long long audioMs = finishedMs_;
        for (const Running& running : running_) {
            const ConversionWorker& worker = *running.worker;
            files.push_back({static_cast<int>(running.index + 1), FileName(plan_.files[running.index].input),
                             worker.Position(), worker.Length()});
            audioMs += worker.Position();
        }
        const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        const double factor = wallMs > 0 ? static_cast<double>(audioMs) / wallMs : 0.0;
        const std::string line = ProgressLine(files, static_cast<int>(plan_.files.size()), factor, TerminalColumns() - 1);
        std::fprintf(stderr, "%s%s", kClearLine, line.c_str());
        std::fflush(stderr);
        lineShown_ = true;
    }

    void ClearProgress() {
        if (!lineShown_) return;
        std::fputs(kClearLine, stderr);
        lineShown_ = false;
    }

    COmbrixDlg& dlg_;
    SongContainer& renderSong_;
    const ConversionRequest& request_;
    const ConversionPlan& plan_;
    const BatchSettings& settings_;
    std::vector<Outcome> outcomes_;
    std::vector<ConversionLog> logs_;
    std::vector<Running> running_;
    std::set<std::string> cleanedFolders_;
    std::size_t next_ = 0;
    std::size_t emitted_ = 0;
    bool allConverted_ = true;
    bool lineShown_ = false;
    long long finishedMs_ = 0;
    Clock::time_point start_;
};

}  // namespace

bool RunParallelBatch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request,
                      const ConversionPlan& plan, const BatchSettings& settings) {
    InstallInterruptCleanup();
    return Batch(dlg, renderSong, request, plan, settings).Run();
}
