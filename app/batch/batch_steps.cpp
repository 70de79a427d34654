// The batch's real steps and its terminal progress line.
#include "app/batch/batch_steps.h"

#include <cstdio>

#include "app/batch/silent_output.h"
#include "app/workers/conversion_worker.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "platform/display.h"

namespace {

constexpr char kClearToLineEnd[] = "\033[K";

}  // namespace

BatchProgressUi::BatchProgressUi() : toTerminal_(StandardErrorIsTerminal()) {}

void BatchProgressUi::OpenProgress(int, int) {
    text_.clear();
    lineOpen_ = toTerminal_;
}

void BatchProgressUi::SetProgressText(const std::string& text) {
    if (!lineOpen_ || text == text_) return;
    text_ = text;
    std::fprintf(stderr, "\r%s %s%s", fileName_.c_str(), text_.c_str(), kClearToLineEnd);
    std::fflush(stderr);
}

void BatchProgressUi::CloseProgress() {
    if (lineOpen_) std::fputc('\n', stderr);
    lineOpen_ = false;
}

void ProgramBatchSteps::OpenSong(const std::string& path, UserReport& report) {
    OpenMidiFile(dlg_, path, report);
    progress_.SetFileName(path.substr(path.rfind('/') + 1));
}

void ProgramBatchSteps::ConvertSong(const std::string& path, UserReport& report) {
    ConversionWorker worker;
    worker.Start([this, &path](ConversionUi& ui, UserReport& workerReport, UserReport&) {
        const ConversionResult result = ::ConvertSong(dlg_.ConversionInput(), renderSong_, path, ui, workerReport, {});
        // A silent file is written all the same, and its log entry says so.
        if (result.written && !result.audible) workerReport.Report(SilentOutputLine(dlg_.m_songOptions));
    }, path);
    WaitForWorker(worker, progress_);
    std::fputs(worker.ErrorOutput().c_str(), stderr);
    for (const std::string& line : worker.Reports()) report.Report(line);
}
