// Termination signals noted in a flag by a handler without SA_RESTART, so
// that poll and waitpid return with EINTR.
#include "platform/termination_signals.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t g_caught = 0;

extern "C" void NoteSignal(int signal) {
    if (g_caught == 0) g_caught = signal;
}

}  // namespace

void CatchTerminationSignals() {
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int CaughtTerminationSignal() { return g_caught; }
