// The option command line's conversions: the program opens each input in
// turn (in input order) and hands the loaded song to a worker process, up to
// a number of workers at once. Results, log blocks and error lines come out
// in input order whatever finishes first, and each WAV file is the one an
// in-process conversion writes.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "app/options/conversion_plan.h"
#include "app/options/file_result.h"
#include "app/workers/conversion_worker.h"

class COmbrixDlg;
class SongContainer;
struct ConversionRequest;

struct BatchSettings {
    int jobs = 1;               // conversions at once
    bool showProgress = false;  // the progress line on standard error
    bool printWritten = false;  // each written WAV file's path on standard output
    std::chrono::milliseconds stallTimeout = kWorkerStallTimeout;
    std::function<void(const FileResult&)> onFileDone;  // called as soon as each file is done, if set
};

// Converts every file of `plan` with the options of `request`, opening each
// into `dlg` and rendering through `renderSong` in the workers; writes the
// plan's logs and one line on standard error per failed file. A file whose
// output is up to date is skipped (and logged as converted). True when
// every file converted or was skipped. The objects are borrowed for the call.
bool RunParallelBatch(COmbrixDlg& dlg, SongContainer& renderSong, const ConversionRequest& request,
                      const ConversionPlan& plan, const BatchSettings& settings);
