// Tone name lookup.
#include "tone/tone_lookup.h"

#include "tone/tone_library.h"

std::string LookupToneName(const ToneLibrary* library, std::string_view mapName, int pageKey, int column, int row) {
    if (!library || column < 0 || row < 0) return {};
    const ToneMap* map = library->FindMap(mapName);
    const TonePage* page = map ? map->FindPage(pageKey) : nullptr;
    if (!page) return {};
    const long slot = static_cast<long>(row) + static_cast<long>(column) * kTonePageRows;
    const ToneNameRecord* record = slot < page->names.Size() ? page->names.Find(static_cast<int>(slot)) : nullptr;
    return record ? record->Name(kLookupNameChars) : std::string{};
}
