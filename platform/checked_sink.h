// The file descriptor a sound file is encoded into, handed to the sound file
// library as its own input/output: every write is checked, whole or not at
// all, and remembered, because the library's MPEG writer ignores failed
// writes and would leave a file cut short without a word.
#pragma once

#include <sndfile.h>

#include <cstdint>

class CheckedSink {
public:
    // Takes ownership of the open descriptor `fd`.
    explicit CheckedSink(int fd) : fd_(fd) {}
    // Closes the descriptor if Close was not called.
    ~CheckedSink();
    CheckedSink(const CheckedSink&) = delete;
    CheckedSink& operator=(const CheckedSink&) = delete;

    // The library's input/output calls, with this sink as their user data.
    static SF_VIRTUAL_IO& Calls();

    // The error number of the first failed call, 0 while none failed.
    int Error() const { return error_; }
    // Checks that the file holds every byte written to it and closes the
    // descriptor; false (Error() set) when bytes are missing or the close
    // fails.
    bool Close();

private:
    static sf_count_t Length(void* user);
    static sf_count_t Seek(sf_count_t offset, int whence, void* user);
    static sf_count_t Read(void* data, sf_count_t count, void* user);
    static sf_count_t Write(const void* data, sf_count_t count, void* user);
    static sf_count_t Tell(void* user);
    void Fail(int errorNumber);

    int fd_;
    int error_ = 0;
    std::int64_t end_ = 0;  // the end of the furthest write
};
