// The batch loop. Per file the log holds the input path, the errors of the
// import and the conversion, and "END". A folder with no match creates no
// "Conv" folder and no log (a folder whose only matches are folders counts as
// such); the user is told that there was nothing to do. A folder that cannot
// be listed, or an output folder that cannot be made, ends the batch with the
// reason on standard error.
#include "app/batch/convert_folder.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <set>
#include <vector>

#include "app/batch/conversion_log.h"
#include "app/batch/output_target.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/path_limits.h"
#include "app/workers/conversion_worker.h"
#include "platform/directory_listing.h"
#include "platform/interrupt_cleanup.h"
#include "platform/message_box.h"
#include "platform/standard_error.h"
#include "platform/system_reason.h"
#include "platform/temporary_file.h"
#include "platform/text.h"
#include "platform/translation.h"

namespace {

constexpr std::string_view kMidiExtension = ".mid";
constexpr std::string_view kOutputSubfolder = "Conv/";
constexpr std::string_view kWavExtension = "wav";
constexpr std::string_view kEndLine = "END";

// Publishes a batch's log in g_pConversionLog for the batch's lifetime.
class PublishedLog {
public:
    explicit PublishedLog(ConversionLog& log) { g_pConversionLog = &log; }
    ~PublishedLog() { g_pConversionLog = nullptr; }
    PublishedLog(const PublishedLog&) = delete;
    PublishedLog& operator=(const PublishedLog&) = delete;
};

// Converts one file into `wavName`; true when nothing was reported.
bool ConvertOne(COmbrixDlg& dlg, BatchSteps& steps, const BatchFolders& folders, const std::string& name,
                const std::string& wavName) {
    ConversionLogReport report;
    const std::string input = folders.prefix + "/" + name;
    const std::string output = folders.output + wavName;
    AppendLogLine(input);
    if (IsBareExtension(name)) {
        report.Report(kNoNameLine);
        WriteErrorLine(input + ": " + std::string(kNoNameLine));
    } else if (!FitsPathBuffer(input) || !FitsPathBuffer(output)) {
        report.Report(kPathTooLongLine);
        // The log may be too long a path as well: the skipped file is named here.
        WriteErrorLine(Formatted(Tr("%s: skipped, the path is longer than %zu bytes"), input.c_str(), kMaxPath - 1));
    } else if (IsOtherThanWaveFile(output)) {
        report.Report(NotReplacedLine(output));
        WriteErrorLine(NotReplacedLine(output));
    } else {
        try {
            steps.OpenSong(input, report);
            // After the open, which resets the options: every song follows the command line.
            dlg.m_songOptions.preCount = dlg.m_bPreCountArg;
            steps.ConvertSong(output, report);
        } catch (const std::bad_alloc&) {
            // The program itself ran out: this song fails, and the batch goes on with what is left.
            dlg.m_strSongName.clear();
            report.Report(kOutOfMemoryLine);
            WriteErrorLine(Formatted(Tr("%s: out of memory"), input.c_str()));
        }
        if (report.Count() == 0 && wavName != WavNameFor(name)) {
            // Another file of the batch already took the usual name: say where this one went.
            const std::string renamed = SavedAsLine(wavName, WavNameFor(name));
            AppendLogLine(renamed);
            WriteErrorLine(input + ": " + renamed);
        }
        if (report.OnlySilentOutput() && !HasNotes(dlg.m_songOptions)) {
            WriteErrorLine(SilentSongWarning(input, output));
        }
    }
    AppendLogLine(kEndLine);
    return report.Count() == 0;
}

// Names of the batch's MIDI files (folders skipped) into `names`. False,
// after telling the user why, when the batch folder cannot be listed.
bool ListMidiFiles(const BatchFolders& folders, std::vector<std::string>& names) {
    std::error_code error;
    const std::vector<DirectoryEntry> entries = ListEntriesWithExtension(folders.listed, kMidiExtension, &error);
    if (error) {
        std::error_code statError;
        const std::filesystem::file_status status = std::filesystem::status(folders.listed, statError);
        if (!std::filesystem::exists(status)) {
            WriteErrorLine("the folder " + folders.listed + " does not exist; give the folder that holds the MIDI files");
        } else if (!std::filesystem::is_directory(status)) {
            WriteErrorLine(folders.listed + " is a file, not a folder; give the folder that holds the MIDI files");
        } else {
            WriteErrorLine("cannot read the folder " + folders.listed + ": " + SystemReason(error));
        }
        return false;
    }
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory) continue;
        // Still listed, so that the log names it; the import refuses it without waiting on it.
        if (entry.isBrokenLink) {
            WriteErrorLine(Formatted(Tr("%s/%s is a link that leads to no file (dangling, or a loop of links)"),
                                     folders.prefix.c_str(), entry.name.c_str()));
        } else if (!entry.isRegularFile) {
            WriteErrorLine(folders.prefix + "/" + entry.name + " is not a regular file (a FIFO, socket or device)");
        }
        names.push_back(entry.name);
    }
    return true;
}

// Creates the output folder unless it exists. False, after telling the user
// the system's reason, when there is no folder to write into.
bool MakeOutputFolder(const std::string& output) {
    std::error_code error;
    std::filesystem::create_directory(output, error);
    std::error_code statError;
    if (!error && std::filesystem::is_directory(output, statError)) return true;
    const bool fileInTheWay = std::filesystem::exists(std::filesystem::path(output).parent_path(), statError);
    const std::string reason = fileInTheWay ? "a file of that name is in the way" : SystemReason(error);
    WriteErrorLine("cannot create the output folder " + output + ": " + reason + "; nothing was converted");
    return false;
}

}  // namespace

bool IsBareExtension(std::string_view name) {
    return name.size() > 1 && name[0] == '.' && name.find('.', 1) == std::string_view::npos;
}

std::string WavNameFor(const std::string& midiName) {
    return midiName.substr(0, midiName.size() - kWavExtension.size()) + std::string(kWavExtension);
}

bool HasNotes(const SongOptions& options) {
    return std::any_of(options.channelUsed.begin(), options.channelUsed.end(), [](std::int32_t used) { return used != 0; });
}

std::string SilentSongWarning(const std::string& input, const std::string& output) {
    // A song without notes gets no pre-count either.
    return "warning: " + input + " has no notes, so " + output + " is silent";
}

std::string SavedAsLine(const std::string& wavName, const std::string& usualName) {
    return "Saved as " + wavName + " (" + usualName + " is taken by another file)";
}

std::vector<std::string> DistinctWavNames(const std::vector<std::string>& midiNames) {
    std::set<std::string> taken;
    for (const std::string& name : midiNames) taken.insert(WavNameFor(name));
    std::set<std::string> given;
    std::vector<std::string> wavNames;
    for (const std::string& name : midiNames) {
        std::string wavName = WavNameFor(name);
        if (given.count(wavName) != 0) {
            const std::string base = wavName.substr(0, wavName.size() - kWavExtension.size() - 1);
            for (int n = 2; taken.count(wavName) != 0; ++n) {
                wavName = base + " (" + std::to_string(n) + ")." + std::string(kWavExtension);
            }
            taken.insert(wavName);
        }
        given.insert(wavName);
        wavNames.push_back(std::move(wavName));
    }
    return wavNames;
}

BatchFolders BatchFoldersFor(const std::string& batchFolder) {
    BatchFolders folders;
    folders.prefix = batchFolder;
    if (!folders.prefix.empty() && folders.prefix.back() == '/') folders.prefix.pop_back();
    // Without its slash the root would be the empty name, which lists nothing.
    folders.listed = folders.prefix.empty() ? batchFolder : folders.prefix;
    folders.output = folders.prefix + "/" + std::string(kOutputSubfolder);
    return folders;
}

bool ConvertFolder(COmbrixDlg& dlg, BatchSteps& steps) {
    InstallInterruptCleanup();
    ConversionLog log;
    PublishedLog published(log);

    // Each path is checked where it is used: a folder whose log path is too
    // long still converts the files whose own paths fit.
    const BatchFolders folders = BatchFoldersFor(dlg.m_strBatchFolder);
    std::vector<std::string> names;
    if (!ListMidiFiles(folders, names)) return false;
    if (names.empty()) {
        ShowMessageBox(kNothingToConvertMessage);
        WriteErrorLine(Formatted(Tr("no *.mid files in the folder %s; nothing was converted"), folders.listed.c_str()));
        return false;
    }
    if (!MakeOutputFolder(folders.output)) return false;
    const std::vector<std::string> wavNames = DistinctWavNames(names);
    RemoveAbandonedTemporaryFiles(folders.output, wavNames);
    OpenConversionLog(folders.output);

    bool allConverted = true;
    for (std::size_t i = 0; i < names.size(); ++i) {
        allConverted = ConvertOne(dlg, steps, folders, names[i], wavNames[i]) && allConverted;
    }
    CloseConversionLog();
    return allConverted;
}
