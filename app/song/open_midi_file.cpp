// The path-given song open of the main window object.
#include "app/song/open_midi_file.h"

#include <optional>

#include "app/song/channel_profile.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/part_finder.h"
#include "import/load_midi_file.h"
#include "import/smf_buf.h"
#include "model/measure.h"
#include "model/song_container.h"
#include "platform/user_report.h"
#include "tone/channel_info.h"

SongPathParts SplitSongPath(std::string_view path) {
    const auto slash = path.rfind('/');
    std::string_view folder = slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
    if (slash == 0) folder = "/";
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return {std::string(folder), std::string(name)};
}

namespace {

// Imports the file at `path` into `song`; nothing when it fails, said through `report`.
std::optional<MidiFileLoad> ImportSong(const std::string& path, SongContainer& song, UserReport& report) {
    const MidiFileLoad load = LoadMidiFile(path, song, report);
    if (load.result != 0) return std::nullopt;
    // The import keeps every event within the ticks the engine can play; a
    // song that reaches their end was cut there.
    if (SongEndTick(song) >= kMaxImportTick - 1) {
        report.Report(kSongTooLongLine);
        return std::nullopt;
    }
    return load;
}

}  // namespace

bool MidiFileOpens(const std::string& path, UserReport& report) {
    SongContainer scratch{1};
    return ImportSong(path, scratch, report).has_value();
}

void OpenMidiFile(COmbrixDlg& dlg, const std::string& path, UserReport& report) {
    const std::optional<MidiFileLoad> load = ImportSong(path, dlg.m_song, report);
    if (!load) {
        dlg.m_strSongName.clear();
        return;
    }
    SongPathParts parts = SplitSongPath(path);
    dlg.m_strLastFolder = std::move(parts.folder);
    dlg.m_strSongName = std::move(parts.name);
    ResetSongOptions(dlg.m_songOptions);
    dlg.m_songOptions.clickTicks = load->preCount.clickTicks;
    dlg.m_songOptions.clicksPerMeasure = load->preCount.clicksPerMeasure;
    ChannelInfoPass(dlg.m_song, dlg.m_songOptions, dlg.m_toneLibrary.get());
    FindParts(ProfileSong(dlg.m_song, dlg.m_songOptions.drumChannel, load->karaokeTicks), dlg.m_songOptions);
}
