// Building the tone library from the tone folder.
#include "tone/tone_library.h"

#include <new>

#include "tone/drum_key_file_reader.h"
#include "tone/tone_file_reader.h"

namespace {

constexpr std::string_view kToneFileExtension = ".TNF";
constexpr std::string_view kDrumFileExtension = ".DRF";
constexpr std::string_view kDrumKeyFileExtension = ".DRK";

}  // namespace

ToneLibrary::ToneLibrary() : displayOrder_(MakeDrumKeyDisplayOrder()) {}

const ToneMap* ToneLibrary::FindMap(std::string_view name) const {
    for (const auto& map : maps_) {
        if (map->Name() == name) return map.get();
    }
    return nullptr;
}

const DrumKeySet* ToneLibrary::FindDrumKeySet(std::string_view name) const {
    for (const auto& set : drumKeySets_) {
        if (set->Name() == name) return set.get();
    }
    return nullptr;
}

DrumKeySet* ToneLibrary::FindSet(std::string_view name) {
    for (const auto& set : drumKeySets_) {
        if (set->Name() == name) return set.get();
    }
    return nullptr;
}

void ToneLibrary::LoadMapByName(std::string_view name, const ToneFolders& folders) {
    if (FindMap(name)) return;
    ToneMap& map = *maps_.emplace_back(std::make_unique<ToneMap>(name));
    const std::string folder = folders.MapFolder(map.Name());
    if (const std::string file = FirstFileWithExtension(folder, kToneFileExtension); !file.empty())
        ReadToneFile(folder + file, map, folders);
    if (const std::string file = FirstFileWithExtension(folder, kDrumFileExtension); !file.empty())
        ReadDrumFile(folder + file, map, folders);

    DrumKeySet* set = FindSet(map.Name());
    if (!set) set = drumKeySets_.emplace_back(std::make_unique<DrumKeySet>(map.Name())).get();
    const std::string setFolder = folders.MapFolder(set->Name());
    if (const std::string file = FirstFileWithExtension(setFolder, kDrumKeyFileExtension); !file.empty())
        ReadDrumKeyFile(setFolder + file, *set, displayOrder_, folders);
}

std::unique_ptr<ToneLibrary> BuildToneLibrary(const ToneFolders& folders) {
    // Loading "QNS" first covers the start-up order: when its folder exists the
    // map and set are made and filled from it, otherwise they stay empty.
    try {
        auto library = std::make_unique<ToneLibrary>();
        library->LoadMapByName(kVendorMapName, folders);
        library->LoadMapByName(kGm2MapName, folders);
        return library;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
