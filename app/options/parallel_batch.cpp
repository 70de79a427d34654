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
// The most files taken from the plan and not yet written to the log while a
// file before them still converts: a long song holds back the entries of the
// files after it, never the memory of the whole library.
constexpr std::size_t kMaxWaitingFiles = 4096;
constexpr std::size_t kNoLog = static_cast<std::size_t>(-1);

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
    Batch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, PlanFeed& feed,
          const BatchSettings& settings)
        : dlg_(dlg), renderSong_(renderSong), request_(request), feed_(feed), settings_(settings),
          order_(settings.jobs > 1) {}

    bool Run() {
        // Before the stop signal is deferred: waiting for another run's
        // folder ends at Ctrl-C.
        if (!LockFolders()) return false;
        // A stop signal is handled here, between polls: the entries of every
        // finished file are written before the program exits.
        DeferredInterrupt deferred;
        start_ = Clock::now();
        try {
            for (;;) {
                // Checked before the end too: a stop that came as the last file finished still stops the run.
                if (const int signalNumber = PendingInterrupt()) StopAndExit(signalNumber);
                if (feedEnded_ && window_.empty()) break;
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

    // A file taken from the plan, until its log entry is written.
    struct Slot {
        PlannedFile file;
        Outcome outcome;
        std::size_t log = kNoLog;  // index into logs_
    };

    Slot& At(std::size_t index) { return window_[index - emitted_]; }
    const Slot& At(std::size_t index) const { return window_[index - emitted_]; }

    // Locks every folder the run writes into, all before the first file
    // starts and in one order (the shards of a library share theirs), so
    // that two runs never wait for each other crosswise. False when another
    // run converts into one of them and the run must not wait for it
    // (nothing is converted then).
    bool LockFolders() {
        lockedFolders_.insert(feed_.folders.begin(), feed_.folders.end());
        const bool sharded = request_.shard || request_.shardFromEnvironment;
        return folderLocks_.Lock(feed_.folders, sharded ? LockShare::kShared : LockShare::kAlone,
                                 settings_.waitForOtherRuns ? LockWait::kWait : LockWait::kNoWait);
    }

    // Takes the next piece of the plan that has files: queues them, opens
    // their log and says the warnings that came with it. False at the end of
    // the plan, or while too many files wait for one still converting.
    bool TakePiece() {
        EmitFinished();
        if (window_.size() >= kMaxWaitingFiles && !running_.empty()) return false;
        ConversionPlan piece;
        while (!feedEnded_) {
            feedEnded_ = !feed_.next(piece);
            for (const std::string& warning : piece.warnings) {
                ClearProgress();
                WriteErrorLine(warning);
            }
            LeaveUnlocked(piece);
            if (piece.files.empty()) continue;
            std::vector<std::size_t> logs;
            for (const std::string& log : piece.logs) logs.push_back(OpenLog(log));
            RemoveAbandonedFiles(piece.files);
            order_.Add(emitted_ + window_.size(), piece.files);
            for (PlannedFile& file : piece.files) {
                const std::size_t log = file.log >= 0 ? logs[static_cast<std::size_t>(file.log)] : kNoLog;
                window_.push_back({std::move(file), {}, log});
            }
            return true;
        }
        return false;
    }

    // Leaves out the files of `piece` that would write into a folder that
    // was not locked: a folder that appeared after the run began.
    void LeaveUnlocked(ConversionPlan& piece) {
        const auto locked = [this](const std::string& path) {
            const std::filesystem::path parent = std::filesystem::path(path).parent_path();
            return lockedFolders_.contains(parent.empty() ? "." : parent.string());
        };
        std::erase_if(piece.files, [&](const PlannedFile& file) {
            const bool writes = file.error.empty() && !file.output.empty();
            if ((!writes || locked(file.output)) && (file.log < 0 || locked(piece.logs[static_cast<std::size_t>(file.log)])))
                return false;
            ClearProgress();
            WriteErrorLine(Formatted(Tr("%s: it appeared after the run began, where the run holds no lock; it is left "
                                        "for the next run"),
                                     file.input.c_str()));
            return true;
        });
    }

    // The index into logs_ of the conversion log `path`, opened in its
    // locked folder the first time; two spellings of one folder share one log.
    std::size_t OpenLog(const std::string& path) {
        if (const auto known = logIndex_.find(path); known != logIndex_.end()) return known->second;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const std::size_t index = logs_.size();
        if (error) {
            // Its files fail with the same cause when they are started.
            WriteErrorLine(Formatted(Tr("cannot create the folder %s: %s; its conversion log is not written"),
                                     folder.c_str(), SystemReason(error).c_str()));
            logs_.emplace_back();
            return logIndex_[path] = index;
        }
        const std::optional<FileIdentity> identity = IdentifyFile(folder.string());
        if (identity) {
            if (const auto same = logOfFolder_.find(*identity); same != logOfFolder_.end()) return logIndex_[path] = same->second;
            logOfFolder_.emplace(*identity, index);
        }
        ConversionLog& log = logs_.emplace_back();
        log.OpenInLockedFolder(folder.string() + "/");
        if (!log.IsOpen()) WriteErrorLine("cannot write the conversion log " + path + ": " + log.FailureReason());
        return logIndex_[path] = index;
    }

    // Removes the unfinished files that earlier runs, killed outright, left
    // of the outputs `files` write (and of their records), in each folder
    // where one of them is converted.
    static void RemoveAbandonedFiles(const std::vector<PlannedFile>& files) {
        std::map<std::filesystem::path, std::vector<std::string>> names;  // folder -> names written there
        std::set<std::filesystem::path> converted;
        for (const PlannedFile& file : files) {
            if (file.output.empty()) continue;
            const std::filesystem::path output(file.output);
            std::vector<std::string>& inFolder = names[output.parent_path()];
            inFolder.push_back(output.filename().string());
            inFolder.push_back(std::filesystem::path(OptionsRecordPath(file.output)).filename().string());
            if (file.error.empty() && !file.upToDate) converted.insert(output.parent_path());
        }
        for (const std::filesystem::path& folder : converted) {
            const std::filesystem::path existing = folder.empty() ? "." : folder;
            std::error_code error;
            if (std::filesystem::is_directory(existing, error)) RemoveAbandonedTemporaryFiles(existing.string(), names[folder]);
        }
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
        for (std::size_t busy = converting(); busy < static_cast<std::size_t>(settings_.jobs); busy = converting()) {
            if (order_.Empty() && !TakePiece()) return;
            StartFile(order_.Next());
        }
    }

    // Starts the worker of file `index`, or records why it cannot be
    // converted. The worker opens the song itself: the program's memory
    // stays as it was, so that what every worker inherits does not grow
    // with the files done before.
    void StartFile(std::size_t index) {
        const PlannedFile& file = At(index).file;
        if (!file.error.empty()) {
            Fail(index, {file.error});
            return;
        }
        if (file.upToDate) {
            At(index).outcome.done = true;
            Done(index, FileStatus::kSkipped);
            return;
        }
        auto worker = std::make_unique<ConversionWorker>(settings_.stallTimeout);
        worker->Start([this, file](ConversionUi& ui, UserReport& report, UserReport& notices) {
            ConvertFile(file, ui, report, notices);
        }, file.output);
        running_.push_back({index, std::move(worker)});
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
        Outcome& outcome = At(index).outcome;
        outcome.done = true;
        outcome.failed = true;
        outcome.lines = std::move(lines);
        TellFailure(index);
        Done(index, FileStatus::kFailed);
    }

    // Tells the caller what became of file `index`, with the figures of its worker when it ran one.
    void Done(std::size_t index, FileStatus status, const ConversionWorker* worker = nullptr) const {
        if (!settings_.onFileDone) return;
        const PlannedFile& file = At(index).file;
        const Outcome& outcome = At(index).outcome;
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
        const Outcome& outcome = At(index).outcome;
        ClearProgress();
        std::string line = FailureLine(At(index).file.input, outcome.lines, OutputFormat());
        if (!outcome.detail.empty()) line += " (" + outcome.detail + ")";
        std::fprintf(stderr, "%s\n", EscapeControlCharacters(line).c_str());
        allConverted_ = false;
    }

    // Takes the outcomes of the workers that have ended. While the run is
    // `stopping` or a stop signal is pending (the handler has already told
    // the workers to stop), a worker that did not finish its file leaves no
    // outcome: it was stopped, it did not fail.
    void PollWorkers(bool stopping = false) {
        for (auto it = running_.begin(); it != running_.end();) {
            ConversionWorker& worker = *it->worker;
            if (!worker.Poll()) {
                ++it;
                continue;
            }
            if ((stopping || PendingInterrupt() != 0) && worker.End() != WorkerEnd::kFinished) {
                it = running_.erase(it);
                continue;
            }
            Outcome& outcome = At(it->index).outcome;
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
        for (; !window_.empty(); window_.pop_front(), ++emitted_) {
            if (!window_.front().outcome.done) {
                if (!skipUnfinished) return;
                continue;
            }
            const PlannedFile& file = window_.front().file;
            const Outcome& outcome = window_.front().outcome;
            ClearProgress();
            const bool savedAs = !file.renamed.empty() && !outcome.failed;
            if (window_.front().log != kNoLog) {
                ConversionLog& log = logs_[window_.front().log];
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
            files.push_back({static_cast<int>(running.index + 1), FileName(At(running.index).file.input),
                             worker.Position(), worker.Length()});
            audioMs += worker.Position();
        }
        const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        const double factor = wallMs > 0 ? static_cast<double>(audioMs) / wallMs : 0.0;
        const std::string line = ProgressLine(files, static_cast<int>(feed_.files), factor, TerminalColumns() - 1);
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
    PlanFeed& feed_;
    const BatchSettings& settings_;
    std::deque<Slot> window_;  // the files taken whose entries are not written yet, from emitted_ on
    std::size_t emitted_ = 0;  // the files before this one have their entries written
    bool feedEnded_ = false;
    std::deque<ConversionLog> logs_;                   // one per output folder
    std::map<std::string, std::size_t> logIndex_;      // log path -> index into logs_
    std::map<FileIdentity, std::size_t> logOfFolder_;  // folder -> index into logs_
    OutputFolderLocks folderLocks_;                    // of every folder the run writes into
    std::set<std::string> lockedFolders_;              // those folders as the feed names them
    std::vector<Running> running_;
    StartOrder order_;
    bool allConverted_ = true;
    bool listFailed_ = false;
    bool lineShown_ = false;
    long long finishedMs_ = 0;
    Clock::time_point start_;
};

}  // namespace

PlanFeed FeedOf(const ConversionPlan& plan) {
    PlanFeed feed;
    feed.files = plan.files.size();
    const auto folderOf = [](const std::string& path) {
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        return parent.empty() ? std::string(".") : parent.string();
    };
    for (const std::string& log : plan.logs) feed.folders.push_back(folderOf(log));
    for (const PlannedFile& file : plan.files) {
        if (file.error.empty() && !file.output.empty()) feed.folders.push_back(folderOf(file.output));
    }
    feed.next = [&plan, given = false](ConversionPlan& piece) mutable {
        if (given) {
            piece = {};
            return false;
        }
        piece = plan;
        piece.warnings.clear();
        given = true;
        return true;
    };
    return feed;
}

bool RunParallelBatch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, PlanFeed& feed,
                      const BatchSettings& settings) {
    InstallInterruptCleanup();
    return Batch(dlg, renderSong, request, feed, settings).Run();
}
