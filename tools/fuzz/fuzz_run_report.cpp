// libFuzzer entry point: builds an input's result from arbitrary bytes (its
// names and cause, its figures) and writes its report line and a summary.
// A report line must stay one line of valid UTF-8 without control bytes,
// an object from "{" to "}", whatever bytes the file names hold.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/options/run_report.h"
#include "platform/text.h"

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

// Takes the next text off the front of the bytes: up to a NUL byte.
std::string TakeText(const std::uint8_t*& data, std::size_t& size) {
    std::string text;
    while (size > 0) {
        const char c = static_cast<char>(*data++);
        --size;
        if (c == '\0') break;
        text.push_back(c);
    }
    return text;
}

// Takes the next bytes as a number (fewer at the end: zeros).
template <typename Number>
Number TakeNumber(const std::uint8_t*& data, std::size_t& size) {
    Number value{};
    std::uint8_t bytes[sizeof value] = {};
    const std::size_t count = size < sizeof value ? size : sizeof value;
    if (count == 0) return value;
    std::memcpy(bytes, data, count);
    data += count;
    size -= count;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

// A figure as a run measures it: finite (times and lengths are never NaN).
double TakeFigure(const std::uint8_t*& data, std::size_t& size) {
    const double value = TakeNumber<double>(data, size);
    return std::isfinite(value) ? value : 0.0;
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FileResult result;
    result.status = static_cast<FileStatus>(TakeNumber<std::uint8_t>(data, size) % 3);
    result.input = TakeText(data, size);
    result.output = TakeText(data, size);
    result.cause = TakeText(data, size);
    result.audioSeconds = TakeFigure(data, size);
    result.cpuSeconds = TakeFigure(data, size);
    result.bytesWritten = TakeNumber<std::uint64_t>(data, size);

    const std::string line = ReportLine(result);
    Require(line.size() >= 2 && line.front() == '{' && line.back() == '}');
    Require(IsValidUtf8(line));
    for (const char c : line) Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);

    RunTotals totals;
    totals.converted = TakeNumber<long long>(data, size);
    totals.skipped = TakeNumber<long long>(data, size);
    totals.failed = TakeNumber<long long>(data, size);
    totals.audioSeconds = TakeFigure(data, size);
    const std::string summary = SummaryLine(totals, TakeFigure(data, size));
    Require(summary.find('\n') == std::string::npos);
    return 0;
}
