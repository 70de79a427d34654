// Opening a MIDI file into the main window object from a given path, as the
// batch does: import, then the loaded-song state, options and channel
// information follow the file.
#pragma once

#include <string>
#include <string_view>

class COmbrixDlg;
class UserReport;

// Folder and base name of a path, as the window keeps them.
struct SongPathParts {
    std::string folder;  // without trailing "/", except for "/" itself
    std::string name;    // the file name without its extension
};

// Splits `path` into its folder and the file name without extension. A name
// that is all extension (".mid") is kept whole, so that it still names a song.
SongPathParts SplitSongPath(std::string_view path);

// The failure line of a song longer than the engine's tick range.
inline constexpr char kSongTooLongLine[] =
    "Song too long: it goes beyond 16777216 ticks (4.85 hours at 120 BPM), the most the engine can play";

// Empties the window's song and imports the file at `path`; errors go to
// `report`, among them a song too long to be played whole. On success the folder and name, the reset options with the
// file's pre-count and the channel information follow the file; on failure
// the song name is emptied, so that no stale song counts as loaded.
void OpenMidiFile(COmbrixDlg& dlg, const std::string& path, UserReport& report);

// True when OpenMidiFile would open the file at `path`: it is imported into
// a song of its own, so that a loaded song stays as it is whatever the
// file holds. Why it would fail goes to `report`.
bool MidiFileOpens(const std::string& path, UserReport& report);
