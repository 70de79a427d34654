// JSON Lines output and the summary's wording.
#include "app/options/run_report.h"

#include <cerrno>
#include <charconv>

#include "platform/system_reason.h"
#include "platform/translation.h"

namespace {

constexpr double kSecondsPerHour = 3600.0;

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there does not start one.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; minimum = 0x80; value = lead & 0x1Fu; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; minimum = 0x800; value = lead & 0x0Fu; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; minimum = 0x10000; value = lead & 0x07u; }
    else return 0;
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
        value = (value << 6) | (byte(at + i) & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

std::string JsonString(const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string json = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            json += "\\u00";
            json += kHex[byte >> 4];
            json += kHex[byte & 0xF];
        } else if (byte >= 0x80) {
            const std::size_t length = Utf8Length(text, at);
            if (length == 0) {
                json += "\\udc";
                json += kHex[byte >> 4];
                json += kHex[byte & 0xF];
            } else {
                json.append(text, at, length);
                at += length;
                continue;
            }
        } else {
            json += static_cast<char>(byte);
        }
        ++at;
    }
    return json + "\"";
}

// `value` with at most three decimals, the same in every locale.
std::string Number(double value) {
    char digits[64];
    auto written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3);
    // A value too large for the fixed form still gets a valid JSON number.
    if (written.ec != std::errc()) written = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, 3);
    std::string text(digits, written.ptr);
    if (text.find('e') != std::string::npos) return text;
    while (text.ends_with('0')) text.pop_back();
    if (text.ends_with('.')) text.pop_back();
    return text;
}

const char* StatusName(FileStatus status) {
    switch (status) {
        case FileStatus::kConverted: return "converted";
        case FileStatus::kSkipped: return "skipped";
        case FileStatus::kFailed: return "failed";
    }
    return "failed";
}

// The levels applied, as a JSON array of {"target": ..., "db": ...}.
std::string LevelsJson(const std::vector<LevelRequest>& levels) {
    std::string json = "[";
    for (const LevelRequest& level : levels) {
        if (json.size() > 1) json += ',';
        json += "{\"target\":" + JsonString(level.target) + ",\"db\":" + Number(level.db) + "}";
    }
    return json + "]";
}

// The rehearsal track an output is: {"kind": "loud"|"missing"|"all", "part":
// ... (null for all), with "part_db" and "others_db" for a loud track}, or null.
std::string RehearsalJson(const std::optional<RehearsalTake>& take, const RehearsalLevels& levels) {
    if (!take) return "null";
    std::string json = std::string("{\"kind\":\"") + RehearsalKindName(take->kind) + "\",\"part\":" +
                       (take->kind == RehearsalKind::kAll ? std::string("null") : JsonString(take->part));
    if (take->kind == RehearsalKind::kLoud) {
        json += ",\"part_db\":" + Number(levels.partDb) + ",\"others_db\":" + Number(levels.othersDb);
    }
    return json + "}";
}

}  // namespace

double RealtimeFactor(double audioSeconds, double cpuSeconds) {
    return cpuSeconds > 0 ? audioSeconds / cpuSeconds : 0.0;
}

std::string ReportLine(const FileResult& result, const std::string& sound) {
    return "{\"input\":" + JsonString(result.input) + ",\"output\":" + JsonString(result.output) + ",\"status\":\"" +
           StatusName(result.status) + "\",\"cause\":" + JsonString(result.cause) +
           ",\"audio_seconds\":" + Number(result.audioSeconds) + ",\"cpu_seconds\":" + Number(result.cpuSeconds) +
           ",\"realtime_factor\":" + Number(RealtimeFactor(result.audioSeconds, result.cpuSeconds)) +
           ",\"bytes_written\":" + std::to_string(result.bytesWritten) + ",\"levels\":" + LevelsJson(result.levels) +
           ",\"rehearsal\":" + RehearsalJson(result.rehearsal, result.rehearsalLevels) +
           (sound.empty() ? std::string() : ",\"sound\":" + sound) + "}";
}

std::string SoundJson(const SoundRecord& sound) {
    const FileStamp& font = sound.soundFont;
    return "{\"module\":" + JsonString(sound.module.path) + ",\"soundfont\":" + JsonString(font.path) +
           ",\"soundfont_bytes\":" + (font.exists ? std::to_string(font.size) : "null") +
           ",\"soundfont_mtime_ns\":" + (font.exists ? std::to_string(font.modifiedNs) : "null") +
           ",\"reverb\":" + JsonString(sound.reverb) + ",\"chorus\":" + JsonString(sound.chorus) +
           ",\"gain\":" + JsonString(sound.gain) + "}";
}

std::string SummaryLine(const RunTotals& totals, double wallSeconds) {
    const long long wall = static_cast<long long>(wallSeconds + 0.5);
    char clock[32];
    std::snprintf(clock, sizeof clock, "%lld:%02lld:%02lld", wall / 3600, wall / 60 % 60, wall % 60);
    const double speed = wallSeconds > 0 ? totals.audioSeconds / wallSeconds : 0.0;
    char line[256];
    std::snprintf(line, sizeof line,
                  Tr("%lld converted, %lld skipped, %lld failed; %.2f hours of audio in %s, %.1fx real time, "
                     "realtime factor %.1f (audio seconds per CPU second)"),
                  totals.converted, totals.skipped, totals.failed, totals.audioSeconds / kSecondsPerHour, clock, speed,
                  RealtimeFactor(totals.audioSeconds, totals.cpuSeconds));
    return line;
}

void RunReport::Closer::operator()(std::FILE* file) const { std::fclose(file); }

bool RunReport::Open(const std::string& path, std::string& error) {
    if (path == "-") {
        standardOutput_ = true;
        return true;
    }
    file_.reset(std::fopen(path.c_str(), "w"));
    if (!file_) error = "cannot write the report " + path + ": " + SystemReason(errno);
    return file_ != nullptr;
}

bool RunReport::Write(const FileResult& result) {
    std::FILE* out = standardOutput_ ? stdout : file_.get();
    if (out == nullptr || failed_) return false;
    const std::string line = ReportLine(result, sound_) + "\n";
    failed_ = std::fwrite(line.data(), 1, line.size(), out) != line.size() || std::fflush(out) != 0;
    return !failed_;
}
