// Stand-in for a terminal's keyboard: the keys pressed on standard input,
// one at a time, without echo or line editing while this object lives.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

enum class TerminalKey { kSpace, kLeft, kRight, kHome, kPlus, kMinus, kQuit };

// The keys in `bytes` as a terminal sends them (arrows and Home as escape
// sequences; "q", Ctrl-C and Ctrl-D quit); other bytes are skipped. An
// escape sequence cut off at the end stays in `bytes` for the next call.
std::vector<TerminalKey> TakeTerminalKeys(std::string& bytes);

class TerminalKeys {
public:
    // Puts standard input into single-key mode when it is a terminal.
    TerminalKeys();
    // Gives the terminal back its settings.
    ~TerminalKeys();
    TerminalKeys(const TerminalKeys&) = delete;
    TerminalKeys& operator=(const TerminalKeys&) = delete;

    // Whether standard input is a terminal taking single keys.
    bool Active() const { return active_; }
    // The keys pressed within `timeout`.
    std::vector<TerminalKey> Read(std::chrono::milliseconds timeout);

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
    bool active_ = false;
    std::string pending_;
};
