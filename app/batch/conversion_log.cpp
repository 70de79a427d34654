// The conversion log file and the program-wide access to it during a batch.
#include "app/batch/conversion_log.h"

#include <cerrno>
#include <cstring>

#include "app/batch/silent_output.h"
#include "app/song/path_limits.h"
#include "platform/folder_lock.h"
#include "platform/message_box.h"
#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include "platform/text_viewer.h"
#include "platform/translation.h"
#include "platform/whole_file.h"

ConversionLog* g_pConversionLog = nullptr;

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kLogNotWritten =
    "他のプロセスが使用中のため、logファイルの書き出しが行なえませんでした。";

}  // namespace

namespace {

// Why the log's `path` cannot be used, or empty when it fits a path buffer.
std::string TooLongReason(const std::string& path) {
    return FitsPathBuffer(path) ? std::string() : "the path is longer than " + std::to_string(kMaxPath - 1) + " bytes";
}

}  // namespace

void ConversionLog::Open(const std::string& outputFolder) {
    path_ = outputFolder + std::string(kConversionLogName);
    failure_.clear();
    int error = 0;
    const auto sayWaiting = [&outputFolder] {
        WriteErrorLine(Formatted(Tr("another run is converting into %s; waiting for it to finish"), outputFolder.c_str()));
    };
    const std::string tooLong = TooLongReason(path_);
    // The folder is locked before the log is emptied: the other run's lines
    // are never mixed with ours. A log whose path is too long still locks it.
    if (!lock_.Acquire(outputFolder, LockWait::kWait, LockShare::kAlone, sayWaiting, error)) {
        failure_ = tooLong.empty() ? SystemReason(error) : tooLong;
        return;
    }
    OpenFile(tooLong);
}

void ConversionLog::OpenInLockedFolder(const std::string& outputFolder) {
    path_ = outputFolder + std::string(kConversionLogName);
    failure_.clear();
    OpenFile(TooLongReason(path_));
}

void ConversionLog::OpenFile(const std::string& tooLong) {
    if (!tooLong.empty()) {
        failure_ = tooLong;
        return;
    }
    int error = 0;
    // A link planted in the log's place is not written through.
    file_.reset(OpenForRewriting(path_, error));
    if (!file_) failure_ = SystemReason(error);
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
    if (!file_) {
        lock_.Release();
        return false;
    }
    const bool writeFailed = std::ferror(file_.get()) != 0;
    const bool closeFailed = std::fclose(file_.release()) != 0;
    if (closeFailed && failure_.empty()) failure_ = SystemReason(errno);
    // Only now: the folder stays locked until the log is complete.
    lock_.Release();
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
