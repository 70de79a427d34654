// Encoding and decoding of the worker's pipe records.
#include "app/workers/worker_messages.h"

namespace {

constexpr std::size_t kHeaderBytes = 5;  // kind and length
constexpr std::size_t kProgressBytes = 8;

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

std::string Record(WorkerMessageKind kind, std::string_view payload) {
    std::string record(1, static_cast<char>(kind));
    PutU32(record, static_cast<std::uint32_t>(payload.size()));
    record.append(payload);
    return record;
}

}  // namespace

std::string EncodeWorkerProgress(int position, int length) {
    std::string payload;
    PutU32(payload, static_cast<std::uint32_t>(position));
    PutU32(payload, static_cast<std::uint32_t>(length));
    return Record(WorkerMessageKind::kProgress, payload);
}

std::string EncodeWorkerReport(std::string_view text) { return Record(WorkerMessageKind::kReport, text); }

std::string EncodeWorkerNotice(std::string_view text) { return Record(WorkerMessageKind::kNotice, text); }

std::string EncodeWorkerDone() { return Record(WorkerMessageKind::kDone, {}); }

std::vector<WorkerMessage> TakeWorkerMessages(std::string& buffer) {
    std::vector<WorkerMessage> messages;
    std::size_t at = 0;
    while (buffer.size() - at >= kHeaderBytes) {
        const std::size_t length = GetU32(buffer, at + 1);
        if (buffer.size() - at - kHeaderBytes < length) break;
        const std::string_view payload = std::string_view(buffer).substr(at + kHeaderBytes, length);
        const auto kind = static_cast<WorkerMessageKind>(static_cast<unsigned char>(buffer[at]));
        if (kind == WorkerMessageKind::kReport || kind == WorkerMessageKind::kNotice) {
            messages.push_back({kind, std::string(payload), 0, 0});
        } else if (kind == WorkerMessageKind::kDone && length == 0) {
            messages.push_back({kind, {}, 0, 0});
        } else if (kind == WorkerMessageKind::kProgress && length == kProgressBytes) {
            messages.push_back({kind, {}, static_cast<int>(GetU32(payload, 0)), static_cast<int>(GetU32(payload, 4))});
        }
        at += kHeaderBytes + length;
    }
    buffer.erase(0, at);
    return messages;
}
