// Labelled positions of a song, kept sorted by (kind, sub-kind); inserting an
// existing key replaces its value and text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MarkerEntry {
    std::int16_t kind = 0;
    std::int16_t subKind = 0;
    std::int32_t value = 0;
    std::string text;
};

class MarkerList {
public:
    // Inserts or replaces the entry of (kind, subKind).
    void Insert(std::int16_t kind, std::int16_t subKind, std::int32_t value, const std::string& text);
    // Key 0: the first entry. A key below 0x10000: the first entry whose
    // sub-kind equals the key. Otherwise the first whose sub-kind lies in
    // [low 16 bits, high 16 bits]. Null when none matches.
    const MarkerEntry* Find(std::uint32_t key) const;
    void Free() { entries_.clear(); }
    bool Empty() const { return entries_.empty(); }
    const std::vector<MarkerEntry>& Entries() const { return entries_; }

private:
    std::vector<MarkerEntry> entries_;
};
