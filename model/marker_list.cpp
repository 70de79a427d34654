// The song's marker list, sorted by (kind, sub-kind).
#include "model/marker_list.h"

#include <algorithm>
#include <tuple>

void MarkerList::Insert(std::int16_t kind, std::int16_t subKind, std::int32_t value, const std::string& text) {
    auto key = std::make_tuple(kind, subKind);
    auto it = std::lower_bound(entries_.begin(), entries_.end(), key, [](const MarkerEntry& e, const auto& k) {
        return std::make_tuple(e.kind, e.subKind) < k;
    });
    if (it != entries_.end() && it->kind == kind && it->subKind == subKind) {
        it->value = value;
        it->text = text;
        return;
    }
    entries_.insert(it, MarkerEntry{kind, subKind, value, text});
}

const MarkerEntry* MarkerList::Find(std::uint32_t key) const {
    if (entries_.empty()) return nullptr;
    if (key == 0) return &entries_.front();
    const auto low = static_cast<std::int16_t>(key & 0xFFFF);
    if (key < 0x10000) {
        for (const MarkerEntry& e : entries_)
            if (e.subKind == low) return &e;
        return nullptr;
    }
    const auto high = static_cast<std::int16_t>(key >> 16);
    for (const MarkerEntry& e : entries_)
        if (e.subKind >= low && e.subKind <= high) return &e;
    return nullptr;
}
