// Batch conversion: every "*.mid" file of m_strBatchFolder (extension in any
// case, directories skipped) becomes a WAV file of the same name in the
// subfolder "Conv", with the log "CreateLog.log" beside them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/user_report.h"

class COmbrixDlg;
struct SongOptions;

// What the batch does with one file; errors go to the given report.
class BatchSteps {
public:
    virtual ~BatchSteps() = default;
    // Opens the MIDI file at `path` into the window object's song.
    virtual void OpenSong(const std::string& path, UserReport& report) = 0;
    // Converts the loaded song into the WAV file at `path`.
    virtual void ConvertSong(const std::string& path, UserReport& report) = 0;
};

// Log line for a path that does not fit the path buffers.
constexpr std::string_view kPathTooLongLine = "Path is too long";
// Log line for a file named only by its extension (".mid"), from which no
// WAV name can be made.
constexpr std::string_view kNoNameLine = "The file name has nothing before its extension; no WAV name can be made from it";
// Whether `name` is only an extension: a dot and no other dot (".mid").
bool IsBareExtension(std::string_view name);

// What the batch says when the folder holds no file to convert.
constexpr std::string_view kNothingToConvertMessage = "変換するMIDIファイルがありません。";

// The output name of a MIDI file name: its last three characters become "wav".
std::string WavNameFor(const std::string& midiName);

// The log line of a file saved as `wavName` because another file of the
// batch takes its usual name `usualName`.
std::string SavedAsLine(const std::string& wavName, const std::string& usualName);

// The warning for a song without notes converted from `input` into `output`.
std::string SilentSongWarning(const std::string& input, const std::string& output);

// Whether a song opened with these options plays a note on any channel.
bool HasNotes(const SongOptions& options);

// The WAV names of a batch's MIDI files, in order: each file's WavNameFor,
// except that a name an earlier file of the batch already takes becomes the
// first "<name> (n).wav" (n = 2, 3, ...) that no file of the batch takes.
std::vector<std::string> DistinctWavNames(const std::vector<std::string>& midiNames);

// Where a batch over one folder reads and writes.
struct BatchFolders {
    std::string listed;  // the folder whose entries are converted
    std::string prefix;  // the folder without its trailing "/": input paths are prefix + "/" + name
    std::string output;  // the "Conv/" subfolder, ending with "/"
};

// The folders of a batch over `batchFolder` (one trailing "/" or none; "/"
// is the root folder).
BatchFolders BatchFoldersFor(const std::string& batchFolder);

// Converts the folder `dlg.m_strBatchFolder` with the pre-count of
// `dlg.m_bPreCountArg`, then shows the log (or says that it could not be
// written, or that nothing matched). Returns true when every file converted
// without an error. An interrupt (Ctrl-C, SIGTERM) ends the program with
// 128 + the signal's number: the unfinished WAV file is removed, an earlier
// one of its name stays, and the log keeps the lines written so far.
bool ConvertFolder(COmbrixDlg& dlg, BatchSteps& steps);
