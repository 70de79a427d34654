// Tone and drum files: a magic line, a free line, the header keys, then per
// page a PAGE line (number and name), a KIND line (tone files only), a
// TONECOUNT line, a title line and the rows.
#include "tone/tone_file_reader.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "platform/byte_file.h"
#include "tone/tone_file_lines.h"

namespace {

constexpr std::string_view kToneMagic = "QBX TONEFILE Ver 2.0";
constexpr std::string_view kDrumMagic = "QBX DRUMFILE Ver 2.0";
constexpr std::string_view kBankControlKey = "BANKCONTROLCC#";
constexpr std::string_view kKindKey = "KIND";
constexpr std::string_view kToneCountKey = "TONECOUNT";
constexpr std::uint8_t kDrumPageKind = 1;

enum class FileKind { kTone, kDrum };

// Reads one page: its key lines, title line and rows. False when the file
// breaks off inside it.
bool ReadPage(ToneFileLines& lines, ToneMap& map, FileKind kind) {
    std::string pageValue;
    if (!lines.Key(kPageKey, pageValue)) return false;
    const std::vector<std::string_view> pageFields = SplitFields(pageValue);
    const int pageNumber = LeadingNumber(pageFields[0]);
    const std::string_view pageName = pageFields.size() > 1 ? pageFields[1] : std::string_view{};
    int pageKind = kDrumPageKind;
    if (kind == FileKind::kTone && !lines.KeyNumber(kKindKey, pageKind)) return false;
    int rows = 0;
    if (!lines.KeyNumber(kToneCountKey, rows) || !lines.Free()) return false;
    rows %= kRowCountModulus;

    const int key = kind == FileKind::kDrum ? std::min(pageNumber, INT_MAX - kDrumPageKeyBase) + kDrumPageKeyBase
                                            : pageNumber;
    TonePage* page = nullptr;  // created with the page's first name
    // The first field of a row is not used; the next ones are columns 0, 1, ...
    return lines.Rows(rows, [&](int r, int field, std::string_view name) {
        if (field == 0) return;
        const int slot = NameSlot(field - 1, r);
        if (slot >= kTonePageSlots) return;
        if (!page) {
            page = &map.PageForKey(key);
            page->kind = static_cast<std::uint8_t>(pageKind);
            page->name = std::string(pageName.substr(0, kPageNameChars));
        }
        ToneNameRecord record;
        record.SetName(name);
        page->names.Store(slot, record);
    });
}

bool ReadNameFile(const std::string& path, ToneMap& map, const ToneFolders& folders, FileKind kind) {
    Myifstream file;
    if (!OpenRedirected(file, path, folders)) return false;
    ToneFileLines lines(file);
    if (lines.Magic({kind == FileKind::kTone ? kToneMagic : kDrumMagic}) < 0 || !lines.Free()) return false;
    if (kind == FileKind::kTone) {
        int controller = 0;
        if (!lines.KeyNumber(kBankControlKey, controller)) return false;
        map.bankControlCC = static_cast<std::uint8_t>(controller);
    }
    int pages = 0;
    if (!lines.KeyNumber(kPageCountKey, pages)) return false;
    for (int p = 0; p < pages; ++p) {
        if (!ReadPage(lines, map, kind)) return false;
    }
    const std::string title = FileTitle(path.substr(path.rfind('/') + 1));
    (kind == FileKind::kTone ? map.toneFileTitle : map.drumFileTitle) = title;
    return true;
}

}  // namespace

bool ReadToneFile(const std::string& path, ToneMap& map, const ToneFolders& folders) {
    return ReadNameFile(path, map, folders, FileKind::kTone);
}

bool ReadDrumFile(const std::string& path, ToneMap& map, const ToneFolders& folders) {
    return ReadNameFile(path, map, folders, FileKind::kDrum);
}
