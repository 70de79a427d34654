// Loading the window's bitmaps.
#include "ui/window/window_images.h"

#include "resources/resource_ids.h"
#include "ui/controls/dib.h"

void WindowImages::LoadAll() {
    using namespace ResourceId;
    for (const int id : {kBackground, kDrumsOn, kDrumsOff, kBassOn, kBassOff, kGuitarOn, kGuitarOff, kMelodyOn,
                         kMelodyOff, kLoad, kConvert, kRowUnused, kRowUsed, kMuteOn, kChannelSwitchOff,
                         kChannelSwitchDisabled, kVolumeDownOn, kTempoUp, kTempoUpPressed, kTempoDown,
                         kTempoDownPressed, kDigits, kPreCountOn, kPreCountOff, kDrumsDisabled, kBassDisabled,
                         kGuitarDisabled, kMelodyDisabled, kPlay, kStop}) {
        // The palette of a true-colour bitmap is never needed.
        if (auto image = LoadDibResource(id)) images_[id] = std::move(image);
    }
}

const CQBXBitmap* WindowImages::Get(int id) const {
    const auto found = images_.find(id);
    return found == images_.end() ? nullptr : found->second.get();
}
