// Signal handlers that stop the watched workers and remove the watched
// unfinished files. The handler may only use async-signal-safe calls (kill,
// waitpid, nanosleep, unlink, write, _exit), so the watched paths and
// workers live in fixed static slots that it reads without locking. Every
// wait in the handler is bounded: a worker that does not end when told is
// killed, and a second signal interrupts the handler and ends the program.
#include "platform/interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr int kExitBySignalBase = 128;  // the shell's convention: 130 for SIGINT, 143 for SIGTERM
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kWatchedFiles = 4;  // one conversion writes one file at a time
constexpr long kReapStepNs = 10'000'000;  // 10 ms between looks at the workers
constexpr long kKilledReapMs = 1000;      // how long a killed worker may take to be reaped

struct Slot {
    char path[PATH_MAX] = {};
    volatile sig_atomic_t armed = 0;
};
std::array<Slot, kWatchedFiles> g_slots;

constexpr std::size_t kWatchedWorkers = 64;  // the most conversions that run at once
struct WorkerSlot {
    volatile sig_atomic_t pid = 0;
    volatile sig_atomic_t owner = 0;  // the process that watches it
};
std::array<WorkerSlot, kWatchedWorkers> g_workers;

volatile sig_atomic_t g_installed = 0;
volatile sig_atomic_t g_stderrIsTerminal = 0;
volatile sig_atomic_t g_isWorker = 0;
volatile sig_atomic_t g_deferDepth = 0;
volatile sig_atomic_t g_stopSignal = 0;
volatile sig_atomic_t g_graceMs = static_cast<sig_atomic_t>(kDefaultWorkerStopGrace.count());

void WriteText(const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, text, left);
        if (written <= 0) return;
        text += written;
        left -= static_cast<std::size_t>(written);
    }
}

bool Watched(const WorkerSlot& worker, pid_t self) { return worker.pid > 0 && worker.owner == self; }

void SignalWorkers(int signalNumber) {
    const pid_t self = ::getpid();
    for (WorkerSlot& worker : g_workers) {
        if (Watched(worker, self)) ::kill(worker.pid, signalNumber);
    }
}

// Reaps the watched workers that have ended, for at most `limitMs`; true
// when none is left.
bool ReapWorkers(long limitMs) {
    const pid_t self = ::getpid();
    for (long waitedNs = 0;; waitedNs += kReapStepNs) {
        bool left = false;
        for (WorkerSlot& worker : g_workers) {
            if (!Watched(worker, self)) continue;
            const pid_t pid = worker.pid;
            const pid_t reaped = ::waitpid(pid, nullptr, WNOHANG);
            if (reaped == pid || reaped < 0) {
                worker.pid = 0;
            } else {
                left = true;
            }
        }
        if (!left) return true;
        if (waitedNs >= limitMs * 1'000'000) return false;
        const timespec step{0, kReapStepNs};
        ::nanosleep(&step, nullptr);
    }
}

// Tells the workers to stop, gives them the grace period to remove their
// files, then kills the ones still there.
void StopWorkers() {
    SignalWorkers(SIGTERM);
    if (ReapWorkers(g_graceMs)) return;
    SignalWorkers(SIGKILL);
    ReapWorkers(kKilledReapMs);
}

// Removes the watched files; true when one was removed.
bool RemoveWatchedFiles(bool tell) {
    bool removedAny = false;
    for (Slot& slot : g_slots) {
        if (!slot.armed) continue;
        if (::unlink(slot.path) == 0) {
            if (tell) {
                WriteText("ombrix: interrupted; removed the unfinished file ");
                WriteText(slot.path);
                WriteText("\n");
            }
            removedAny = true;
        }
    }
    return removedAny;
}

// A worker ends by the signal that stopped it, so that its parent can tell
// a stop from a failure.
[[noreturn]] void DieBySignal(int signalNumber) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(signalNumber, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::kill(::getpid(), signalNumber);
    ::_exit(kExitBySignalBase + signalNumber);
}

void OnStopSignal(int signalNumber) {
    if (g_isWorker) {
        RemoveWatchedFiles(false);  // the parent reports the stop
        DieBySignal(signalNumber);
    }
    if (g_stopSignal != 0) {
        // A second stop while the first is handled: end now.
        SignalWorkers(SIGKILL);
        RemoveWatchedFiles(true);
        WriteText("ombrix: stopped at once\n");
        ::_exit(kExitBySignalBase + signalNumber);
    }
    g_stopSignal = signalNumber;
    // A progress line may be open on the terminal: end it first.
    if (g_stderrIsTerminal) WriteText("\n");
    if (g_deferDepth > 0) {
        SignalWorkers(SIGTERM);
        return;
    }
    StopWorkers();
    ExitAfterInterrupt(signalNumber);
}

void InstallHandlers(bool forceTerm) {
    g_stderrIsTerminal = ::isatty(STDERR_FILENO) ? 1 : 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_NODEFER;  // a second signal reaches the handler while it waits
    for (const int signalNumber : kStopSignals) {
        struct sigaction previous {};
        // A signal ignored by whoever started the program (nohup) stays ignored.
        const bool ignored = ::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN;
        if (ignored && !(forceTerm && signalNumber == SIGTERM)) continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
    // Writing past a file-size limit then fails with EFBIG like a full disk.
    ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace

void InstallInterruptCleanup() {
    if (g_installed) return;
    g_installed = 1;
    InstallHandlers(false);
}

void IgnoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }

void BecomeWorkerProcess() {
    for (WorkerSlot& worker : g_workers) worker.pid = 0;
    for (Slot& slot : g_slots) slot.armed = 0;
    g_deferDepth = 0;
    g_stopSignal = 0;
    g_isWorker = 1;
    g_installed = 1;
    InstallHandlers(true);
    ::signal(SIGPIPE, SIG_IGN);
}

void SetWorkerStopGrace(std::chrono::milliseconds grace) { g_graceMs = static_cast<sig_atomic_t>(grace.count()); }

DeferredInterrupt::DeferredInterrupt() { g_deferDepth = g_deferDepth + 1; }
DeferredInterrupt::~DeferredInterrupt() {
    g_deferDepth = g_deferDepth - 1;
    // A signal after this point is handled at once; one before it is seen here.
    if (g_deferDepth == 0 && g_stopSignal != 0) ExitAfterInterrupt(g_stopSignal);
}

int PendingInterrupt() { return g_stopSignal; }

void ExitAfterInterrupt(int signalNumber) {
    StopWorkers();  // those still watched; the deferred loop has usually ended them already
    if (!RemoveWatchedFiles(true)) WriteText("ombrix: interrupted\n");
    ::_exit(kExitBySignalBase + signalNumber);
}

void HoldStopSignalsInWorker() {
    if (!g_isWorker) return;
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kStopSignals) sigaddset(&set, signalNumber);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

bool UnfinishedFile::Watch(const std::string& path) {
    Forget();
    if (path.size() >= PATH_MAX) return false;
    for (std::size_t i = 0; i < g_slots.size(); ++i) {
        Slot& slot = g_slots[i];
        if (slot.armed) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        // The path must be complete before the handler may read it.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        slot.armed = 1;
        slot_ = static_cast<int>(i);
        return true;
    }
    return false;
}

void UnfinishedFile::Forget() {
    if (slot_ < 0) return;
    g_slots[static_cast<std::size_t>(slot_)].armed = 0;
    slot_ = -1;
}

bool InterruptedWorker::Watch(int pid) {
    Forget();
    for (std::size_t i = 0; i < g_workers.size(); ++i) {
        WorkerSlot& worker = g_workers[i];
        if (worker.pid > 0) continue;
        worker.owner = ::getpid();
        std::atomic_signal_fence(std::memory_order_seq_cst);
        worker.pid = pid;
        slot_ = static_cast<int>(i);
        return true;
    }
    return false;
}

void InterruptedWorker::Forget() {
    if (slot_ < 0) return;
    g_workers[static_cast<std::size_t>(slot_)].pid = 0;
    slot_ = -1;
}
