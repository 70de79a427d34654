// The tone library: the tone maps and drum-key sets read from the program's
// "TONE/" folder, one subfolder per map, and the drum-key display order.
// It is built once when the main window is created and never written back.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "tone/drum_key_order.h"
#include "tone/drum_key_set.h"
#include "tone/tone_folders.h"
#include "tone/tone_map.h"

// Names of the two maps the library loads: the synthesizer's own names and
// the General MIDI Level 2 names.
constexpr std::string_view kVendorMapName = "QNS";
constexpr std::string_view kGm2MapName = "GM2";

class ToneLibrary {
public:
    // An empty library with its drum-key display order.
    ToneLibrary();

    // The first map named `name` (case-sensitive), or null.
    const ToneMap* FindMap(std::string_view name) const;
    // The first drum-key set named `name` (case-sensitive), or null.
    const DrumKeySet* FindDrumKeySet(std::string_view name) const;
    // Unless a map named `name` exists: creates it and reads the first tone
    // file and the first drum file of its folder, then creates the drum-key
    // set of that name (unless there is one) and reads the first drum-key
    // file there. A missing folder or file leaves the map or set empty.
    void LoadMapByName(std::string_view name, const ToneFolders& folders);

    // The drum-key display order built at creation, and the numbers of maps and sets.
    const DrumKeyDisplayOrder& DisplayOrder() const { return displayOrder_; }
    int MapCount() const { return static_cast<int>(maps_.size()); }
    int DrumKeySetCount() const { return static_cast<int>(drumKeySets_.size()); }

private:
    DrumKeySet* FindSet(std::string_view name);

    std::vector<std::unique_ptr<ToneMap>> maps_;           // in creation order
    std::vector<std::unique_ptr<DrumKeySet>> drumKeySets_;  // in creation order
    DrumKeyDisplayOrder displayOrder_;
};

// Builds the library with the maps "QNS" and "GM2" from `folders`. Returns
// null only when memory runs out; missing files give empty maps.
std::unique_ptr<ToneLibrary> BuildToneLibrary(const ToneFolders& folders);
