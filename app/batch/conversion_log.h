// The batch conversion's log "CreateLog.log": one line per message, each
// ended by CR LF, no header. While a batch runs, g_pConversionLog points at
// its log and AppendLogLine is where import and conversion errors go.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/folder_lock.h"
#include "platform/user_report.h"

// The log's file name inside the batch's output folder.
constexpr std::string_view kConversionLogName = "CreateLog.log";

class ConversionLog {
public:
    // Creates (or empties) the log in `outputFolder`, which ends with "/".
    // One run at a time writes into a folder: the folder is locked (see
    // folder_lock.h) until the log is closed, and a second run waits for
    // the first, saying so once on standard error. The log stays closed
    // when the file cannot be created, when something other than a regular
    // file (a link, a FIFO) is in its place, or when its path does not fit
    // a path buffer.
    void Open(const std::string& outputFolder);
    // The same in a folder that the caller has locked for as long as the log is open.
    void OpenInLockedFolder(const std::string& outputFolder);
    // Writes `text` (control characters escaped, so it stays one line) and
    // CR LF to the file at once while the log is open; otherwise does nothing.
    void AppendLine(std::string_view text);
    // Closes the file and unlocks the folder; false when the file was not
    // open or a write failed.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    // The log's path; empty until Open has been called.
    const std::string& Path() const { return path_; }
    // Why the log could not be created or written (the system's reason), or
    // empty while nothing has failed.
    const std::string& FailureReason() const { return failure_; }

private:
    // Opens the file at path_ once the folder is locked; `tooLong` is why it cannot be, if it cannot.
    void OpenFile(const std::string& tooLong);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    FolderLock lock_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string path_;
    std::string failure_;
};

// The log of the running batch, or null outside a batch. Borrowed: the batch
// owns the log.
extern ConversionLog* g_pConversionLog;

// Opens the running batch's log in `outputFolder` (ending with "/").
void OpenConversionLog(const std::string& outputFolder);
// Appends one line to the running batch's log when it is open.
void AppendLogLine(std::string_view text);
// Closes the running batch's log and shows it to the user; when it could not
// be written, says so instead. Returns true when the log was written.
bool CloseConversionLog();

// Reports go into the running batch's log; counts them so the batch can tell
// whether a file went through without error.
class ConversionLogReport final : public UserReport {
public:
    void Report(std::string_view text) override;
    int Count() const { return count_; }
    // Whether the only line reported so far says that the output is silent
    // (the file was written all the same).
    bool OnlySilentOutput() const { return count_ == 1 && silentOutput_; }

private:
    int count_ = 0;
    bool silentOutput_ = false;
};
