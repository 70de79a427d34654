// Command-line parsing: the text is split at its first comma into a folder
// part and an option part; searches are case-sensitive and find the first
// occurrence; text before "-f" is ignored and quotation marks are kept.
#include "app/startup/command_line.h"

#include <filesystem>

#include "app/song/midi_file_name.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace {

constexpr std::string_view kFolderSwitch = "-f";
constexpr std::string_view kPreCountSwitch = "-p";
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
// Characters a shell takes literally in a word.
constexpr std::string_view kShellPlain =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-+=.,/:@%";

// The trimmed text after the first `key`, or nothing when `key` is absent.
bool ValueAfter(std::string_view text, std::string_view key, std::string_view& value) {
    const auto at = text.find(key);
    if (at == std::string_view::npos) return false;
    value = Trim(text.substr(at + key.size()), kWhiteSpace);
    return true;
}

// `text` as one shell word: unchanged when it is plain, else in single
// quotes (a quote inside becomes '\'').
std::string ShellWord(std::string_view text) {
    if (!text.empty() && text.find_first_not_of(kShellPlain) == std::string_view::npos) return std::string(text);
    std::string word = "'";
    for (const char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
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

std::string SongNamedBy(std::string_view text) {
    std::string path(Trim(text, kWhiteSpace));
    if (path.empty()) return path;
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) return path;
    // A missing file named like a MIDI file is still a song, so that the
    // window says it does not exist, rather than a folder batch of whatever
    // follows a "-f" inside the path (".../my-fav.mid" is no folder "av.mid").
    if (path.starts_with(kFolderSwitch) || !HasMidiExtension(path)) return {};
    return path;
}

std::string NoWindowMessage(std::string_view songPath, bool windowBuilt) {
    if (songPath.empty()) {
        return windowBuilt ? Tr("no display; the window needs X11 or Wayland (convert a folder with -f<folder>)")
                           : Tr("this program has no window here; convert a folder with -f<folder>[,-p0|-p1]");
    }
    std::string message = windowBuilt ? Tr("no display; the window needs X11 or Wayland. Convert the song without it:")
                                      : Tr("this program has no window here. Convert the song without it:");
    message += " ombrix --tempo 100 " + ShellWord(songPath) + " (";
    message += Tr("every option: ombrix --help");
    return message + ")";
}
