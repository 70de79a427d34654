// The status line's note of the saved file.
#include "ui/window/saved_file_note.h"

#include "platform/text.h"
#include "platform/translation.h"

namespace {

constexpr char kEllipsis[] = "\u2026/";
// UTF-8 lead bytes of the wide blocks (U+3000 to U+9FFF, and the Hangul and
// compatibility forms above, U+AC00 to U+FFEF, roughly).
constexpr unsigned char kFirstWideLead = 0xE3;
constexpr unsigned char kLastWideLead = 0xEF;

}  // namespace

std::size_t TextColumns(const std::string& text) {
    std::size_t columns = 0;
    for (const unsigned char c : text) {
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte
        columns += c >= kFirstWideLead && c <= kLastWideLead ? 2 : 1;
    }
    return columns;
}

std::string ShortPath(const std::string& path, const std::string& home, std::size_t columns) {
    std::string shown = path;
    if (!home.empty() && home != "/" && path.size() > home.size() && path.compare(0, home.size(), home) == 0 &&
        path[home.size()] == '/') {
        shown = "~" + path.substr(home.size());
    }
    // Drop leading folders, one at a time, until the rest fits.
    std::size_t cut = 0;
    std::string candidate = shown;
    while (TextColumns(candidate) > columns) {
        const auto slash = shown.find('/', cut + 1);
        if (slash == std::string::npos || slash + 1 >= shown.size()) break;
        cut = slash;
        candidate = kEllipsis + shown.substr(cut + 1);
    }
    return candidate;
}

std::string SavedFileNote(const std::string& path, const std::string& home, std::size_t columns) {
    // TRANSLATORS: the window's status line after a conversion; %s is where the file went.
    const std::string frame = Tr("Saved to %s");
    const std::size_t frameColumns = TextColumns(frame) - TextColumns("%s");
    return Formatted(frame.c_str(), ShortPath(path, home, columns > frameColumns ? columns - frameColumns : 0).c_str());
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
