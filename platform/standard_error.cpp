// English lines on standard error, written and flushed at once.
#include "platform/standard_error.h"

#include <cstdio>
#include <string>

#include "platform/text.h"

namespace {
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
