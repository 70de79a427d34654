// MIDI file names by their extension.
#include "app/song/midi_file_name.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/text.h"

bool HasMidiExtension(std::string_view path) {
    const std::string name = std::filesystem::path(path).filename().string();
    // A name that is only an extension (".mid") has none by the path's
    // rules, but is still a MIDI file's name.
    std::string extension = std::filesystem::path(name).extension().string();
    if (extension.empty() && name.starts_with('.')) extension = name;
    return std::any_of(std::begin(kMidiExtensions), std::end(kMidiExtensions),
                       [&extension](const char* known) { return EqualsIgnoringCase(extension, known); });
}
