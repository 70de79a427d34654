// The options record beside each output and the checks against it.
#include "app/options/up_to_date.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/sound_record.h"
#include "app/startup/module_discovery.h"
#include "platform/system_reason.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/whole_file.h"
#include "render/audio_format.h"
#include "render/render_session.h"
#include "render/stems.h"

namespace fs = std::filesystem;

namespace {

constexpr char kRecordFormat[] = "ombrix record 2";
// A record is a few lines; anything much longer is not one.
constexpr std::size_t kMaxRecordBytes = 64 * 1024;
constexpr std::string_view kRecordSuffix = ".ombrix";

std::string ChannelText(const ChannelSet& channels) {
    std::string text;
    for (int i = 0; i < kMidiChannels; ++i) {
        if (!channels[i]) continue;
        if (!text.empty()) text += ',';
        text += std::to_string(i + 1);
    }
    return text.empty() ? "-" : text;
}

// A level in decibels with three decimals, or "-" when none is asked for.
std::string DecibelText(const std::optional<double>& level) {
    if (!level) return "-";
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, *level, std::chars_format::fixed, 3).ptr;
    return std::string(digits, end);
}

// The files' format and quality ("format=ogg quality=5", "-" for the
// format's default quality).
std::string RequestedEncodingText(const ConversionRequest& request) {
    const AudioEncoding encoding = RequestedEncoding(request);
    return "format=" + std::string(AudioFormatName(encoding.format)) +
           " quality=" + (encoding.quality ? std::to_string(*encoding.quality) : "-");
}

// A file's modification time in nanoseconds since 1970-01-01 UTC.
long long ModifiedNs(std::filesystem::file_time_type time) {
    const auto sinceEpoch = std::chrono::file_clock::to_sys(time).time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch).count();
}

// The size and modification time of the file at `path`, as a record writes them.
std::optional<std::string> SizeAndTime(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) return std::nullopt;
    const auto modified = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    return std::to_string(size) + " " + std::to_string(ModifiedNs(modified));
}

// `text` on one line of a record: a backslash and every control byte escaped, so
// that no name ends a line early or reads as another name.
std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            escaped += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\x";
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The text that Escaped turned into `escaped`; nothing when it is not such a text.
std::optional<std::string> Unescaped(std::string_view escaped) {
    constexpr std::size_t kHexDigits = 2;
    std::string text;
    for (std::size_t at = 0; at < escaped.size(); ++at) {
        if (escaped[at] != '\\') {
            text += escaped[at];
        } else if (escaped.substr(at + 1, 1) == "\\") {
            text += '\\';
            ++at;
        } else if (escaped.substr(at + 1, 1) == "x" && at + 1 + kHexDigits < escaped.size()) {
            unsigned value = 0;
            const char* digits = escaped.data() + at + 2;
            if (std::from_chars(digits, digits + kHexDigits, value, 16).ptr != digits + kHexDigits) return std::nullopt;
            text += static_cast<char>(value);
            at += 1 + kHexDigits;
        } else {
            return std::nullopt;
        }
    }
    return text;
}

// The whole record of `output` made from `input`, with the stems of the
// names `stems`, as the files are now; nothing when one of them is missing.
std::optional<std::string> RecordText(const InputStamp& input, const std::string& output,
                                      const std::vector<std::string>& stems, const std::string& fingerprint) {
    const std::optional<std::string> written = SizeAndTime(output);
    if (!written) return std::nullopt;
    std::string text = std::string(kRecordFormat) + "\n" + "input=" + Escaped(input.key) + "\n" +
                       "input-size-and-time=" + std::to_string(input.size) + " " + std::to_string(input.modifiedNs) +
                       "\n" + "options=" + fingerprint + "\n" + "output-size-and-time=" + *written + "\n";
    const fs::path folder = StemFolder(output);
    for (const std::string& stem : stems) {
        const std::optional<std::string> stemWritten = SizeAndTime((folder / stem).string());
        if (!stemWritten) return std::nullopt;
        text += "stem=" + *stemWritten + " " + Escaped(stem) + "\n";
    }
    return text;
}

// The stem names a record lists; nothing when one of its stem lines is malformed.
std::optional<std::vector<std::string>> RecordedStems(const std::string& record) {
    constexpr std::string_view kStemKey = "stem=";
    constexpr int kFieldsBeforeName = 2;  // size, time
    std::vector<std::string> stems;
    std::size_t start = 0;
    for (std::size_t end; (end = record.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line = std::string_view(record).substr(start, end - start);
        if (!line.starts_with(kStemKey)) continue;
        std::size_t name = kStemKey.size();
        for (int field = 0; field < kFieldsBeforeName && name != std::string_view::npos; ++field) {
            name = line.find(' ', name);
            if (name != std::string_view::npos) ++name;
        }
        if (name == std::string_view::npos) return std::nullopt;
        std::optional<std::string> stem = Unescaped(line.substr(name));
        // A stem is a file of the stem folder, never a path that leads elsewhere.
        if (!stem || stem->empty() || stem->find('/') != std::string::npos || *stem == "." || *stem == "..") {
            return std::nullopt;
        }
        stems.push_back(std::move(*stem));
    }
    return stems;
}

// The --level requests, each "<length>:<target>=<dB>;" with the target's
// escaped length first, so that no target's commas or signs blur two lists
// into one text; "" without any, as the records of runs before levels existed say.
std::string LevelsText(const std::vector<LevelRequest>& levels) {
    if (levels.empty()) return "";
    std::string text = " level=";
    for (const LevelRequest& level : levels) {
        const std::string target = Escaped(level.target);
        text += std::to_string(target.size()) + ":" + target + "=" + DecibelText(level.db) + ";";
    }
    return text;
}

// The loop's passes and tempo steps; "" for a single pass, as records written
// before loops existed say.
std::string LoopText(const ConversionRequest& request) {
    if (request.loopPasses < 2) return "";
    return " loop=" + std::to_string(request.loopPasses) +
           " tempo-step=" + (request.tempoStep ? std::to_string(*request.tempoStep) : "-") +
           " tempo-to=" + (request.tempoTo ? std::to_string(*request.tempoTo) : "-");
}

// The count-in and click choices, only when not the defaults (records made
// before they existed stay valid).
std::string CountInText(const ConversionRequest& request) {
    std::string text;
    if (request.countInBars != 1) text += " count-in=" + std::to_string(request.countInBars);
    if (request.clickLevelDb != 0.0) text += " click-level=" + DecibelText(request.clickLevelDb);
    if (request.dropEmptyBars) text += " drop-empty-bars=on";
    if (request.countInEach) text += " count-in-each=on";
    return text;
}

// A song written as rendered: the gain on the module's output and the
// limiter over it (files written before them were quieter and could clip).
std::string AsRenderedText(const ConversionRequest& request) {
    if (request.peakDbfs || request.loudnessLufs) return "";
    return " as-rendered-gain=" + DecibelText(kAsRenderedGain) + " limited";
}

}  // namespace

std::string OptionsFingerprint(const ConversionRequest& request) {
    std::string minus;
    for (const int part : request.removedParts) {
        const std::string_view name = PartName(part);
        if (!minus.empty()) minus += ',';
        minus += name.empty() ? std::to_string(part) : std::string(name);
    }
    const std::string encoding = RequestedEncodingText(request);
    const std::string measures =
        request.measures ? std::to_string(request.measures->first) + "-" + std::to_string(request.measures->last) : "-";
    return "mute=" + ChannelText(request.mute) + " volume-down=" + ChannelText(request.volumeDown) +
           " minus=" + (minus.empty() ? "-" : minus) + " tempo=" + std::to_string(request.tempoPercent) +
           " precount=" + (request.preCount ? "on" : "off") + " normalize=" + DecibelText(request.peakDbfs) +
           " loudness=" + DecibelText(request.loudnessLufs) + (request.loudnessSet ? " loudness-set" : "") + " " +
           encoding +
           " transpose=" + std::to_string(request.transpose) + " click=" + (request.click ? "on" : "off") +
           " measures=" + measures + " stems=" + (request.stems ? "on" : "off") + LevelsText(request.levels) +
           LoopText(request) + CountInText(request) + AsRenderedText(request) + "\n" + SoundFingerprint(DescribeSound(request.sound, g_szModulePath));
}

std::string FileOptionsFingerprint(const ConversionRequest& request, const PlannedFile& file) {
    std::string fingerprint = OptionsFingerprint(request);
    if (!file.rehearsal) return fingerprint;
    const RehearsalTake& take = *file.rehearsal;
    const std::string part = Escaped(take.part);
    fingerprint += "\nrehearsal=" + std::string(RehearsalKindName(take.kind)) + " part=" + std::to_string(part.size()) +
                   ":" + part + " channels=" + std::to_string(take.channels);
    // Only a loud take plays at the rehearsal levels.
    if (take.kind != RehearsalKind::kLoud) return fingerprint;
    const RehearsalLevels levels = request.rehearsalLevels.value_or(RehearsalLevels{});
    return fingerprint + " levels=" + DecibelText(levels.partDb) + "," + DecibelText(levels.othersDb);
}

std::string OptionsRecordPath(const std::string& output) {
    const fs::path path(output);
    std::string name(1, '.');
    name.append(path.filename().string()).append(kRecordSuffix);
    return (path.parent_path() / name).string();
}

std::optional<InputStamp> StampInput(const std::string& path, const std::string& key) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error) return std::nullopt;
    const auto modified = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    return InputStamp{key, size, ModifiedNs(modified)};
}

bool IsUpToDate(const InputStamp& input, const std::string& output, const std::string& fingerprint,
                std::string& warning) {
    warning.clear();
    std::error_code error;
    const auto outputTime = fs::last_write_time(output, error);
    if (error || ModifiedNs(outputTime) <= input.modifiedNs) return false;
    const std::string path = OptionsRecordPath(output);
    std::string recorded;
    switch (ReadWholeFile(path, kMaxRecordBytes, recorded)) {
        case WholeFileRead::kRead: break;
        case WholeFileRead::kNotRegular:
            warning = Formatted(Tr("%s is not a regular file; it was ignored and %s is converted again"), path.c_str(),
                                output.c_str());
            return false;
        case WholeFileRead::kMissing:
        case WholeFileRead::kFailed: return false;
    }
    const std::optional<std::vector<std::string>> stems = RecordedStems(recorded);
    if (!stems) return false;
    const std::optional<std::string> expected = RecordText(input, output, *stems, fingerprint);
    return expected && recorded == *expected;
}

bool RecordOptions(const InputStamp& input, const std::string& output, const std::vector<std::string>& stems,
                   const std::string& fingerprint, std::string& error) {
    std::vector<std::string> stemNames;
    for (const std::string& stem : stems) stemNames.push_back(fs::path(stem).filename().string());
    const std::optional<std::string> text = RecordText(input, output, stemNames, fingerprint);
    if (!text) {
        error = Tr("the output or one of its stems is gone");
        return false;
    }
    if (ReplaceWholeFile(OptionsRecordPath(output), *text)) return true;
    error = SystemReason(errno);
    return false;
}
