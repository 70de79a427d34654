// Message boxes as lines on standard error, the form used with no display.
#include "platform/message_box.h"

#include <cstdio>

void ShowMessageBox(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
