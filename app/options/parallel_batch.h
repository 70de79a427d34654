// The option command line's conversions: the program opens each input in
// turn (in input order) and hands the loaded song to a worker process, up to
// a number of workers at once. Results, log blocks and error lines come out
// in input order whatever finishes first, and each WAV file is the one an
// in-process conversion writes.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/options/conversion_plan.h"
#include "app/options/file_result.h"
#include "app/workers/conversion_worker.h"
#include "platform/interrupt_cleanup.h"

class COmbrixDlg;
class SongContainer;
struct ConversionRequest;

struct BatchSettings {
    int jobs = 1;               // conversions at once
    bool showProgress = false;  // the progress line on standard error
    bool printWritten = false;  // each written file's path on standard output
    std::chrono::milliseconds stallTimeout = kWorkerStallTimeout;
    std::function<void(const FileResult&)> onFileDone;  // called as soon as each file is done, if set
    // How long stopped workers may take to remove their files before they are killed.
    std::chrono::milliseconds stopGrace = kDefaultWorkerStopGrace;
    // Whether to wait while another run converts into one of the plan's log
    // folders; otherwise the run fails at once, converting nothing.
    bool waitForOtherRuns = true;
};

// Where a run's files come from: the pieces of a plan, one after another
// as the run needs more files to start.
struct PlanFeed {
    std::function<bool(ConversionPlan&)> next;  // fills in the next piece; false at the end
    std::size_t files = 0;                      // in all the pieces, for the progress line
    std::vector<std::string> folders;           // every folder the pieces write into
};

// The feed of the whole `plan` at once (borrowed for the feed's lifetime).
PlanFeed FeedOf(const ConversionPlan& plan);

// Converts every file of the pieces of `feed` with the options of `request`, opening each
// into `dlg` and rendering through `renderSong` in the workers; writes the
// pieces' logs (in input order) and one line on standard error per failed
// file as soon as the failure is known. A file whose output is up to date
// is skipped (and logged as converted); with --skip-up-to-date or --force the
// worker of each converted file writes its record. True when every file
// converted or was skipped and the list of written files could be printed
// (see BatchSettings). A stop signal ends the program after the entries of every
// finished file are written; running out of memory ends the run the same
// way, naming the file that was being opened. Every folder of the feed is
// locked before the first file starts. A piece's files are forgotten as soon
// as their entries are written. The objects are borrowed for the call.
bool RunParallelBatch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request, PlanFeed& feed,
                      const BatchSettings& settings);
