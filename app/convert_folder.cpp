// The batch loop. Per file the log holds the input path, the errors of the
// import and the conversion, and "END". A folder with no match creates no
// "Conv" folder and no log (a folder whose only matches are folders counts as
// such); the user is told that there was nothing to do.
#include "app/convert_folder.h"

#include <filesystem>
#include <vector>

#include "app/conversion_log.h"
#include "app/ombrix_dlg.h"
#include "app/path_limits.h"
#include "platform/directory_listing.h"
#include "platform/interrupt_cleanup.h"
#include "platform/message_box.h"
#include "platform/riff_writer.h"

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

// Converts one file; true when nothing was reported.
bool ConvertOne(COmbrixDlg& dlg, BatchSteps& steps, const std::string& folder, const std::string& outputFolder,
                const std::string& name) {
    ConversionLogReport report;
    const std::string input = folder + "/" + name;
    const std::string output = outputFolder + WavNameFor(name);
    AppendLogLine(input);
    if (!FitsPathBuffer(input) || !FitsPathBuffer(output)) {
        report.Report(kPathTooLongLine);
    } else {
        steps.OpenSong(input, report);
        // After the open, which resets the options: every song follows the command line.
        dlg.m_songOptions.preCount = dlg.m_bPreCountArg;
        steps.ConvertSong(output, report);
    }
    AppendLogLine(kEndLine);
    return report.Count() == 0;
}

}  // namespace

std::string WavNameFor(const std::string& midiName) {
    return midiName.substr(0, midiName.size() - kWavExtension.size()) + std::string(kWavExtension);
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

    const BatchFolders folders = BatchFoldersFor(dlg.m_strBatchFolder);
    if (!FitsPathBuffer(folders.output + std::string(kConversionLogName))) {
        ShowMessageBox(kPathTooLongLine);
        return false;
    }
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : ListEntriesWithExtension(folders.listed, kMidiExtension)) {
        if (!entry.isDirectory) names.push_back(entry.name);
    }
    if (names.empty()) {
        ShowMessageBox(kNothingToConvertMessage);
        return false;
    }

    std::error_code ignored;  // a folder that cannot be made shows up as failed files
    std::filesystem::create_directory(folders.output, ignored);
    RemoveAbandonedTemporaryFiles(folders.output);
    OpenConversionLog(folders.output);

    bool allConverted = true;
    for (const std::string& name : names) {
        allConverted = ConvertOne(dlg, steps, folders.prefix, folders.output, name) && allConverted;
    }
    CloseConversionLog();
    return allConverted;
}
