// The main window object's state that the conversion, the import and the
// batch read and write. It knows no toolkit: batch conversion runs with no
// display, and the window (when there is one) wraps this object.
#pragma once

#include <memory>
#include <string>

#include "model/song_options.h"
#include "model/song_container.h"
#include "render/convert_song.h"
#include "tone/tone_library.h"

class COmbrixDlg {
public:
    COmbrixDlg() { ResetSongOptions(m_songOptions); }

    // The loaded song with its options, as a conversion reads it.
    ConversionSource ConversionInput() { return {m_song, m_songOptions, m_strLastFolder, m_strSongName}; }

    // The loaded song, into which MIDI files are imported.
    SongContainer m_song{1};
    SongOptions m_songOptions;
    // Folder of the last opened file (no trailing "/" except for "/").
    std::string m_strLastFolder;
    // Base name of the loaded file; empty means that no song is loaded.
    std::string m_strSongName;
    // Folder to convert in batch mode; empty selects interactive mode.
    std::string m_strBatchFolder;
    // Whether each song of the batch gets the pre-count.
    bool m_bPreCountArg = true;
    // The tone names shown for the loaded song; null until start-up builds it.
    std::unique_ptr<ToneLibrary> m_toneLibrary;
};
