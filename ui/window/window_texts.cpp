// The program's own messages and their English source texts.
#include "ui/window/window_texts.h"

#include "app/song/open_midi_file.h"
#include "app/startup/module_discovery.h"
#include "platform/translation.h"
#include "render/convert_song.h"
#include "ui/window/check_open_path.h"

namespace {

// Written as Tr() calls with literal texts, so that the catalogue's
// extraction finds every one of them.
const char* EnglishOf(std::string_view text) {
    if (text == kNoSongLoadedMessage) return Tr("No MIDI file is loaded.");
    if (text == kWaveFileFailedMessage) return Tr("The wave file could not be created.");
    if (text == kInitializationFailedMessage) return Tr("The synthesizer could not be started.");
    if (text == kModuleNotInstalledMessage) return Tr("The program cannot start: Tavoline is not installed.");
    if (text == kPathTooLongMessage) return Tr("The file path is too long. Please choose the file again.");
    if (text == kFolderTooLongMessage) return Tr("The folder name is too long. Please choose the folder again.");
    if (text == kNameTooLongMessage) return Tr("The file name is too long. Please choose the file again.");
    if (text == kExtensionTooLongMessage) return Tr("The file name extension is too long. Please choose the file again.");
    if (text == "FileNotFound") return Tr("The file was not found.");
    if (text == "File is not SMF") return Tr("The file is not a Standard MIDI File.");
    if (text == "File is too large") return Tr("The file is too large to be opened.");
    if (text == kSongTooLongLine)
        return Tr("The song is too long: it goes on for more than 4.85 hours at 120 BPM, the most that can be played.");
    return nullptr;
}

}  // namespace

std::string ShownText(std::string_view text) {
    const char* shown = EnglishOf(text);
    return shown ? std::string(shown) : std::string(text);
}
