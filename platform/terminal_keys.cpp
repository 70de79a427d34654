// Single-key terminal input on termios.
#include "platform/terminal_keys.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr char kEscape = '\x1b';
constexpr char kInterrupt = '\x03';
constexpr char kEndOfFile = '\x04';
constexpr std::size_t kReadChunk = 64;

// The key a complete escape sequence names; `length` gets its length, 0
// when the sequence is cut off.
bool EscapeKey(const std::string& bytes, std::size_t at, TerminalKey& key, std::size_t& length) {
    length = 0;
    const char introducer = bytes[at + 1];
    if (introducer != '[' && introducer != 'O') {
        length = 1;
        return false;
    }
    // Parameters (digits, ';') up to the final byte.
    std::size_t end = at + 2;
    while (end < bytes.size() && ((bytes[end] >= '0' && bytes[end] <= '9') || bytes[end] == ';')) ++end;
    if (end >= bytes.size()) return false;
    length = end - at + 1;
    const std::string parameters = bytes.substr(at + 2, end - at - 2);
    switch (bytes[end]) {
    case 'C': key = TerminalKey::kRight; return true;
    case 'D': key = TerminalKey::kLeft; return true;
    case 'H': key = TerminalKey::kHome; return true;
    case '~':
        if (parameters == "1" || parameters == "7") {
            key = TerminalKey::kHome;
            return true;
        }
        return false;
    default: return false;
    }
}

}  // namespace

std::vector<TerminalKey> TakeTerminalKeys(std::string& bytes) {
    std::vector<TerminalKey> keys;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const char byte = bytes[at];
        if (byte == kEscape) {
            if (at + 1 >= bytes.size()) break;
            TerminalKey key{};
            std::size_t length = 0;
            const bool known = EscapeKey(bytes, at, key, length);
            if (length == 0) break;
            if (known) keys.push_back(key);
            at += length;
            continue;
        }
        if (byte == ' ') keys.push_back(TerminalKey::kSpace);
        if (byte == '+' || byte == '=') keys.push_back(TerminalKey::kPlus);
        if (byte == '-' || byte == '_') keys.push_back(TerminalKey::kMinus);
        if (byte == 'q' || byte == 'Q' || byte == kInterrupt || byte == kEndOfFile) keys.push_back(TerminalKey::kQuit);
        ++at;
    }
    bytes.erase(0, at);
    return keys;
}

struct TerminalKeys::Saved {
    termios settings{};
};

TerminalKeys::TerminalKeys() {
    if (::isatty(STDIN_FILENO) == 0) return;
    auto saved = std::make_unique<Saved>();
    if (::tcgetattr(STDIN_FILENO, &saved->settings) != 0) return;
    termios raw = saved->settings;
    // No echo, no line editing, no signals from keys: Ctrl-C arrives as a key.
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return;
    saved_ = std::move(saved);
    active_ = true;
}

TerminalKeys::~TerminalKeys() {
    if (saved_) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_->settings);
}

std::vector<TerminalKey> TerminalKeys::Read(std::chrono::milliseconds timeout) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, static_cast<int>(timeout.count())) > 0) {
        char buffer[kReadChunk];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) pending_.append(buffer, static_cast<std::size_t>(n));
    }
    return TakeTerminalKeys(pending_);
}
