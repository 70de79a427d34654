// Directory enumeration through std::filesystem, in the file system's order.
#include "platform/directory_listing.h"

#include <filesystem>

#include "platform/text.h"

namespace {

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    return EqualsIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

}  // namespace

std::vector<DirectoryEntry> ListEntriesWithExtension(const std::string& folder, std::string_view extension,
                                                     std::error_code* openError) {
    std::vector<DirectoryEntry> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (openError != nullptr) *openError = error;
    if (error) return entries;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        const std::string name = it->path().filename().string();
        if (!EndsWithIgnoringCase(name, extension)) continue;
        // The entry's type comes from stat alone: nothing is opened here.
        std::error_code statError;
        const std::filesystem::file_status status = it->status(statError);
        std::error_code linkError;
        const bool brokenLink = statError && it->is_symlink(linkError);
        entries.push_back({name, std::filesystem::is_directory(status), std::filesystem::is_regular_file(status), brokenLink});
    }
    return entries;
}
