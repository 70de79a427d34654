// The loop over the plan's files with a set of running workers.
#include "app/options/parallel_batch.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string_view>

#include "app/batch/conversion_log.h"
#include "app/batch/convert_folder.h"
#include "app/batch/failure_cause.h"
#include "app/batch/silent_output.h"
#include "app/options/option_command_line.h"
#include "app/options/option_values.h"
#include "app/options/output_checks.h"
#include "app/options/output_choice.h"
#include "app/options/output_folder_locks.h"
#include "app/options/progress_line.h"
#include "app/options/requested_options.h"
#include "app/options/start_order.h"
#include "app/options/up_to_date.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "platform/display.h"
#include "platform/file_identity.h"
#include "platform/interrupt_cleanup.h"
#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/temporary_file.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"
#include "render/stems.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kEndLine = "END";
constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr auto kStopPollInterval = std::chrono::milliseconds(20);
constexpr char kClearLine[] = "\r\033[K";
// The worker's notices: a song without notes, a part removed that the song does not have.
constexpr char kSilentNotice[] = "silent";
constexpr std::string_view kPartNotFoundNotice = "no part ";

// What became of one file.
struct Outcome {
    bool done = false;
    bool failed = false;
    std::vector<std::string> lines;  // the log's error lines
    std::string detail;              // more for standard error
    bool silent = false;             // the song has no notes
    std::vector<std::string> partsNotFound;  // removed parts the song does not have
};

// Passes reports on, counting them.
class CountingReport final : public UserReport {
public:
    explicit CountingReport(UserReport& to) : to_(to) {}
    void Report(std::string_view text) override {
        ++count_;
        to_.Report(text);
    }
    int Count() const { return count_; }

private:
    UserReport& to_;
    int count_ = 0;
};

// The log line of a file written under a numbered name.
std::string SavedAs(const PlannedFile& file) {
    const std::string take = file.rehearsal ? RehearsalSuffix(*file.rehearsal) : std::string();
    const std::filesystem::path usual = std::filesystem::path(file.output).parent_path() /
                                        (std::filesystem::path(file.input).stem().string() + take +
                                         std::filesystem::path(file.output).extension().string());
    return SavedAsLine(std::filesystem::path(file.output).filename().string(), usual.filename().string());
}

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

class Batch {
public:
    Batch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, const ConversionPlan& plan,
          const BatchSettings& settings)
        : dlg_(dlg), renderSong_(renderSong), request_(request), plan_(plan), settings_(settings),
          outcomes_(plan.files.size()), logOf_(plan.logs.size()), order_(plan.files, settings.jobs > 1) {}

    bool Run() {
        // Before the stop signal is deferred: waiting for another run's log
        // ends at Ctrl-C.
        if (!OpenLogs()) return false;
        // A stop signal is handled here, between polls: the entries of every
        // finished file are written before the program exits.
        DeferredInterrupt deferred;
        start_ = Clock::now();
        try {
            while (emitted_ < plan_.files.size()) {
                if (const int signalNumber = PendingInterrupt()) StopAndExit(signalNumber);
                // A worker that ended in the last wait is replaced before
                // the next one: the cores never wait for the slowest worker.
                StartWorkers();
                ShowProgress();
                if (!running_.empty()) WaitForReadable(RunningFds(), kPollInterval);
                PollWorkers();
                EmitFinished();
            }
        } catch (const std::bad_alloc&) {
            OutOfMemory();
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

    // Locks every folder the run writes into, then opens every log of the
    // plan; two spellings of one folder share one log. False when another
    // run converts into one of them and the run must not wait for it
    // (nothing is converted then).
    bool OpenLogs() {
        if (!LockFolders()) return false;
        std::map<FileIdentity, std::size_t> opened;  // folder -> index into logs_
        for (std::size_t i = 0; i < plan_.logs.size(); ++i) {
            const std::filesystem::path folder = std::filesystem::path(plan_.logs[i]).parent_path();
            std::error_code error;
            std::filesystem::create_directories(folder, error);
            if (error) {
                // Its files fail with the same cause when they are started.
                WriteErrorLine(Formatted(Tr("cannot create the folder %s: %s; its conversion log is not written"),
                                         folder.c_str(), SystemReason(error).c_str()));
                logOf_[i] = logs_.size();
                logs_.emplace_back();
                continue;
            }
            const std::optional<FileIdentity> identity = IdentifyFile(folder.string());
            if (identity) {
                if (const auto same = opened.find(*identity); same != opened.end()) {
                    logOf_[i] = same->second;
                    continue;
                }
                opened.emplace(*identity, logs_.size());
            }
            logOf_[i] = logs_.size();
            ConversionLog& log = logs_.emplace_back();
            log.OpenInLockedFolder(folder.string() + "/");
            if (!log.IsOpen()) {
                WriteErrorLine("cannot write the conversion log " + plan_.logs[i] + ": " + log.FailureReason());
            }
        }
        return true;
    }

    // Locks the folders of the logs and of every output (the shards of a library share theirs).
    bool LockFolders() {
        std::vector<std::string> folders;
        for (const std::string& log : plan_.logs) folders.push_back(std::filesystem::path(log).parent_path().string());
        for (const PlannedFile& file : plan_.files) {
            if (!file.error.empty() || file.output.empty()) continue;
            const std::filesystem::path parent = std::filesystem::path(file.output).parent_path();
            folders.push_back(parent.empty() ? "." : parent.string());
        }
        const bool sharded = request_.shard || request_.shardFromEnvironment;
        return folderLocks_.Lock(folders, sharded ? LockShare::kShared : LockShare::kAlone,
                                 settings_.waitForOtherRuns ? LockWait::kWait : LockWait::kNoWait);
    }

    void CloseLogs() {
        for (ConversionLog& log : logs_) {
            if (log.IsOpen() && !log.Close()) {
                WriteErrorLine("the conversion log " + log.Path() + " could not be written completely: " +
                               log.FailureReason());
            }
        }
    }

    // Starts files until `jobs` workers are converting. A worker that has
    // sent its last record is only exiting and no longer counts.
    void StartWorkers() {
        const auto converting = [this] {
            return static_cast<std::size_t>(std::count_if(running_.begin(), running_.end(), [](const Running& running) {
                return !running.worker->SentLastRecord();
            }));
        };
        for (std::size_t busy = converting(); busy < static_cast<std::size_t>(settings_.jobs) && !order_.Done();
             busy = converting()) {
            StartFile(order_.Next());
        }
    }

    // Starts the worker of file `index`, or records why it cannot be
    // converted. The worker opens the song itself: the program's memory
    // stays as it was, so that what every worker inherits does not grow
    // with the files done before.
    void StartFile(std::size_t index) {
        const PlannedFile& file = plan_.files[index];
        if (!file.error.empty()) {
            Fail(index, {file.error});
            return;
        }
        if (file.upToDate) {
            outcomes_[index].done = true;
            Done(index, FileStatus::kSkipped);
            return;
        }
        // Unfinished files of earlier runs that were killed outright: those
        // of the outputs this run writes into the folder, and of their records.
        const std::filesystem::path folder = std::filesystem::path(file.output).parent_path();
        std::error_code error;
        if (std::filesystem::is_directory(folder.empty() ? "." : folder, error) &&
            cleanedFolders_.insert(folder.string()).second) {
            RemoveAbandonedTemporaryFiles(folder.empty() ? "." : folder.string(), TargetNamesIn(folder));
        }
        auto worker = std::make_unique<ConversionWorker>(settings_.stallTimeout);
        worker->Start([this, &file](ConversionUi& ui, UserReport& report, UserReport& notices) {
            ConvertFile(file, ui, report, notices);
        }, file.output);
        running_.push_back({index, std::move(worker)});
    }

    // The names of the files the plan writes into `folder`: outputs and their records.
    const std::vector<std::string>& TargetNamesIn(const std::filesystem::path& folder) {
        if (targetNames_.empty()) {
            for (const PlannedFile& planned : plan_.files) {
                if (planned.output.empty()) continue;
                const std::filesystem::path output(planned.output);
                std::vector<std::string>& names = targetNames_[output.parent_path().string()];
                names.push_back(output.filename().string());
                names.push_back(std::filesystem::path(OptionsRecordPath(planned.output)).filename().string());
            }
        }
        return targetNames_[folder.string()];
    }

    // In the worker: opens the file, applies the options and converts it.
    void ConvertFile(const PlannedFile& file, ConversionUi& ui, UserReport& report, UserReport& notices) {
        // Taken before the file is read: a file changed meanwhile no longer matches its record.
        const bool keepRecord = request_.skipUpToDate || request_.force;
        const std::optional<InputStamp> stamp = keepRecord ? StampInput(file.input, file.shardKey) : std::nullopt;
        CollectingReport opened;
        OpenMidiFile(dlg_, file.input, opened);
        for (const std::string& line : opened.lines) report.Report(line);
        if (!opened.lines.empty()) return;
        if (dlg_.m_strSongName.empty()) {
            report.Report(kNoSongLoadedMessage);
            return;
        }
        ApplyRequestedOptions(request_, dlg_.m_songOptions);
        if (file.rehearsal)
            ApplyRehearsalTake(*file.rehearsal, request_.rehearsalLevels.value_or(RehearsalLevels{}), dlg_.m_songOptions);
        for (const int part : PartsNotFound(request_, dlg_.m_songOptions))
            notices.Report(std::string(kPartNotFoundNotice) + std::string(PartName(part)));
        for (const std::string& target : LevelTargetsNotFound(request_, dlg_.m_songOptions)) {
            WriteErrorLine(file.input + ": " +
                           Formatted(Tr("no channel, part or track named %s: its level is left as it is"), target.c_str()));
        }
        const std::filesystem::path folder = std::filesystem::path(file.output).parent_path();
        std::error_code error;
        if (!folder.empty()) std::filesystem::create_directories(folder, error);
        if (error) {
            report.Report(kWaveFileFailedMessage);
            WriteErrorLine("cannot create the folder " + folder.string() + ": " + SystemReason(error));
            return;
        }
        const OutputOptions output = RequestedOutput(request_);
        if (output.stems) {
            if (!MayWriteStems(file.output, dlg_.m_songOptions, output.encoding.format, report)) return;
            RemoveAbandonedStems(file.output, dlg_.m_songOptions, output.encoding.format);
        }
        CountingReport counted(report);
        const ConversionResult result = ConvertSong(dlg_.ConversionInput(), renderSong_, file.output, ui, counted, output);
        // A silent file stays, whether or not its silence is a failure.
        if (result.written && !result.audible) {
            if (!request_.allowSilent) {
                counted.Report(SilentOutputLine(dlg_.m_songOptions));
            } else if (!HasNotes(dlg_.m_songOptions)) {
                notices.Report(kSilentNotice);
            }
        }
        if (stamp && result.written && counted.Count() == 0) Record(*stamp, file, result.stems);
    }

    // Removes the unfinished stems that an earlier run of this mix left when it was killed outright.
    static void RemoveAbandonedStems(const std::string& mix, const SongOptions& options, AudioFormat format) {
        std::vector<std::string> names;
        for (const Stem& stem : PossibleStems(options, AudioFormatExtension(format))) names.push_back(stem.fileName);
        RemoveAbandonedTemporaryFiles(StemFolder(mix), names);
    }

    // Writes the record that lets a later --skip-up-to-date run skip the file.
    void Record(const InputStamp& stamp, const PlannedFile& file, const std::vector<std::string>& stems) const {
        std::string reason;
        if (!RecordOptions(stamp, file.output, stems, FileOptionsFingerprint(request_, file), reason)) {
            WriteErrorLine(Formatted(Tr("cannot write the record %s: %s (the file will be converted again next time)"),
                                     OptionsRecordPath(file.output).c_str(), reason.c_str()));
        }
    }

    // The format every output of the run is written in.
    AudioFormat OutputFormat() const { return RequestedOutput(request_).encoding.format; }

    // Records the failure of file `index` and says so on standard error at once.
    void Fail(std::size_t index, std::vector<std::string> lines) {
        Outcome& outcome = outcomes_[index];
        outcome.done = true;
        outcome.failed = true;
        outcome.lines = std::move(lines);
        TellFailure(index);
        Done(index, FileStatus::kFailed);
    }

    // Tells the caller what became of file `index`, with the figures of its worker when it ran one.
    void Done(std::size_t index, FileStatus status, const ConversionWorker* worker = nullptr) const {
        if (!settings_.onFileDone) return;
        const PlannedFile& file = plan_.files[index];
        const Outcome& outcome = outcomes_[index];
        FileResult result{file.input, file.output, status, {}, 0, 0, 0};
        result.levels = request_.levels;
        result.rehearsal = file.rehearsal;
        result.rehearsalLevels = request_.rehearsalLevels.value_or(RehearsalLevels{});
        if (status == FileStatus::kFailed) {
            result.cause = FailureCause(outcome.lines, OutputFormat());
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

    void TellFailure(std::size_t index) {
        const Outcome& outcome = outcomes_[index];
        ClearProgress();
        std::string line = FailureLine(plan_.files[index].input, outcome.lines, OutputFormat());
        if (!outcome.detail.empty()) line += " (" + outcome.detail + ")";
        std::fprintf(stderr, "%s\n", EscapeControlCharacters(line).c_str());
        allConverted_ = false;
    }

    // Takes the outcomes of the workers that have ended. While the run is
    // `stopping`, a worker that did not finish its file leaves no outcome.
    void PollWorkers(bool stopping = false) {
        for (auto it = running_.begin(); it != running_.end();) {
            ConversionWorker& worker = *it->worker;
            if (!worker.Poll()) {
                ++it;
                continue;
            }
            if (stopping && worker.End() != WorkerEnd::kFinished) {
                it = running_.erase(it);
                continue;
            }
            Outcome& outcome = outcomes_[it->index];
            outcome.done = true;
            outcome.lines = worker.Reports();
            for (const std::string& notice : worker.Notices()) {
                if (notice == kSilentNotice) outcome.silent = true;
                if (notice.starts_with(kPartNotFoundNotice))
                    outcome.partsNotFound.push_back(notice.substr(kPartNotFoundNotice.size()));
            }
            outcome.failed = worker.End() != WorkerEnd::kFinished || !outcome.lines.empty();
            if (outcome.failed) {
                // What the worker said about its failure becomes part of the file's one line.
                outcome.detail = ErrorLinesText(worker.ErrorOutput(), "; ");
            } else if (!worker.ErrorOutput().empty()) {
                ClearProgress();
                std::fputs(worker.ErrorOutput().c_str(), stderr);
            }
            if (outcome.failed) TellFailure(it->index);
            finishedMs_ += outcome.failed ? 0 : worker.Length();
            Done(it->index, outcome.failed ? FileStatus::kFailed : FileStatus::kConverted, &worker);
            it = running_.erase(it);
        }
    }

    // Writes the log entries of the files that are done, in input order.
    // With `skipUnfinished` (the run is ending early) the files that never
    // finished are left out and the later ones still written.
    void EmitFinished(bool skipUnfinished = false) {
        for (; emitted_ < outcomes_.size(); ++emitted_) {
            if (!outcomes_[emitted_].done) {
                if (!skipUnfinished) return;
                continue;
            }
            const PlannedFile& file = plan_.files[emitted_];
            Outcome& outcome = outcomes_[emitted_];
            ClearProgress();
            const bool savedAs = !file.renamed.empty() && !outcome.failed;
            if (file.log >= 0) {
                ConversionLog& log = logs_[logOf_[static_cast<std::size_t>(file.log)]];
                log.AppendLine(file.input);
                if (savedAs) log.AppendLine(SavedAs(file));
                for (const std::string& line : outcome.lines) log.AppendLine(line);
                log.AppendLine(kEndLine);
            }
            if (savedAs && !file.upToDate) WriteErrorLine(file.input + ": " + SavedAs(file));
            if (outcome.silent && !outcome.failed) WriteErrorLine(SilentSongWarning(file.input, file.output));
            for (const std::string& part : outcome.partsNotFound) {
                if (!outcome.failed)
                    WriteErrorLine(Formatted(Tr("no %s part found in %s: nothing removed"), part.c_str(), file.input.c_str()));
            }
            if (settings_.printWritten && !outcome.failed && !file.upToDate) PrintWritten(file.output);
            // Written: its texts are freed, so that finished files leave no
            // small blocks scattered over the heap for every later worker to
            // inherit and walk.
            outcome.lines = {};
            outcome.detail = {};
        }
    }

    // Prints `path` on the list of written files. A list that cannot be
    // written any more fails the run, said once; the run goes on, so that
    // the log still gets every finished file.
    void PrintWritten(const std::string& path) {
        if (listFailed_) return;
        // Escaped as standard error and the log escape names: one file a line.
        if (std::printf("%s\n", EscapeControlCharacters(path).c_str()) >= 0 && std::fflush(stdout) == 0) return;
        listFailed_ = true;
        allConverted_ = false;
        ClearProgress();
        WriteErrorLine(Tr("cannot write the list of written files on standard output any more (disk full, or its "
                          "reader gone); the run goes on and fails"));
    }

    // Stops the running workers: each removes its unfinished file; one that
    // does not end within the grace period is killed. Their files count as
    // not converted and get no log entry.
    void StopWorkers() {
        for (Running& running : running_) running.worker->Stop();
        const auto deadline = Clock::now() + settings_.stopGrace;
        // A worker that finished just before keeps its outcome.
        for (PollWorkers(true); !running_.empty() && Clock::now() < deadline; PollWorkers(true)) {
            WaitForReadable(RunningFds(), kStopPollInterval);
        }
        running_.clear();  // a worker still running is killed and its file removed
    }

    [[noreturn]] void StopAndExit(int signalNumber) {
        StopWorkers();
        EmitFinished(true);
        ClearProgress();
        CloseLogs();
        ExitAfterInterrupt(signalNumber);
    }

    // The program itself ran out of memory: the run ends with what has
    // finished in the log.
    void OutOfMemory() {
        StopWorkers();
        allConverted_ = false;
        WriteErrorLine(Tr("out of memory; the run was stopped"));
        EmitFinished(true);
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
    std::deque<ConversionLog> logs_;       // one per output folder
    OutputFolderLocks folderLocks_;        // of every folder the run writes into
    std::vector<std::size_t> logOf_;        // plan log index -> index into logs_
    std::vector<Running> running_;
    std::set<std::string> cleanedFolders_;
    std::map<std::string, std::vector<std::string>> targetNames_;  // folder -> names the plan writes there
    StartOrder order_;
    std::size_t emitted_ = 0;
    bool allConverted_ = true;
    bool listFailed_ = false;
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
