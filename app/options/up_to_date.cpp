// The options record beside each output and the checks against it.
#include "app/options/up_to_date.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "render/audio_format.h"

namespace fs = std::filesystem;

namespace {

constexpr char kRecordFormat[] = "ombrix options record 1";
constexpr std::string_view kRecordSuffix = ".ombrix";

std::string ChannelText(const ChannelSet& channels) {
    std::string text;
    for (int i = 0; i < kMidiChannels; ++i) {
        if (channels[i]) text += (text.empty() ? "" : ",") + std::to_string(i + 1);
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

// The whole record for `output` as it is on disk now; nothing when it does not exist.
std::optional<std::string> RecordText(const std::string& output, const std::string& fingerprint) {
    std::error_code error;
    const auto size = fs::file_size(output, error);
    if (error) return std::nullopt;
    const auto modified = fs::last_write_time(output, error);
    if (error) return std::nullopt;
    return std::string(kRecordFormat) + "\n" + fingerprint + "\nwav " + std::to_string(size) + " " +
           std::to_string(modified.time_since_epoch().count()) + "\n";
}

// The count-in and click choices, only when not the defaults (records made
// before they existed stay valid).
std::string CountInText(const ConversionRequest& request) {
    std::string text;
    if (request.countInBars != 1) text += " count-in=" + std::to_string(request.countInBars);
    if (request.clickLevelDb != 0.0) text += " click-level=" + DecibelText(request.clickLevelDb);
    if (request.dropEmptyBars) text += " drop-empty-bars=on";
    return text;
}

}  // namespace

std::string OptionsFingerprint(const ConversionRequest& request) {
    std::string minus;
    for (const int part : request.removedParts) {
        const std::string_view name = PartName(part);
        minus += (minus.empty() ? "" : ",") + (name.empty() ? std::to_string(part) : std::string(name));
    }
    const std::string encoding = RequestedEncodingText(request);
    const std::string measures =
        request.measures ? std::to_string(request.measures->first) + "-" + std::to_string(request.measures->last) : "-";
    return "mute=" + ChannelText(request.mute) + " volume-down=" + ChannelText(request.volumeDown) +
           " minus=" + (minus.empty() ? "-" : minus) + " tempo=" + std::to_string(request.tempoPercent) +
           " precount=" + (request.preCount ? "on" : "off") + " normalize=" + DecibelText(request.peakDbfs) +
           " loudness=" + DecibelText(request.loudnessLufs) + " " + encoding +
           " transpose=" + std::to_string(request.transpose) + " click=" + (request.click ? "on" : "off") +
           " measures=" + measures + " stems=" + (request.stems ? "on" : "off") + CountInText(request);
}

std::string OptionsRecordPath(const std::string& output) {
    const fs::path path(output);
    return (path.parent_path() / ("." + path.filename().string() + std::string(kRecordSuffix))).string();
}

bool IsUpToDate(const std::string& input, const std::string& output, const std::string& fingerprint) {
    std::error_code error;
    const auto inputTime = fs::last_write_time(input, error);
    if (error) return false;
    const auto outputTime = fs::last_write_time(output, error);
    if (error || outputTime <= inputTime) return false;
    const std::optional<std::string> expected = RecordText(output, fingerprint);
    if (!expected) return false;
    std::ifstream in(OptionsRecordPath(output), std::ios::binary);
    const std::string recorded{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return in && recorded == *expected;
}

bool RecordOptions(const std::string& output, const std::string& fingerprint) {
    const std::optional<std::string> text = RecordText(output, fingerprint);
    if (!text) return false;
    std::ofstream out(OptionsRecordPath(output), std::ios::binary | std::ios::trunc);
    out << *text;
    out.close();
    return static_cast<bool>(out);
}
