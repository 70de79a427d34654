// Tables of a drum-key set.
#include "tone/drum_key_set.h"

#include "tone/tone_map.h"

DrumKeySet::DrumKeySet(std::string_view setName) : name_(setName.substr(0, kMapNameChars)) {}

const DrumKeyTable* DrumKeySet::FindTable(int key) const {
    const auto it = tables_.find(key);
    return it == tables_.end() ? nullptr : it->second.get();
}

DrumKeyTable* DrumKeySet::TableForKey(int key) {
    if (auto it = tables_.find(key); it != tables_.end()) return it->second.get();
    if (TableCount() >= kMaxDrumKeyTables) return nullptr;
    auto& table = tables_[key];
    table = std::make_unique<DrumKeyTable>(kDrumKeyTableSlots, key);
    return table.get();
}
