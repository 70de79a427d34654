// Converting a loaded song in a worker process. The worker is a copy of the
// program made when it starts, so it converts exactly the song and options
// of that moment and writes the same file an in-process conversion writes;
// a module that crashes or hangs costs that one song only. The worker sends
// its progress and report lines back through a pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "render/convert_song.h"

class ConversionUi;
class UserReport;

// Work done in a worker process: its progress goes to `ui`, its failures to
// `report`, and lines that are no failure (warnings) to `notices`.
using WorkerJob = std::function<void(ConversionUi& ui, UserReport& report, UserReport& notices)>;

// A worker that sends no progress for this long is ended.
constexpr std::chrono::seconds kWorkerStallTimeout{60};
// While its module loads, a worker says that it is alive for at most this
// long (a compressed SoundFont of 40 MB takes seconds, several minutes on
// a machine busy with other work); a module that hangs while loading is
// then ended by the stall timeout.
constexpr std::chrono::minutes kModuleLoadLimit{10};

// The log line of a conversion whose worker was killed by `signal`: a stop
// signal (SIGTERM, SIGINT, SIGHUP, SIGKILL) stopped it, any other crashed it.
std::string WorkerCrashedLine(int signal);
// The log line of a worker killed outright (SIGKILL) by no one in this
// program: most often the kernel, when memory ran out.
inline constexpr char kWorkerKilledLine[] = "Conversion crashed (killed (perhaps out of memory))";
// The log line of a conversion that ran out of memory.
inline constexpr char kOutOfMemoryLine[] = "Conversion failed (out of memory)";
// The log line of a worker that crashed once its address space had reached
// its limit of `limitBytes` (ulimit -v): an allocation failed where nothing
// checked for it.
std::string AddressSpaceCrashLine(std::uint64_t limitBytes);
// The log line of a conversion ended after `timeout` without progress.
std::string WorkerStalledLine(std::chrono::milliseconds timeout);

enum class WorkerEnd {
    kRunning,     // not over yet
    kFinished,    // the worker said that the conversion ran to its end (its reports say whether it failed)
    kCrashed,     // the worker died by a signal or ended without saying that it finished
    kStalled,     // the worker made no progress and was ended
    kNotStarted,  // no worker process could be made
};

class ConversionWorker {
public:
    explicit ConversionWorker(std::chrono::milliseconds stallTimeout = kWorkerStallTimeout,
                              std::chrono::milliseconds loadLimit = kModuleLoadLimit)
        : stallTimeout_(stallTimeout), loadLimit_(loadLimit) {}
    // A worker still running is killed and its unfinished file removed.
    ~ConversionWorker();
    ConversionWorker(ConversionWorker&&) = default;
    ConversionWorker& operator=(ConversionWorker&&) = delete;
    ConversionWorker(const ConversionWorker&) = delete;
    ConversionWorker& operator=(const ConversionWorker&) = delete;

    // Starts converting `source` into `outputPath` in a worker process, as
    // ConvertSongToWav does with `renderSong` and `peakDbfs`. The objects are
    // only read here: the worker has its own copy of them.
    void Start(const ConversionSource& source, SongContainer& renderSong, const std::string& outputPath,
               std::optional<double> peakDbfs);
    // The same, with the level and format of `output`, as ConvertSong does.
    void Start(const ConversionSource& source, SongContainer& renderSong, const std::string& outputPath,
               const OutputOptions& output);
    // Runs `job` in a worker process, which writes `outputPath` (whose
    // unfinished file is removed when the worker fails). The job may open
    // the song itself, so that the program's own memory stays as it was.
    void Start(const WorkerJob& job, const std::string& outputPath);
    // The pipes to wait on while the worker runs.
    std::vector<int> Fds() const { return {child_.MessageFd(), child_.ErrorFd()}; }
    // Takes what the worker sent; ends a worker that has been silent for
    // longer than the stall timeout; reaps a worker that has ended. True
    // once the conversion is over. Never waits for the worker, so a window's
    // main loop can call it whenever one of Fds() is readable or on a timer.
    bool Poll();
    // Tells a running worker to stop (SIGTERM); it removes its unfinished
    // file and Poll then reports it stopped.
    void Stop();
    // Kills a running worker and removes its unfinished file; the
    // conversion is then over as stopped by SIGKILL.
    void Kill();

    WorkerEnd End() const { return end_; }
    // True once the worker has said that its conversion ran to the end
    // (it may still be exiting).
    bool SentLastRecord() const { return done_; }
    // The conversion's report lines in order; a crash or stall adds its line.
    const std::vector<std::string>& Reports() const { return reports_; }
    // The notices the job sent, in order.
    const std::vector<std::string>& Notices() const { return notices_; }
    // What the worker wrote on its standard error.
    const std::string& ErrorOutput() const { return errors_; }
    // The render position and the song's length in ms, as last reported.
    int Position() const { return position_; }
    int Length() const { return length_; }
    // The processor time the worker used, once it has been reaped.
    double CpuSeconds() const { return cpuSeconds_; }
    // When the worker was started.
    std::chrono::steady_clock::time_point StartTime() const { return startTime_; }

private:
    void Finish(const ChildEnd& end);
    // Removes the unfinished file of a worker that was killed or crashed.
    void RemoveLeftovers() const;

    std::chrono::milliseconds stallTimeout_;
    std::chrono::milliseconds loadLimit_;
    ChildProcess child_;
    std::string outputPath_;
    std::string pending_;
    std::string errors_;
    std::vector<std::string> reports_;
    std::vector<std::string> notices_;
    bool done_ = false;  // the worker sent its final record
    bool killedHere_ = false;  // this program sent the worker SIGKILL
    WorkerEnd end_ = WorkerEnd::kNotStarted;
    int position_ = 0;
    int length_ = 0;
    double cpuSeconds_ = 0;
    std::chrono::steady_clock::time_point startTime_;
    std::chrono::steady_clock::time_point lastProgress_;
};

// Runs a started worker to its end, showing its progress through `ui`.
void WaitForWorker(ConversionWorker& worker, ConversionUi& ui);
