// The conversion log file and the program-wide access to it during a batch.
#include "app/batch/conversion_log.h"

#include <cerrno>
#include <cstring>

#include "app/batch/silent_output.h"
#include "app/song/path_limits.h"
#include "platform/locked_file.h"
#include "platform/message_box.h"
#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include "platform/text_viewer.h"
#include "platform/translation.h"

ConversionLog* g_pConversionLog = nullptr;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kLogNotWritten =
    "他のプロセスが使用中のため、logファイルの書き出しが行なえませんでした。";

}  // namespace

void ConversionLog::Open(const std::string& outputFolder, bool wait) {
    path_ = outputFolder + std::string(kConversionLogName);
    failure_.clear();
    lockedByAnother_ = false;
    if (!FitsPathBuffer(path_)) {
        failure_ = "the path is longer than " + std::to_string(kMaxPath - 1) + " bytes";
        return;
    }
    int error = 0;
    const auto sayWaiting = [this] {
        WriteErrorLine(Formatted(Tr("another run is converting into %s; waiting for it to finish"),
                                 path_.substr(0, path_.size() - kConversionLogName.size()).c_str()));
    };
    file_.reset(OpenLockedForWriting(path_, wait ? LockWait::kWait : LockWait::kNoWait, sayWaiting, error));
    if (file_) return;
    failure_ = SystemReason(error);
    lockedByAnother_ = IsLockedByAnother(error);
}

void ConversionLog::AppendLine(std::string_view text) {
    if (!file_) return;
    // One line per item: a line break inside a file name must not split it.
    const std::string line = EscapeControlCharacters(text);
    std::fwrite(line.data(), 1, line.size(), file_.get());
    std::fwrite(kLineEnd.data(), 1, kLineEnd.size(), file_.get());
    // Each line reaches the file at once: an interrupted batch keeps the
    // entries of what it has done, and a forked conversion inherits no
    // pending bytes to write a second time.
    if (std::fflush(file_.get()) != 0 && failure_.empty()) failure_ = SystemReason(errno);
}

bool ConversionLog::Close() {
    if (!file_) return false;
    const bool writeFailed = std::ferror(file_.get()) != 0;
    const bool closeFailed = std::fclose(file_.release()) != 0;
    if (closeFailed && failure_.empty()) failure_ = SystemReason(errno);
    return !writeFailed && !closeFailed;
}

void OpenConversionLog(const std::string& outputFolder) {
    if (g_pConversionLog) g_pConversionLog->Open(outputFolder);
}

void AppendLogLine(std::string_view text) {
    if (g_pConversionLog) g_pConversionLog->AppendLine(text);
}

bool CloseConversionLog() {
    if (!g_pConversionLog) return false;
    if (!g_pConversionLog->Close()) {
        ShowMessageBox(kLogNotWritten);
        WriteErrorLine("the log " + g_pConversionLog->Path() + " could not be written: " +
                       g_pConversionLog->FailureReason());
        return false;
    }
    OpenTextViewer(g_pConversionLog->Path());
    return true;
}

void ConversionLogReport::Report(std::string_view text) {
    ++count_;
    silentOutput_ = text.starts_with(kSilentOutputPrefix);
    AppendLogLine(text);
}
