// Signal handlers that stop the watched workers and remove the watched
// unfinished files. The handler may only use async-signal-safe calls (kill,
// waitpid, unlink, write, _exit), so the watched paths and workers live in
// fixed static slots that it reads without locking.
#include "platform/interrupt_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr int kExitBySignalBase = 128;  // the shell's convention: 130 for SIGINT, 143 for SIGTERM
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kWatchedFiles = 4;  // one conversion writes one file at a time

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

// Stops the workers this process watches and waits until they have ended.
void StopWorkers() {
    const pid_t self = ::getpid();
    for (WorkerSlot& worker : g_workers) {
        if (worker.pid > 0 && worker.owner == self) ::kill(worker.pid, SIGTERM);
    }
    for (WorkerSlot& worker : g_workers) {
        if (worker.pid > 0 && worker.owner == self) ::waitpid(worker.pid, nullptr, 0);
    }
}
volatile sig_atomic_t g_installed = 0;
volatile sig_atomic_t g_stderrIsTerminal = 0;

void WriteText(const char* text) {
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, text, left);
        if (written <= 0) return;
        text += written;
        left -= static_cast<std::size_t>(written);
    }
}

void OnStopSignal(int signalNumber) {
    // A progress line may be open on the terminal: end it first.
    if (g_stderrIsTerminal) WriteText("\n");
    StopWorkers();
    bool removedAny = false;
    for (Slot& slot : g_slots) {
        if (!slot.armed) continue;
        if (::unlink(slot.path) == 0) {
            WriteText("ombrix: interrupted; removed the unfinished file ");
            WriteText(slot.path);
            WriteText("\n");
            removedAny = true;
        }
    }
    if (!removedAny) WriteText("ombrix: interrupted\n");
    ::_exit(kExitBySignalBase + signalNumber);
}

}  // namespace

void InstallInterruptCleanup() {
    if (g_installed) return;
    g_installed = 1;
    g_stderrIsTerminal = ::isatty(STDERR_FILENO) ? 1 : 0;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigfillset(&action.sa_mask);  // one handler runs at a time
    for (const int signalNumber : kStopSignals) {
        struct sigaction previous {};
        // A signal ignored by whoever started the program (nohup) stays ignored.
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
    // Writing past a file-size limit then fails with EFBIG like a full disk.
    ::signal(SIGXFSZ, SIG_IGN);
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
