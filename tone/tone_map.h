// A tone map: the tone and drum-kit names of one synthesizer naming scheme,
// held as pages of names addressed by (column, row). Tone pages have keys
// 0-127, drum pages 128 and up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tone/slot_table.h"
#include "tone/tone_records.h"

constexpr int kTonePageRows = 128;
constexpr int kTonePageSlots = 129 * kTonePageRows;  // columns 0-128 of 128 rows
constexpr int kDrumPageKeyBase = 128;                // drum pages add this to their number
constexpr int kMapNameChars = 9;
constexpr int kFileTitleChars = 11;
constexpr int kPageNameChars = 14;

// The slot of (column, row) in a page: rows run down each column, so a row
// of 128 or more lands in the next column.
constexpr int NameSlot(int column, int row) { return row + column * kTonePageRows; }

// One page of names.
struct TonePage {
    explicit TonePage(int pageKey) : names(kTonePageSlots, pageKey) {}

    // The page number, plus 128 for a drum page.
    int key() const { return names.Key(); }
    std::uint8_t kind = 0;
    std::string name;  // at most 14 characters
    SlotTable<ToneNameRecord> names;
};

class ToneMap {
public:
    // A map named `mapName` (cut to 9 characters).
    explicit ToneMap(std::string_view mapName) : name_(mapName.substr(0, kMapNameChars)) {}

    // The map's name, compared case-sensitively by the lookups.
    const std::string& Name() const { return name_; }

    // The page with `key` (drum pages for 128 and up), or null.
    const TonePage* FindPage(int key) const;
    // The page with `key`, created in key order when the map has none.
    TonePage& PageForKey(int key);
    // The number of tone pages and drum pages.
    int TonePageCount() const { return static_cast<int>(tonePages_.size()); }
    int DrumPageCount() const { return static_cast<int>(drumPages_.size()); }

    std::uint8_t bankControlCC = 0;  // kept from the tone file; no lookup uses it
    std::string toneFileTitle;       // tone file name without extension, at most 11 characters
    std::string drumFileTitle;       // drum file name without extension, at most 11 characters

private:
    using PageList = std::vector<std::unique_ptr<TonePage>>;
    PageList& ListFor(int key) { return key < kDrumPageKeyBase ? tonePages_ : drumPages_; }
    const PageList& ListFor(int key) const { return key < kDrumPageKeyBase ? tonePages_ : drumPages_; }

    std::string name_;
    PageList tonePages_;  // in key order
    PageList drumPages_;  // in key order
};

// A file's title: its name without the extension (the part before the last
// "."), cut to 11 characters.
std::string FileTitle(std::string_view fileName);
