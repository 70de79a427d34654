// Child processes on fork, pipes and poll.
#include "platform/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

namespace {

constexpr int kChildSetupFailed = 127;
constexpr int kChildFailed = 126;  // the body threw
constexpr std::size_t kReadChunk = 4096;

struct Pipe {
    int read = -1;
    int write = -1;
    bool Open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void CloseBoth() {
        if (read >= 0) ::close(read);
        if (write >= 0) ::close(write);
        read = write = -1;
    }
};

// Reads what is there without blocking; closes `fd` (sets it to -1) at the end of the pipe.
void ReadAvailable(int& fd, std::string& into) {
    if (fd < 0) return;
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        ::close(fd);  // end of the pipe, or an error that ends it alike
        fd = -1;
        return;
    }
}

// In the child: forget what concerns the parent's other children, then let
// the parent's death send SIGTERM, whose handler removes the child's own
// unfinished files (see interrupt_cleanup.h).
void PrepareChild(int parent) {
    BecomeWorkerProcess();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(kChildSetupFailed);
}

// Runs `work` on a thread of its own and waits for it. The allocator gives
// a new thread a memory arena of its own, so that the child's allocations
// neither search nor write to the free blocks of the heap it shares with the
// parent: every page it touched there would be copied into the child, and
// the larger the parent's heap, the more of them there are. When no thread
// can be made, `work` runs here.
void RunOnFreshArena(const std::function<void()>& work) {
    try {
        std::thread(work).join();
    } catch (const std::system_error&) {
        work();
    }
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        Kill();
        Wait();
    }
    Close();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (pid_ > 0) {
            Kill();
            Wait();
        }
        Close();
        pid_ = other.pid_;
        other.interrupted_.Forget();
        if (pid_ > 0) interrupted_.Watch(pid_);
        messageFd_ = other.messageFd_;
        errorFd_ = other.errorFd_;
        inputFd_ = other.inputFd_;
        other.pid_ = other.messageFd_ = other.errorFd_ = other.inputFd_ = -1;
    }
    return *this;
}

ChildProcess ChildProcess::Start(const std::function<int(int messageFd)>& body) {
    return Launch([&body](int messageFd, int) { return body(messageFd); }, false);
}

ChildProcess ChildProcess::StartWithInput(const std::function<int(int messageFd, int inputFd)>& body) {
    return Launch(body, true);
}

ChildProcess ChildProcess::Launch(const std::function<int(int messageFd, int inputFd)>& body, bool withInput) {
    Pipe messages;
    Pipe errors;
    Pipe input;
    if (!messages.Open() || !errors.Open() || (withInput && !input.Open())) {
        messages.CloseBoth();
        errors.CloseBoth();
        input.CloseBoth();
        return {};
    }
    // The system rounds the size up to its smallest pipe, one page.
    if (withInput) ::fcntl(messages.read, F_SETPIPE_SZ, 1);
    const int parent = static_cast<int>(::getpid());
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t pid = ::fork();
    if (pid < 0) {
        messages.CloseBoth();
        errors.CloseBoth();
        input.CloseBoth();
        return {};
    }
    if (pid == 0) {
        PrepareChild(parent);
        ::close(messages.read);
        ::close(errors.read);
        if (input.write >= 0) ::close(input.write);
        if (input.read >= 0) ::fcntl(input.read, F_SETFL, ::fcntl(input.read, F_GETFL) | O_NONBLOCK);
        if (::dup2(errors.write, STDERR_FILENO) < 0) ::_exit(kChildSetupFailed);
        ::close(errors.write);
        // Nothing may unwind out of the child into the parent's objects
        // (whose destructors would stop the parent's other children), and
        // the parent's exit hooks are not the child's: it ends with _exit.
        int status = kChildFailed;
        RunOnFreshArena([&] {
            try {
                status = body(messages.write, input.read);
            } catch (...) {
            }
        });
        std::fflush(nullptr);
        ::_exit(status);
    }
    ::close(messages.write);
    ::close(errors.write);
    if (input.read >= 0) ::close(input.read);
    for (int fd : {messages.read, errors.read}) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ChildProcess child;
    child.pid_ = pid;
    child.interrupted_.Watch(pid);
    child.messageFd_ = messages.read;
    child.errorFd_ = errors.read;
    child.inputFd_ = input.write;
    return child;
}

void ChildProcess::CloseInput() {
    if (inputFd_ >= 0) ::close(inputFd_);
    inputFd_ = -1;
}

void ChildProcess::ReadMessages(std::string& into) { ReadAvailable(messageFd_, into); }

void ChildProcess::ReadSomeMessages(std::string& into, std::size_t most) {
    if (messageFd_ < 0 || most == 0) return;
    const std::size_t before = into.size();
    into.resize(before + most);
    ssize_t n = 0;
    do {
        n = ::read(messageFd_, into.data() + before, most);
    } while (n < 0 && errno == EINTR);
    into.resize(before + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        ::close(messageFd_);
        messageFd_ = -1;
    }
}
void ReadAvailableBytes(int& fd, std::string& into) { ReadAvailable(fd, into); }
void ChildProcess::ReadErrors(std::string& into) { ReadAvailable(errorFd_, into); }

void ChildProcess::Kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

void ChildProcess::Stop() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
}

ChildEnd ChildProcess::Wait() {
    ChildEnd end;
    if (pid_ <= 0) return end;
    interrupted_.Forget();  // before the reaping, after which the number may be reused
    int status = 0;
    rusage usage{};
    while (::wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    end.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (WIFSIGNALED(status)) {
        end.signaled = true;
        end.code = WTERMSIG(status);
    } else if (WIFEXITED(status)) {
        end.code = WEXITSTATUS(status);
    }
    return end;
}

void ChildProcess::Close() {
    CloseInput();
    if (messageFd_ >= 0) ::close(messageFd_);
    if (errorFd_ >= 0) ::close(errorFd_);
    messageFd_ = errorFd_ = -1;
}

bool WriteAllBytes(int fd, std::span<const char> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WaitForReadable(const std::vector<int>& fds, std::chrono::milliseconds timeout) {
    std::vector<pollfd> polled;
    for (int fd : fds) {
        if (fd >= 0) polled.push_back({fd, POLLIN, 0});
    }
    const int ready = ::poll(polled.data(), polled.size(), static_cast<int>(timeout.count()));
    return ready > 0;
}

std::string SignalDescription(int signal) {
    // The English description whatever the locale: it goes into conversion logs.
    const char* text = ::sigdescr_np(signal);
    return text != nullptr ? text : "signal " + std::to_string(signal);
}

bool IsStopSignal(int signal) { return signal == SIGTERM || signal == SIGINT || signal == SIGHUP || signal == SIGKILL; }
