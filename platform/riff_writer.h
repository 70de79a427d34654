// Writer of RIFF files with the create/ascend shape of the multimedia file
// I/O it stands in for: a chunk is created with a provisional size and its
// size is patched when the writer ascends out of it. Every write is checked.
// The file is written under a temporary name in the target's folder, locked
// while it is open, and only renamed over the target by Commit, so a failed
// or abandoned file never replaces an existing one. While it is written, an interrupt of the program
// removes it (see interrupt_cleanup.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/temporary_file.h"

// Builds a four-character code from its text ("WAVE").
constexpr std::uint32_t MakeFourCC(const char (&text)[5]) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[3])) << 24);
}

// The largest file a RIFF size field can describe.
constexpr std::uint64_t kRiffMaxFileBytes = 0xFFFFFFFFu;

class RiffWriter {
public:
    RiffWriter() = default;
    // Discards the file unless it was committed.
    ~RiffWriter();
    RiffWriter(const RiffWriter&) = delete;
    RiffWriter& operator=(const RiffWriter&) = delete;

    // Creates the temporary file beside `targetPath`. False when the folder
    // cannot take a new file, or the target is a folder or is not writable.
    bool Open(const std::string& targetPath);
    // Starts a "RIFF" chunk with the given form type.
    bool CreateRiffChunk(std::uint32_t formType);
    // Starts a chunk inside the current one with a provisional size.
    bool CreateChunk(std::uint32_t id, std::uint32_t size);
    // Appends bytes to the current chunk; returns `length`, or -1 when the
    // write fails or the file would outgrow a RIFF size field.
    long Write(const void* data, long length);
    // Leaves the innermost chunk: pads it to an even length and patches its size.
    bool Ascend();
    // Flushes and closes the file and renames it over the target, which
    // keeps the permissions of the file it replaces. On failure the
    // temporary file is removed and the target is left as it was.
    bool Commit();
    // Closes and removes the temporary file; the target is left as it was.
    void Discard();

    bool IsOpen() const { return file_ != nullptr; }
    // The system's reason for the first failure since Open ("File too large",
    // "No space left on device", "Permission denied").
    std::string FailureReason() const;
    // The temporary file's path while the file is open.
    const std::string& TemporaryPath() const { return temporary_.Path(); }

private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    struct OpenChunk {
        std::uint64_t sizeFieldAt = 0;  // file offset of the chunk's size field
        std::uint64_t dataStart = 0;    // file offset of the chunk's first data byte
    };

    // Marks the writer failed, keeping the first error's number; returns false.
    bool Fail(int errorNumber);
    bool WriteRaw(const void* data, std::size_t length);
    bool WriteU32(std::uint32_t value);

    std::unique_ptr<std::FILE, FileCloser> file_;
    TemporaryFile temporary_;
    std::uint64_t length_ = 0;  // bytes written so far (the file's end)
    bool failed_ = false;
    int error_ = 0;  // errno of the first failure, 0 before
    std::vector<OpenChunk> chunks_;
};
