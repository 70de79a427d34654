// What happens when the program is stopped from outside (Ctrl-C, SIGTERM,
// a closed terminal): every unfinished file it is writing is removed, and
// the program exits with 128 + the signal's number. The handlers and the
// list of unfinished files are inherited by a forked process, which then
// removes its own files. A file-size limit (ulimit -f) makes a write fail
// with its error instead of killing the program.
#pragma once

#include <string>

// Installs the handlers for SIGINT, SIGTERM and SIGHUP and ignores SIGXFSZ.
// Calling it again changes nothing.
void InstallInterruptCleanup();

// A worker process to stop when the program is interrupted: the handler
// sends it SIGTERM and waits for it to end, so that the worker has removed
// its own unfinished files before the program exits. Only the process that
// watches the worker stops it.
class InterruptedWorker {
public:
    InterruptedWorker() = default;
    ~InterruptedWorker() { Forget(); }
    InterruptedWorker(const InterruptedWorker&) = delete;
    InterruptedWorker& operator=(const InterruptedWorker&) = delete;

    // Stops process `pid` on interrupt from now on. False when too many
    // workers are watched at once; that one then only gets the SIGTERM
    // that its parent's death sends it.
    bool Watch(int pid);
    // Stops watching the worker (before it is reaped).
    void Forget();

private:
    int slot_ = -1;
};

// One unfinished file to remove if the program is interrupted while it is
// being written. The file is left alone once the guard forgets it.
class UnfinishedFile {
public:
    UnfinishedFile() = default;
    ~UnfinishedFile() { Forget(); }
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

    // Removes `path` on interrupt from now on (replacing what was watched
    // before). False when the path is too long or too many files are
    // watched at once; the file is then not removed on interrupt.
    bool Watch(const std::string& path);
    // Stops watching the file.
    void Forget();

private:
    int slot_ = -1;
};
