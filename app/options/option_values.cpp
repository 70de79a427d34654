// Readers of the option command line's values.
#include "app/options/option_values.h"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <string>

#include "app/song/song_options_logic.h"
#include "platform/text.h"

namespace {

struct NamedPart {
    std::string_view name;
    int switchId;
};
constexpr std::array<NamedPart, 4> kParts = {{{"melody", SwitchId::kMelody},
                                              {"guitar", SwitchId::kGuitar},
                                              {"bass", SwitchId::kBass},
                                              {"drums", SwitchId::kDrums}}};

// Calls `item` for each comma-separated item; false when an item is empty or `item` refuses it.
template <typename Item>
bool ForEachItem(std::string_view text, Item item) {
    if (text.empty()) return false;
    for (;;) {
        const auto comma = text.find(',');
        const std::string_view piece = Trim(text.substr(0, comma));
        if (piece.empty() || !item(piece)) return false;
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text, double low, double high) {
    const std::string copy(text);
    if (copy.empty() || copy.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<LevelRequest> ParseLevel(std::string_view text) {
    const auto equals = text.rfind('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view target = Trim(text.substr(0, equals));
    const auto db = ParseDecimal(Trim(text.substr(equals + 1)), kLowestLevelDb, kHighestLevelDb);
    if (target.empty() || !db) return std::nullopt;
    return LevelRequest{std::string(target), *db};
}

std::optional<ChannelSet> ParseChannelList(std::string_view text) {
    ChannelSet channels{};
    const bool read = ForEachItem(text, [&channels](std::string_view item) {
        const auto dash = item.find('-');
        const auto first = ParseWholeNumber(Trim(item.substr(0, dash)), 1, kMidiChannels);
        const auto last = dash == std::string_view::npos ? first
                                                         : ParseWholeNumber(Trim(item.substr(dash + 1)), 1, kMidiChannels);
        if (!first || !last || *last < *first) return false;
        for (int channel = *first; channel <= *last; ++channel) channels[channel - 1] = true;
        return true;
    });
    if (!read) return std::nullopt;
    return channels;
}

std::optional<std::vector<int>> ParsePartList(std::string_view text) {
    std::vector<int> parts;
    const bool read = ForEachItem(text, [&parts](std::string_view item) {
        for (const NamedPart& part : kParts) {
            if (EqualsIgnoringCase(item, part.name)) {
                parts.push_back(part.switchId);
                return true;
            }
        }
        return false;
    });
    if (!read) return std::nullopt;
    return parts;
}

std::optional<MeasureRange> ParseMeasureRange(std::string_view text) {
    const auto dash = text.find('-');
    const auto first = ParseWholeNumber(Trim(text.substr(0, dash)), 1, kHighestMeasure);
    const auto last = dash == std::string_view::npos ? first
                                                     : ParseWholeNumber(Trim(text.substr(dash + 1)), 1, kHighestMeasure);
    if (!first || !last || *last < *first) return std::nullopt;
    return MeasureRange{*first, *last};
}

std::optional<int> ParseSignedNumber(std::string_view text, int low, int high) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('+') || text.starts_with('-')) return std::nullopt;
    }
    return ParseWholeNumber(text, low, high);
}

std::string_view PartName(int switchId) {
    for (const NamedPart& part : kParts) {
        if (part.switchId == switchId) return part.name;
    }
    return {};
}

std::optional<std::vector<std::string>> ParseNameList(std::string_view text) {
    std::vector<std::string> names;
    const bool read = ForEachItem(text, [&names](std::string_view name) {
        names.emplace_back(name);
        return true;
    });
    if (!read) return std::nullopt;
    return names;
}

std::optional<std::pair<double, double>> ParseLevelPair(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto part = ParseDecimal(Trim(text.substr(0, comma)), kLowestLevelDb, kHighestLevelDb);
    const auto others = ParseDecimal(Trim(text.substr(comma + 1)), kLowestLevelDb, kHighestLevelDb);
    if (!part || !others) return std::nullopt;
    return std::pair{*part, *others};
}

bool IsAllParts(std::string_view name) {
    return name.size() == 3 && std::tolower(static_cast<unsigned char>(name[0])) == 'a' &&
           std::tolower(static_cast<unsigned char>(name[1])) == 'l' && std::tolower(static_cast<unsigned char>(name[2])) == 'l';
}
