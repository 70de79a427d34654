// Start-up in its fixed order: timeline, module discovery (nothing runs
// without a module, batch included), the main window object with its tone
// library, then the batch or the window. The command line is read first
// only to choose where the module message goes: a message box when the
// window would run, standard error in batch mode.
#include "app/startup/ombrix_app.h"

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
#include "platform/standard_error.h"
#include "platform/text.h"
#include "sequencer/song_timeline.h"
#include "tone/tone_library.h"

CCPTrackContainers* g_pCPTrackContainers = nullptr;

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

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
    const std::string songPath = SongNamedBy(commandLine);
    if (songPath.empty()) ParseCommandLine(commandLine, batchFolder, preCountArg);
    const bool interactive = batchFolder.empty();
    if (interactive && (shell == nullptr || !shell->Start())) {
        WriteErrorLine(NoWindowMessage(songPath, shell != nullptr));
        return kExitFailure;
    }

    if (!DiscoverSynthModule()) {
        // The English hint comes first in interactive mode: the box waits for OK.
        if (!interactive) ShowMessageBox(kModuleNotInstalledMessage);
        const std::string hint = ModuleNotRegisteredHint(DefaultRegistryRoots(), ProgramFolder());
        std::cerr << hint << '\n';
        // The box shows the hint without the program's name in front.
        if (interactive) shell->ShowMessage(kModuleNotInstalledMessage, ErrorLinesText(hint, "\n"));
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
