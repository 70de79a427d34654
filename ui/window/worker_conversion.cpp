// The conversion loop of the window: poll the worker, move the bar, run the
// window's events, and stop the worker when the user cancels.
#include "ui/window/worker_conversion.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "app/workers/output_folder_lock.h"
#include "platform/child_process.h"
#include "platform/standard_error.h"
#include "platform/temporary_file.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"
#include "render/progress_text.h"
#include "ui/window/format_titles.h"
#include "ui/window/window_messages.h"

namespace {

// The bar's range: the worker's position is shown in thousandths of the
// song, since the song's length is known only once the worker has begun.
constexpr int kBarSteps = 1000;
// How long the loop waits for the worker before it runs the window's events
// again; short enough that Cancel and repaints answer at once.
constexpr std::chrono::milliseconds kWaitSlice{10};

// Shows the worker's progress while it runs; false when the user cancelled.
bool FollowWorker(ConversionWorker& worker, ConversionUi& ui) {
    std::string text;
    while (!worker.Poll()) {
        if (worker.Length() > 0) {
            const long long permille = static_cast<long long>(worker.Position()) * kBarSteps / worker.Length();
            ui.SetProgressPosition(static_cast<int>(permille));
            std::string now = ProgressPercentText(worker.Position(), 0, worker.Length());
            if (now != text) ui.SetProgressText(text = std::move(now));
        }
        ui.PumpEvents();
        if (ui.CancelRequested()) return false;
        WaitForReadable(worker.Fds(), kWaitSlice);
    }
    return true;
}

// The message boxes of a conversion that has ended: its reports, the first
// with the worker's explanation; a crash or a stall says so under the
// failure's own text.
void ShowOutcome(const ConversionWorker& worker, AudioFormat format, WindowMessages& messages) {
    // What the worker wrote on standard error goes there too, as it did before the worker.
    std::fputs(worker.ErrorOutput().c_str(), stderr);
    std::vector<std::string> reports = worker.Reports();
    std::string explanation = ErrorLinesText(worker.ErrorOutput(), "\n");
    if ((worker.End() == WorkerEnd::kCrashed || worker.End() == WorkerEnd::kStalled) && !reports.empty()) {
        if (!explanation.empty()) explanation += '\n';
        explanation += reports.back() + ".\n" + Tr("No file was written; an earlier file of that name is kept.");
        reports.back() = kWaveFileFailedMessage;
    }
    for (std::string& report : reports) {
        // The failure names the format that was chosen.
        if (report == kWaveFileFailedMessage) report = FileNotCreatedText(format);
        messages.Explain(report, explanation);
        explanation.clear();
    }
}

}  // namespace


bool ConvertInWorker(const ConversionSource& source, SongContainer& renderSong, const std::string& path,
                     OutputOptions choices, ConversionUi& ui, WindowMessages& messages, std::chrono::milliseconds stallTimeout) {
    // Held until the worker has ended: no other run writes into the folder meanwhile.
    FolderLock folderLock;
    if (!LockOutputFolder(path, folderLock)) {
        messages.Explain(Formatted(Tr("Another conversion is writing into the folder %s."), OutputFolderOf(path).c_str()),
                         Tr("Nothing was written. Convert again when the other conversion has finished."));
        return false;
    }
    // Unfinished files of earlier runs that were killed outright.
    RemoveAbandonedTemporaryFilesOf(path);
    InstallInterruptCleanup();
    auto worker = std::make_unique<ConversionWorker>(stallTimeout);
    OutputOptions output = std::move(choices);
    output.encoding = EncodingForPath(path);
    worker->Start(source, renderSong, path, output);
    ui.NameProgress(source.name, path, output.encoding.format);
    ui.OpenProgress(0, kBarSteps);
    const bool finished = FollowWorker(*worker, ui);
    if (!finished) {
        // Stopping the worker kills it; its unfinished file is then abandoned.
        worker.reset();
        RemoveAbandonedTemporaryFilesOf(path);
    }
    ui.CloseProgress();
    if (!finished) return false;
    ShowOutcome(*worker, output.encoding.format, messages);
    return worker->End() == WorkerEnd::kFinished && worker->Reports().empty();
}
