// The window's message boxes: the system's own text, and under it, as
// secondary text, what the program knows about the cause and what to do.
#pragma once

#include <string>
#include <string_view>

#include "platform/user_report.h"

class WindowMessages : public UserReport {
public:
    // Shows `text` with `explanation` (empty: none) under it.
    virtual void Explain(std::string_view text, std::string_view explanation) = 0;
    void Report(std::string_view text) override { Explain(text, {}); }
};
