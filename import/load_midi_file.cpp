// Emptying the song and running one import.
#include "import/load_midi_file.h"

#include "import/imp_smf.h"
#include "model/song_container.h"

MidiFileLoad LoadMidiFile(const std::string& path, SongContainer& song, UserReport& report,
                          std::int64_t eventLimit) {
    song.Clear();
    song.Reset();
    ImpSmf importer;
    importer.eventLimit = eventLimit;
    MidiFileLoad load;
    load.result = importer.ImportSmf(path, song, report);
    load.preCount = importer.preCount;
    load.karaokeTicks = importer.KaraokeTicks();
    // An import refused halfway leaves nothing of the file behind.
    if (load.result != ImportResult::kOk) {
        song.Clear();
        song.Reset();
    }
    return load;
}
