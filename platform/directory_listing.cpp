// Directory enumeration through std::filesystem, in the file system's order.
#include "platform/directory_listing.h"

#include <filesystem>

namespace {

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::string_view tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(tail[i]) != lower(suffix[i])) return false;
    }
    return true;
}

}  // namespace

std::vector<DirectoryEntry> ListEntriesWithExtension(const std::string& folder, std::string_view extension) {
    std::vector<DirectoryEntry> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return entries;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        if (!EndsWithIgnoringCase(name, extension)) continue;
        std::error_code statError;
        entries.push_back({name, it->is_directory(statError)});
    }
    return entries;
}
