// Plain English lines for the user on standard error, beside the program's
// own messages: which file, which cause, what to do.
#pragma once

#include <string>
#include <string_view>

// Writes "ombrix: " + `text` as one line on standard error (control
// characters escaped).
void WriteErrorLine(std::string_view text);

// The non-empty lines of `output` (what a program wrote on standard error),
// each without the "ombrix: " in front, joined by `separator`.
std::string ErrorLinesText(std::string_view output, std::string_view separator);

// While one lives, every line written by WriteErrorLine is also kept here
// (without the "ombrix: " in front), so that a window can show it under its
// own message. Copies nest: the newest one keeps the lines.
class ErrorLineCopy {
public:
    ErrorLineCopy();
    ~ErrorLineCopy();
    ErrorLineCopy(const ErrorLineCopy&) = delete;
    ErrorLineCopy& operator=(const ErrorLineCopy&) = delete;

    // The lines kept so far, joined by newlines.
    const std::string& Text() const { return text_; }
    void Add(std::string_view line);

private:
    ErrorLineCopy* outer_;
    std::string text_;
};
