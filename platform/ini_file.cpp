// INI files read and rewritten line by line. The file is replaced through a
// temporary file and a rename, so a failed write never leaves half a file.
#include "platform/ini_file.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/known_folders.h"
#include "platform/text.h"

namespace {

// A bare file name lives in the default profile folder.
std::string ResolvePath(const std::string& path) {
    if (path.empty() || path.find('/') != std::string::npos) return path;
    const std::string folder = DefaultProfileFolder();
    return folder.empty() ? std::string{} : folder + "/" + path;
}

// The file's lines without their endings; nothing when it can't be read.
struct ProfileLines {
    std::vector<std::string> lines;
    bool crlf = false;  // the file's first line ended with CR LF
};

std::optional<ProfileLines> ReadLines(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > kMaxProfileFileBytes) return std::nullopt;
    in.seekg(0, std::ios::beg);
    ProfileLines result;
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        const bool endsWithCr = !line.empty() && line.back() == '\r';
        if (endsWithCr) line.pop_back();
        if (first) result.crlf = endsWithCr;
        first = false;
        result.lines.push_back(std::move(line));
    }
    return result;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const auto close = trimmed.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// Splits a "key=value" line; nothing for a line without "=".
std::optional<std::pair<std::string_view, std::string_view>> KeyAndValue(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::pair{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string Truncated(std::string_view text, std::size_t capacity) {
    if (capacity == 0) return {};
    return std::string(text.substr(0, capacity - 1));
}

}  // namespace

std::string DefaultProfileFolder() { return ConfigHomeFolder(); }

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t capacity,
                                    const std::string& path) {
    const auto fallback = defaultValue.substr(0, defaultValue.find_last_not_of(" \t") + 1);
    const auto file = ReadLines(ResolvePath(path));
    if (!file) return Truncated(fallback, capacity);
    bool inSection = false;
    for (const std::string& line : file->lines) {
        if (const auto name = SectionName(line)) {
            inSection = EqualsIgnoringCase(*name, section);
            continue;
        }
        if (!inSection) continue;
        const auto pair = KeyAndValue(line);
        if (pair && EqualsIgnoringCase(pair->first, key)) {
            return Truncated(Unquote(pair->second), capacity);
        }
    }
    return Truncated(fallback, capacity);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
    const std::string resolved = ResolvePath(path);
    if (resolved.empty()) return false;
    // A line break would end the entry early and turn the rest into lines of their own.
    for (const std::string_view text : {section, key, value}) {
        if (text.find_first_of("\r\n") != std::string_view::npos) return false;
    }
    ProfileLines file;
    if (auto existing = ReadLines(resolved)) {
        file = std::move(*existing);
    } else {
        std::ifstream probe(resolved, std::ios::binary);
        if (probe) return false;  // present but unreadable or too big: leave it alone
    }

    const std::string newLine = std::string(key) + "=" + std::string(value);
    std::vector<std::string>& lines = file.lines;
    std::optional<std::size_t> sectionLine;
    std::optional<std::size_t> keyLine;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (sectionLine) break;
            if (EqualsIgnoringCase(*name, section)) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionLine) continue;
        if (!Trim(lines[i]).empty()) insertAt = i + 1;
        const auto pair = KeyAndValue(lines[i]);
        if (pair && EqualsIgnoringCase(pair->first, key)) {
            keyLine = i;
            break;
        }
    }
    if (keyLine) {
        lines[*keyLine] = newLine;
    } else if (sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    } else {
        std::string header = "[";
        header.append(section).append("]");
        lines.push_back(std::move(header));
        lines.push_back(newLine);
    }

    const std::string temporary = resolved + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        const char* ending = file.crlf ? "\r\n" : "\n";
        for (const std::string& line : lines) out << line << ending;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), resolved.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
