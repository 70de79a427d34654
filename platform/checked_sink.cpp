// Checked sound file output on a POSIX descriptor.
#include "platform/checked_sink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

CheckedSink::~CheckedSink() {
    if (fd_ >= 0) ::close(fd_);
}

SF_VIRTUAL_IO& CheckedSink::Calls() {
    static SF_VIRTUAL_IO calls{&Length, &Seek, &Read, &Write, &Tell};
    return calls;
}

void CheckedSink::Fail(int errorNumber) {
    if (error_ == 0) error_ = errorNumber != 0 ? errorNumber : EIO;
}

bool CheckedSink::Close() {
    if (fd_ < 0) return error_ == 0;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Fail(errno);
    } else if (info.st_size < end_) {
        Fail(EIO);  // the file is shorter than what was written into it
    }
    if (::close(fd_) != 0) Fail(errno);
    fd_ = -1;
    return error_ == 0;
}

sf_count_t CheckedSink::Length(void* user) {
    auto& sink = *static_cast<CheckedSink*>(user);
    struct stat info {};
    if (::fstat(sink.fd_, &info) != 0) {
        sink.Fail(errno);
        return -1;
    }
    return info.st_size;
}

sf_count_t CheckedSink::Seek(sf_count_t offset, int whence, void* user) {
    auto& sink = *static_cast<CheckedSink*>(user);
    const off_t at = ::lseek(sink.fd_, offset, whence);
    if (at < 0) sink.Fail(errno);
    return at;
}

sf_count_t CheckedSink::Read(void* data, sf_count_t count, void* user) {
    auto& sink = *static_cast<CheckedSink*>(user);
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(sink.fd_, static_cast<char*>(data) + done, static_cast<std::size_t>(count - done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += got;
    }
    return done;
}

sf_count_t CheckedSink::Write(const void* data, sf_count_t count, void* user) {
    auto& sink = *static_cast<CheckedSink*>(user);
    // Once a write failed the file is broken: nothing more goes in.
    if (sink.error_ != 0) return 0;
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t put = ::write(sink.fd_, static_cast<const char*>(data) + done, static_cast<std::size_t>(count - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            sink.Fail(put < 0 ? errno : ENOSPC);
            break;
        }
        done += put;
    }
    const off_t at = ::lseek(sink.fd_, 0, SEEK_CUR);
    if (at >= 0) sink.end_ = std::max<std::int64_t>(sink.end_, at);
    return done;
}

sf_count_t CheckedSink::Tell(void* user) {
    auto& sink = *static_cast<CheckedSink*>(user);
    const off_t at = ::lseek(sink.fd_, 0, SEEK_CUR);
    if (at < 0) sink.Fail(errno);
    return at;
}
