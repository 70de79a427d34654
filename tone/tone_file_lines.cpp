// Line grammar of the tone library's files.
#include "tone/tone_file_lines.h"

#include <climits>

#include "platform/byte_file.h"
#include "platform/text.h"

namespace {

constexpr char kCommentMark = ';';
constexpr char kFieldSeparator = '\t';
constexpr char kValueSeparator = '=';

}  // namespace

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find(kFieldSeparator, start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

bool IsUsableField(std::string_view field) { return !field.empty() && field.front() != ' '; }

int LeadingNumber(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        const int digit = c - '0';
        if (value > (INT_MAX - digit) / 10) return INT_MAX;
        value = value * 10 + digit;
    }
    return value;
}

bool ToneFileLines::Next(std::string& line) {
    while (file_.Position() < file_.Length()) {
        if (!file_.ReadLine(line)) return false;
        if (line.empty() || line.front() != kCommentMark) return true;
    }
    return false;
}

int ToneFileLines::Magic(std::initializer_list<std::string_view> magics) {
    if (!Next(line_) || line_.empty()) return -1;
    const std::string_view first = SplitFields(line_).front();
    int index = 0;
    for (const std::string_view magic : magics) {
        if (EqualsIgnoringCase(first, magic)) return index;
        ++index;
    }
    return -1;
}

bool ToneFileLines::Key(std::string_view prefix, std::string& value) {
    if (!Next(line_) || !line_.starts_with(prefix)) return false;
    const std::size_t equals = line_.rfind(kValueSeparator);
    value = equals == std::string::npos ? std::string{} : line_.substr(equals + 1);
    return true;
}

bool ToneFileLines::KeyNumber(std::string_view prefix, int& number) {
    std::string value;
    if (!Key(prefix, value)) return false;
    number = LeadingNumber(value);
    return true;
}

bool ToneFileLines::Free() { return Next(line_); }

bool ToneFileLines::Marker(std::string_view prefix) { return Next(line_) && line_.starts_with(prefix); }
