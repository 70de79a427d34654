// Loading the SoundFont once and lending it to each synthesizer instance.

#include "module/fluid/shared_soundfont.h"

namespace {

// The keeper never plays; one voice is all it needs.
constexpr int kKeeperPolyphony = 1;

// The SoundFont currently loaded; instances keep older ones alive while they use them.
std::shared_ptr<SharedSoundFont>& LoadedSoundFont() {
    static std::shared_ptr<SharedSoundFont> loaded;
    return loaded;
}

// Callbacks of the stand-in font: each forwards to the loaded font kept as the stand-in's data.
fluid_sfont_t* Loaded(fluid_sfont_t* standIn) { return static_cast<fluid_sfont_t*>(fluid_sfont_get_data(standIn)); }
const char* StandInName(fluid_sfont_t* standIn) { return fluid_sfont_get_name(Loaded(standIn)); }
fluid_preset_t* StandInPreset(fluid_sfont_t* standIn, int bank, int program) {
    return fluid_sfont_get_preset(Loaded(standIn), bank, program);
}
void StandInIterationStart(fluid_sfont_t* standIn) { fluid_sfont_iteration_start(Loaded(standIn)); }
fluid_preset_t* StandInIterationNext(fluid_sfont_t* standIn) { return fluid_sfont_iteration_next(Loaded(standIn)); }
// Freeing the stand-in leaves the loaded font to its keeper.
int StandInFree(fluid_sfont_t* standIn) {
    delete_fluid_sfont(standIn);
    return 0;
}

}  // namespace

std::shared_ptr<SharedSoundFont> SharedSoundFont::Acquire(const std::string& path) {
    std::shared_ptr<SharedSoundFont>& loaded = LoadedSoundFont();
    if (loaded && loaded->path_ == path) return loaded;

    std::shared_ptr<SharedSoundFont> font(new SharedSoundFont());
    font->path_ = path;
    font->settings_.reset(new_fluid_settings());
    if (!font->settings_) return nullptr;
    fluid_settings_setint(font->settings_.get(), "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(font->settings_.get(), "synth.lock-memory", 0);
    fluid_settings_setint(font->settings_.get(), "synth.polyphony", kKeeperPolyphony);
    fluid_settings_setint(font->settings_.get(), "synth.reverb.active", 0);
    fluid_settings_setint(font->settings_.get(), "synth.chorus.active", 0);
    font->keeper_.reset(new_fluid_synth(font->settings_.get()));
    if (!font->keeper_) return nullptr;
    // No preset is selected on the keeper, so no samples are read for it.
    const int id = fluid_synth_sfload(font->keeper_.get(), path.c_str(), /*reset_presets=*/0);
    if (id == FLUID_FAILED) return nullptr;
    font->font_ = fluid_synth_get_sfont_by_id(font->keeper_.get(), id);
    if (font->font_ == nullptr) return nullptr;

    loaded = font;
    return font;
}

bool SharedSoundFont::AddTo(fluid_synth_t* synth) const {
    fluid_sfont_t* standIn =
        new_fluid_sfont(StandInName, StandInPreset, StandInIterationStart, StandInIterationNext, StandInFree);
    if (standIn == nullptr) return false;
    fluid_sfont_set_data(standIn, font_);
    if (fluid_synth_add_sfont(synth, standIn) == FLUID_FAILED) {
        delete_fluid_sfont(standIn);
        return false;
    }
    return true;
}
