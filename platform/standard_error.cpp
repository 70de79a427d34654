// English lines on standard error, written and flushed at once.
#include "platform/standard_error.h"

#include <cstdio>
#include <string>

#include "platform/text.h"

namespace {
constexpr std::string_view kProgramPrefix = "ombrix: ";  // what WriteErrorLine puts in front
ErrorLineCopy* g_errorLineCopy = nullptr;
}

ErrorLineCopy::ErrorLineCopy() : outer_(g_errorLineCopy) { g_errorLineCopy = this; }

ErrorLineCopy::~ErrorLineCopy() { g_errorLineCopy = outer_; }

void ErrorLineCopy::Add(std::string_view line) {
    if (!text_.empty()) text_ += '\n';
    text_ += line;
}

void WriteErrorLine(std::string_view text) {
    const std::string line = EscapeControlCharacters(text);
    if (g_errorLineCopy) g_errorLineCopy->Add(line);
    std::fprintf(stderr, "ombrix: %s\n", line.c_str());
    std::fflush(stderr);
}

std::string ErrorLinesText(std::string_view output, std::string_view separator) {
    std::string joined;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string_view::npos) end = output.size();
        std::string_view line = output.substr(start, end - start);
        if (line.starts_with(kProgramPrefix)) line.remove_prefix(kProgramPrefix.size());
        if (!line.empty()) {
            if (!joined.empty()) joined += separator;
            joined += line;
        }
        start = end + 1;
    }
    return joined;
}
