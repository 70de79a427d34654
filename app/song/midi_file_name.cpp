// MIDI file names by their extension.
#include "app/song/midi_file_name.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/text.h"

bool HasMidiExtension(std::string_view path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    return std::any_of(std::begin(kMidiExtensions), std::end(kMidiExtensions),
                       [&extension](const char* known) { return EqualsIgnoringCase(extension, known); });
}
