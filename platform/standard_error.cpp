// English lines on standard error, written and flushed at once.
#include "platform/standard_error.h"

#include <cstdio>

void WriteErrorLine(std::string_view text) {
    std::fprintf(stderr, "ombrix: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}
