// Stand-in for running one piece of work in a separate process: the child is
// a copy of the program made by fork, runs a function, and talks back through
// a pipe; its standard error goes to a second pipe. A child that crashes or
// hangs can be told apart and ended without taking the program down.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/interrupt_cleanup.h"

// How a child process ended.
struct ChildEnd {
    bool signaled = false;  // killed by a signal (then `code` is its number)
    int code = 0;           // exit status, or the signal's number
    double cpuSeconds = 0;  // processor time the child used, user and system
};

class ChildProcess {
public:
    ChildProcess() = default;
    // Kills and reaps a child that is still running.
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Forks a child that runs `body` with the write end of the message pipe
    // and ends with its result as exit status (126 when `body` throws),
    // never returning into the caller. The child forgets the parent's other
    // workers and unfinished files and gets SIGTERM when the parent dies.
    // `body` runs on a thread of the child with memory of its own, so that
    // the child's cost does not grow with the parent's heap. Nothing is started
    // (Started() false) when the pipes or the fork fail.
    static ChildProcess Start(const std::function<int(int messageFd)>& body);
    // The same, with a second pipe from the program to the child (`body`
    // gets its read end, InputFd() is the write end), and a message pipe
    // that holds only one page, so that a child streaming its results runs
    // at most that far ahead of the program's reading.
    static ChildProcess StartWithInput(const std::function<int(int messageFd, int inputFd)>& body);

    bool Started() const { return pid_ > 0; }
    int Pid() const { return pid_; }
    // Read ends of the message pipe and of the child's standard error; -1
    // once the child has closed them and everything has been read.
    int MessageFd() const { return messageFd_; }
    int ErrorFd() const { return errorFd_; }
    // Write end of the input pipe (StartWithInput), else -1.
    int InputFd() const { return inputFd_; }
    // Closes the input pipe: the child reads its end.
    void CloseInput();
    // Appends what can be read now from the message pipe or the error pipe,
    // without waiting; closes a pipe at its end.
    void ReadMessages(std::string& into);
    void ReadErrors(std::string& into);
    // Appends at most `most` bytes of the message pipe, without waiting; a
    // reader that takes only what it is ready for leaves the rest in the
    // pipe, which keeps a streaming child from running further ahead.
    void ReadSomeMessages(std::string& into, std::size_t most);
    // True when both pipes are at their end.
    bool PipesClosed() const { return messageFd_ < 0 && errorFd_ < 0; }
    // Ends the child at once (SIGKILL).
    void Kill();
    // Asks the child to stop (SIGTERM): it removes its unfinished files and ends.
    void Stop();
    // Waits for the child to end and reaps it.
    ChildEnd Wait();

private:
    static ChildProcess Launch(const std::function<int(int messageFd, int inputFd)>& body, bool withInput);
    void Close();
    int pid_ = -1;
    InterruptedWorker interrupted_;  // stops the child when the program is interrupted
    int messageFd_ = -1;
    int errorFd_ = -1;
    int inputFd_ = -1;
};


// Appends what can be read from the non-blocking `fd` now, without
// waiting; at the end of the pipe closes it and sets `fd` to -1.
void ReadAvailableBytes(int& fd, std::string& into);

// Writes all of `bytes` to `fd`, retrying interrupted and partial writes.
// False when the write fails (the reader is gone).
bool WriteAllBytes(int fd, std::span<const char> bytes);

// Waits until one of `fds` (entries of -1 are ignored) can be read or
// `timeout` has passed; returns whether anything is ready.
bool WaitForReadable(const std::vector<int>& fds, std::chrono::milliseconds timeout);

// The system's name of a signal ("Segmentation fault"), in English in
// every locale.
std::string SignalDescription(int signal);
// Whether `signal` is one that stops a process from outside (SIGTERM,
// SIGINT, SIGHUP, SIGKILL) rather than one raised by a fault.
bool IsStopSignal(int signal);
