// The one way errors leave the core: a message for the user. Batch mode writes
// it as a line of the conversion log; interactive mode shows a message box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// Keeps every message, in order, for the caller to pass on.
class CollectingReport final : public UserReport {
public:
    void Report(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};
