// The system's log lines and the English causes beside them.
#include "app/batch/failure_cause.h"

#include <array>
#include <string_view>

#include "app/batch/convert_folder.h"
#include "render/convert_song.h"

namespace {

struct KnownLine {
    std::string_view line;
    std::string_view cause;  // empty: implied by an earlier line
};

constexpr std::array<KnownLine, 6> kKnownLines = {{
    {"FileNotFound", "cannot be opened (missing, unreadable or not a regular file)"},
    {"File is not SMF", "not a Standard MIDI File"},
    {kNoSongLoadedMessage, ""},
    {kInitializationFailedMessage, "the synthesizer module could not be started"},
    {kWaveFileFailedMessage, ""},  // names the output's format: see FailureCause
    {kPathTooLongLine, "the path is too long"},
}};

}  // namespace

std::string FailureLine(const std::string& file, const std::vector<std::string>& logLines, AudioFormat format) {
    return file + ": " + FailureCause(logLines, format);
}

std::string FailureCause(const std::vector<std::string>& logLines, AudioFormat format) {
    const std::string fileFailed = "the " + std::string(AudioFormatTitle(format)) + " file could not be written";
    std::string causes;
    for (const std::string& line : logLines) {
        std::string_view cause = line;
        if (line == kWaveFileFailedMessage) {
            causes += (causes.empty() ? "" : "; ") + fileFailed;
            continue;
        }
        for (const KnownLine& known : kKnownLines) {
            if (known.line == line) cause = known.cause;
        }
        if (cause.empty()) continue;
        causes += (causes.empty() ? "" : "; ") + std::string(cause);
    }
    if (causes.empty()) causes = "failed";
    return causes;
}
