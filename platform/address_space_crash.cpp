// The crash handler reads the peak address space from /proc/self/status
// with async-signal-safe calls only (open, read, write, raise) into fixed
// static buffers, on a stack of its own.
#include "platform/address_space_crash.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS};
constexpr std::size_t kNoteBytes = 512;
constexpr std::size_t kStatusBytes = 4096;
constexpr char kPeakField[] = "\nVmPeak:";  // in kB

std::array<char, kNoteBytes> g_note;
std::size_t g_noteSize = 0;
int g_noteFd = -1;
std::uint64_t g_limit = 0;
std::array<char, kStatusBytes> g_status;
alignas(16) std::array<char, 64 * 1024> g_crashStack;

// The VmPeak field of /proc/self/status in bytes, or 0.
std::uint64_t ReadPeak() {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t size = 0;
    for (ssize_t got; size < g_status.size() - 1 &&
                      (got = ::read(fd, g_status.data() + size, g_status.size() - 1 - size)) > 0;) {
        size += static_cast<std::size_t>(got);
    }
    ::close(fd);
    g_status[size] = '\0';
    const char* field = std::strstr(g_status.data(), kPeakField);
    if (field == nullptr) return 0;
    std::uint64_t kilobytes = 0;
    for (const char* c = field + sizeof kPeakField - 1; *c != '\n' && *c != '\0'; ++c) {
        if (*c >= '0' && *c <= '9') kilobytes = kilobytes * 10 + static_cast<std::uint64_t>(*c - '0');
    }
    return kilobytes * 1024;
}

void OnCrash(int signalNumber) {
    // SA_RESETHAND has put the default action back: the signal raised below ends the process.
    if (ReadPeak() + kAddressSpaceMargin >= g_limit) {
        for (std::size_t done = 0; done < g_noteSize;) {
            const ssize_t written = ::write(g_noteFd, g_note.data() + done, g_noteSize - done);
            if (written <= 0) break;
            done += static_cast<std::size_t>(written);
        }
    }
    ::raise(signalNumber);
}

}  // namespace

std::optional<std::uint64_t> AddressSpaceLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    return static_cast<std::uint64_t>(limit.rlim_cur);
}

void NoteCrashAtAddressSpaceLimit(int fd, const std::string& note, std::uint64_t limit) {
    g_noteSize = std::min(note.size(), g_note.size());
    std::memcpy(g_note.data(), note.data(), g_noteSize);
    g_noteFd = fd;
    g_limit = limit;
    stack_t stack{};
    stack.ss_sp = g_crashStack.data();
    stack.ss_size = g_crashStack.size();
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = OnCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK | SA_RESETHAND | SA_NODEFER;
    for (const int signalNumber : kCrashSignals) ::sigaction(signalNumber, &action, nullptr);
}
