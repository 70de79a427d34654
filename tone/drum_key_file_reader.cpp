// Drum-key and drum-key display files: a magic line (version 2 or 3), a free
// line, PAGECOUNT, then per page a PAGE line and (version 3) a BANKCOUNT line,
// and per bank (version 3: after a BANK line) a DRUMKEYCOUNT line, a title
// line and the rows. Display files add a "[DRUM KEY]" line before the rows of
// shown notes and a "[CHECK]" block after them.
#include "tone/drum_key_file_reader.h"

#include <climits>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/byte_file.h"
#include "tone/tone_file_lines.h"
#include "tone/tone_map.h"

namespace {

constexpr std::string_view kDrumKeyMagicV2 = "QBX DRUMKEYFILE Ver 2.0";
constexpr std::string_view kDrumKeyMagicV3 = "QBX DRUMKEYFILE Ver 3.0";
constexpr std::string_view kDisplayMagicV2 = "QBX DRUMKEYDISPFILE Ver 2.0";
constexpr std::string_view kDisplayMagicV3 = "QBX DRUMKEYDISPFILE Ver 3.0";
constexpr std::string_view kBankCountKey = "BANKCOUNT";
constexpr std::string_view kBankKey = "BANK";
constexpr std::string_view kRowCountKey = "DRUMKEYCOUNT";
constexpr std::string_view kDrumKeyMarker = "[DRUM KEY]";
constexpr std::string_view kCheckMarker = "[CHECK]";
constexpr std::string_view kDisplayFileExtension = ".key";
constexpr int kVersionWithBanks = 1;  // index of the version 3 magic

// The slot of (column, note) in a drum-key table; -1 when outside it.
int KeySlot(int column, int note) {
    if (column < 0 || note < 0 || column >= kDrumKeyColumns) return -1;
    const long slot = static_cast<long>(note) + static_cast<long>(column) * 128;
    return slot < kDrumKeyTableSlots ? static_cast<int>(slot) : -1;
}

// The record at (column, note), created when missing; null when outside the table.
DrumKeyRecord* RecordAt(DrumKeyTable* table, int column, int note) {
    const int slot = KeySlot(column, note);
    return table && slot >= 0 ? table->FindOrCreate(slot) : nullptr;
}

// What a reader does with one bank once its DRUMKEYCOUNT line was read.
using BankReader = std::function<bool(ToneFileLines&, DrumKeyTable*, int rows)>;

// Walks the pages and banks of a file whose magic and free line were read,
// handing each bank to `readBank`. False when the file breaks off.
bool ReadPagesAndBanks(ToneFileLines& lines, DrumKeySet& set, bool withBanks, const BankReader& readBank) {
    int pages = 0;
    if (!lines.KeyNumber(kPageCountKey, pages)) return false;
    for (int p = 0; p < pages; ++p) {
        std::string pageValue;
        if (!lines.Key(kPageKey, pageValue)) return false;
        const int page = LeadingNumber(SplitFields(pageValue).front());
        int banks = 1;
        if (withBanks && !lines.KeyNumber(kBankCountKey, banks)) return false;
        for (int b = 0; b < banks; ++b) {
            int bank = 0;
            if (withBanks && !lines.KeyNumber(kBankKey, bank)) return false;
            int rows = 0;
            if (!lines.KeyNumber(kRowCountKey, rows) || !lines.Free()) return false;
            // Keys beyond the int range cannot name a table; such a bank is read and not stored.
            const long key = static_cast<long>(bank) + static_cast<long>(page) * 128;
            DrumKeyTable* table = key <= INT_MAX ? set.TableForKey(static_cast<int>(key)) : nullptr;
            if (!readBank(lines, table, rows % kRowCountModulus)) return false;
        }
    }
    return true;
}

// Gives every column of `table` that holds a name the default display order.
void ApplyDefaultOrder(DrumKeyTable& table, const DrumKeyDisplayOrder& order) {
    for (int column = 0; column < kDrumKeyColumns; ++column) {
        bool named = false;
        for (int note = 0; note < kMidiNotes && !named; ++note) {
            const DrumKeyRecord* record = table.Find(KeySlot(column, note));
            named = record && !record->Name().empty();
        }
        if (!named) continue;
        for (int r = 0; r < kMidiNotes; ++r) {
            DrumKeyRecord* record = RecordAt(&table, column, r);
            record->SetShownNote(static_cast<std::uint16_t>(order.order[r]));
            record->SetPosition(static_cast<std::uint16_t>(order.position[r]));
        }
        for (int r = 0; r < kOrderedDrumNotes; ++r) {
            const int shown = RecordAt(&table, column, r)->ShownNote();
            if (DrumKeyRecord* record = RecordAt(&table, column, shown)) record->SetCheck(DrumKeyCheck(r));
        }
    }
}

// The folder part of `path`, with its trailing "/".
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

}  // namespace

bool ReadDrumKeyFile(const std::string& path, DrumKeySet& set, const DrumKeyDisplayOrder& order,
                     const ToneFolders& folders) {
    Myifstream file;
    if (!OpenRedirected(file, path, folders)) return false;
    ToneFileLines lines(file);
    const int version = lines.Magic({kDrumKeyMagicV2, kDrumKeyMagicV3});
    if (version < 0) return false;

    const auto readNames = [&order](ToneFileLines& in, DrumKeyTable* table, int rows) {
        // The first field of a row is not used; the next ones are columns 0, 1, ...
        const bool complete = in.Rows(rows, [table](int note, int field, std::string_view name) {
            if (field == 0) return;
            if (DrumKeyRecord* record = RecordAt(table, field - 1, note)) record->SetName(name);
        });
        if (!complete) return false;
        if (table) ApplyDefaultOrder(*table, order);
        return true;
    };
    const bool complete =
        lines.Free() && ReadPagesAndBanks(lines, set, version == kVersionWithBanks, readNames);
    file.Close();

    set.drumKeyFileTitle = FileTitle(path.substr(path.rfind('/') + 1));
    ReadDrumKeyDisplayFile(FolderOf(path) + set.Name() + std::string(kDisplayFileExtension), set, folders);
    return complete;
}

bool ReadDrumKeyDisplayFile(const std::string& path, DrumKeySet& set, const ToneFolders& folders) {
    Myifstream file;
    if (!OpenRedirected(file, path, folders)) return false;
    ToneFileLines lines(file);
    const int version = lines.Magic({kDisplayMagicV2, kDisplayMagicV3});
    if (version < 0 || !lines.Free()) return false;

    const auto readDisplay = [](ToneFileLines& in, DrumKeyTable* table, int rows) {
        if (!in.Marker(kDrumKeyMarker)) return false;
        const bool shownRead = in.Rows(rows, [table](int k, int column, std::string_view field) {
            const int shown = LeadingNumber(field);
            if (DrumKeyRecord* record = RecordAt(table, column, k)) record->SetShownNote(static_cast<std::uint16_t>(shown));
            if (DrumKeyRecord* record = RecordAt(table, column, shown)) record->SetPosition(static_cast<std::uint16_t>(k));
        });
        if (!shownRead || !in.Marker(kCheckMarker)) return false;
        return in.Rows(rows, [table](int k, int column, std::string_view field) {
            if (DrumKeyRecord* record = RecordAt(table, column, k))
                record->SetCheck(static_cast<std::uint8_t>(LeadingNumber(field)));
        });
    };
    return ReadPagesAndBanks(lines, set, version == kVersionWithBanks, readDisplay);
}
