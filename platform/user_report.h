// The one way errors leave the core: a message for the user. Batch mode writes
// it as a line of the conversion log; interactive mode shows a message box.
#pragma once

#include <string_view>

class UserReport {
public:
    virtual ~UserReport() = default;
    // Shows or records one message (UTF-8, no line ending).
    virtual void Report(std::string_view text) = 0;
};

// Drops every message; for callers that have nowhere to report.
class SilentReport final : public UserReport {
public:
    void Report(std::string_view) override {}
};
