// What happens when the program is stopped from outside (Ctrl-C, SIGTERM,
// a closed terminal): the worker processes are told to stop and given a
// short while to remove their unfinished files, every unfinished file the
// program itself is writing is removed, and the program exits with 128 +
// the signal's number. A second stop signal ends the program at once. A
// forked worker process forgets what it inherited (the other workers, the
// parent's files), removes only its own files when it is stopped and then
// dies by the signal that stopped it. A file-size limit (ulimit -f) makes a
// write fail with its error instead of killing the program.
#pragma once

#include <chrono>
#include <string>

// Installs the handlers for SIGINT, SIGTERM and SIGHUP (a signal that was
// ignored when the program started stays ignored) and ignores SIGXFSZ.
// Calling it again changes nothing.
void InstallInterruptCleanup();

// Ignores SIGPIPE: writing to a pipe whose reader is gone ("| head") then
// fails with its error, which the program reports, instead of ending it
// before it has written down what it finished.
void IgnoreBrokenPipes();

// Called in a freshly forked worker process: drops the parent's watched
// workers and unfinished files, installs the handlers (SIGTERM always: it is
// how the parent stops its workers) and ignores SIGPIPE, so that writing to
// a parent that is gone fails instead of killing the worker.
void BecomeWorkerProcess();

// How long an interrupted program waits for its workers to end after
// telling them to stop, before it kills them outright.
constexpr std::chrono::milliseconds kDefaultWorkerStopGrace{5000};
void SetWorkerStopGrace(std::chrono::milliseconds grace);

// While one of these exists, a first stop signal does not end the program:
// the workers are told to stop (SIGTERM) and PendingInterrupt() names the
// signal, so that the program's loop can finish its bookkeeping (write the
// entries of what finished) and then call ExitAfterInterrupt. A second stop
// signal still ends the program at once. When the last one ends with a stop
// signal pending that no one acted on, the program exits as ExitAfterInterrupt
// does: a stop that came just as the work ended is never lost.
class DeferredInterrupt {
public:
    DeferredInterrupt();
    ~DeferredInterrupt();
    DeferredInterrupt(const DeferredInterrupt&) = delete;
    DeferredInterrupt& operator=(const DeferredInterrupt&) = delete;
};

// The stop signal received so far, or 0.
int PendingInterrupt();

// Removes the watched unfinished files, says so on standard error and
// exits with 128 + `signalNumber`.
[[noreturn]] void ExitAfterInterrupt(int signalNumber);

// In a worker process whose last output is about to be put in place: stop
// signals from now on no longer end it, so that it always reports the file
// it has written (it is only exiting then; its parent waits for it when
// stopping). Does nothing in any other process.
void HoldStopSignalsInWorker();

// A worker process to stop when the program is interrupted: the handler
// sends it SIGTERM and waits a bounded time for it to end, so that the
// worker has removed its own unfinished files before the program exits.
// Only the process that watches the worker stops it.
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
