// English lines on standard error, written and flushed at once.
#include "platform/standard_error.h"

#include <cstdio>
#include <string>

#include "platform/text.h"

void WriteErrorLine(std::string_view text) {
    const std::string line = EscapeControlCharacters(text);
    std::fprintf(stderr, "ombrix: %s\n", line.c_str());
    std::fflush(stderr);
}
