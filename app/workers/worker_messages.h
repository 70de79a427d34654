// What a conversion worker process tells the program, as records on a pipe:
// one kind byte, the payload's length (4 bytes, little-endian), the payload.
// Progress carries the render position and the song's length in ms (4 bytes
// each, little-endian); a report carries one message line; the last record,
// "done", has no payload and says that the worker ran its conversion to the
// end (its reports say whether the conversion failed). A notice carries a
// line that is no failure (a warning for the user). A worker that ends
// without it did not finish, whatever its exit status.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class WorkerMessageKind : std::uint8_t { kProgress = 1, kReport = 2, kDone = 3, kNotice = 4 };

struct WorkerMessage {
    WorkerMessageKind kind = WorkerMessageKind::kReport;
    std::string text;  // kReport, kNotice: the message
    int position = 0;  // kProgress: ms rendered so far
    int length = 0;    // kProgress: the song's length in ms
};

// The record of a progress message.
std::string EncodeWorkerProgress(int position, int length);
// The record of a report line.
std::string EncodeWorkerReport(std::string_view text);
// The record of a notice line.
std::string EncodeWorkerNotice(std::string_view text);
// The record that ends a worker's messages.
std::string EncodeWorkerDone();
// Takes every complete record off the front of `buffer`; a partial record
// stays for the next call. A record of an unknown kind is skipped.
std::vector<WorkerMessage> TakeWorkerMessages(std::string& buffer);
