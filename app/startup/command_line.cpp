// Command-line parsing: the text is split at its first comma into a folder
// part and an option part; searches are case-sensitive and find the first
// occurrence; text before "-f" is ignored and quotation marks are kept.
#include "app/startup/command_line.h"

#include "platform/text.h"

namespace {

constexpr std::string_view kFolderSwitch = "-f";
constexpr std::string_view kPreCountSwitch = "-p";
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

// The trimmed text after the first `key`, or nothing when `key` is absent.
bool ValueAfter(std::string_view text, std::string_view key, std::string_view& value) {
    const auto at = text.find(key);
    if (at == std::string_view::npos) return false;
    value = Trim(text.substr(at + key.size()), kWhiteSpace);
    return true;
}

}  // namespace

void ParseCommandLine(std::string_view text, std::string& batchFolder, bool& preCountArg) {
    std::string_view folder;
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) {
        if (!ValueAfter(Trim(text, kWhiteSpace), kFolderSwitch, folder)) return;
        batchFolder = folder;
        preCountArg = true;
        return;
    }
    if (!ValueAfter(Trim(text.substr(0, comma), kWhiteSpace), kFolderSwitch, folder)) return;
    batchFolder = folder;
    std::string_view preCount;
    if (ValueAfter(Trim(text.substr(comma + 1), kWhiteSpace), kPreCountSwitch, preCount)) {
        preCountArg = preCount == "1";
    }
}

std::string JoinArguments(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}
