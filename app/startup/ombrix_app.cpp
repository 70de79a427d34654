// Start-up in its fixed order: timeline, module discovery (nothing runs
// without a module, batch included), the main window object with its tone
// library, then the batch or the window. The command line is read first
// only to choose where the module message goes: a message box when the
// window would run, standard error in batch mode.
#include "app/startup/ombrix_app.h"

#include <filesystem>
#include <iostream>

#include "app/batch/batch_steps.h"
#include "app/startup/command_line.h"
#include "app/batch/convert_folder.h"
#include "app/startup/interactive_shell.h"
#include "app/startup/module_discovery.h"
#include "app/song/ombrix_dlg.h"
#include "app/startup/settings_file.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "platform/text.h"
#include "sequencer/song_timeline.h"
#include "tone/tone_library.h"

CCPTrackContainers* g_pCPTrackContainers = nullptr;

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr std::string_view kNoWindow =
    "ombrix: this program has no window here; convert a folder with -f<folder>[,-p0|-p1]";

}  // namespace

std::unique_ptr<ToneLibrary> LoadToneLibrary() {
    ResolveSettingsFolder();
    return BuildToneLibrary(ToneFolders{ProgramFolder(), g_szSettingsFolder});
}

COmbrixApp::COmbrixApp()
    : trackContainers_(std::make_unique<CCPTrackContainers>()),
      currentSong_(std::make_unique<SongContainer>(1)),
      secondSong_(std::make_unique<SongContainer>(0)) {
    g_pCPTrackContainers = trackContainers_.get();
}

COmbrixApp::~COmbrixApp() {
    g_pSongTimeline = nullptr;
    timeline_.reset();
    currentSong_.reset();
    secondSong_.reset();
    g_pCPTrackContainers = nullptr;
    trackContainers_.reset();
}

void COmbrixApp::CreateTimeline() {
    timeline_ = std::make_unique<SongTimeline>(*currentSong_);
    g_pSongTimeline = timeline_.get();
}

int COmbrixApp::InitInstance(std::string_view commandLine, InteractiveShell* shell) {
    CreateTimeline();

    std::string batchFolder;
    bool preCountArg = true;
    // A command line that names a file opens it in the window, even when its
    // path happens to contain "-f" (".../my-fav.mid").
    const std::string songPath(Trim(commandLine));
    std::error_code ignored;
    const bool namesSong = !songPath.empty() && std::filesystem::is_regular_file(songPath, ignored);
    if (!namesSong) ParseCommandLine(commandLine, batchFolder, preCountArg);
    const bool interactive = batchFolder.empty();
    if (interactive && shell == nullptr) {
        std::cerr << kNoWindow << '\n';
        return kExitFailure;
    }
    if (interactive && !shell->Start()) return kExitFailure;

    if (!DiscoverSynthModule()) {
        // The English hint comes first in interactive mode: the box waits for OK.
        if (!interactive) ShowMessageBox(kModuleNotInstalledMessage);
        const std::string hint = ModuleNotRegisteredHint(DefaultRegistryRoots(), ProgramFolder());
        std::cerr << hint << '\n';
        // The box shows the hint without the program's name in front.
        constexpr std::string_view kPrefix = "ombrix: ";
        if (interactive)
            shell->ShowMessage(kModuleNotInstalledMessage,
                               std::string_view(hint).substr(hint.starts_with(kPrefix) ? kPrefix.size() : 0));
        return kExitFailure;
    }

    auto dlg = std::make_unique<COmbrixDlg>();
    dlg->m_toneLibrary = LoadToneLibrary();
    dlg->m_strBatchFolder = std::move(batchFolder);
    dlg->m_bPreCountArg = preCountArg;

    if (interactive) return shell->RunMainWindow(*dlg, CurrentSong(), songPath);
    ProgramBatchSteps steps(*dlg, CurrentSong());
    return ConvertFolder(*dlg, steps) ? kExitSuccess : kExitFailure;
}
