// Formatting of the progress line.
#include "app/options/progress_line.h"

#include <algorithm>
#include <cstdio>

#include "render/progress_text.h"

namespace {

constexpr double kMinShownFactor = 0.05;

// `text` cut to at most `columns` characters, at a character boundary.
std::string CutToColumns(const std::string& text, int columns) {
    int characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool startsCharacter = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (startsCharacter && ++characters > columns) return text.substr(0, at);
    }
    return text;
}

}  // namespace

std::string ProgressLine(const std::vector<RunningFile>& running, int total, double realTimeFactor, int columns) {
    std::string line;
    for (const RunningFile& file : running) {
        if (!line.empty()) line += " | ";
        line += std::to_string(file.number) + "/" + std::to_string(total) + " " + file.name + " " +
                // The tail after the song's end stays at 100 %, where the window's text would wrap.
                (file.lengthMs > 0 ? ProgressPercentText(std::min(file.positionMs, file.lengthMs), 0, file.lengthMs)
                                   : std::string("0%"));
    }
    if (realTimeFactor >= kMinShownFactor) {
        char factor[32];
        std::snprintf(factor, sizeof factor, "%.1fx real time", realTimeFactor);
        line += (line.empty() ? "" : " | ") + std::string(factor);
    }
    return CutToColumns(line, columns);
}
