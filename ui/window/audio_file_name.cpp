// Extensions of the save dialog's answer.
#include "ui/window/audio_file_name.h"

#include "ui/window/check_open_path.h"

std::string SavedAudioPath(std::string typed, AudioFormat chosen) {
    if (AudioFormatOfPath(typed)) return typed;
    if (!SplitOpenPath(typed).extension.empty() && chosen == AudioFormat::kWav) return typed;
    return typed + AudioFormatExtension(chosen);
}

std::string NameForChosenType(const std::string& name, AudioFormat chosen) {
    if (!AudioFormatOfPath(name)) return name;
    const std::size_t extension = SplitOpenPath(name).extension.size();
    return name.substr(0, name.size() - extension) + AudioFormatExtension(chosen);
}
