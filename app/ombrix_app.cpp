// Start-up in its fixed order: timeline, module discovery (nothing runs
// without a module, batch included), the main window object with its tone
// library, the command line, then the batch or the window.
#include "app/ombrix_app.h"

#include <iostream>

#include "app/batch_steps.h"
#include "app/command_line.h"
#include "app/convert_folder.h"
#include "app/module_discovery.h"
#include "app/ombrix_dlg.h"
#include "app/settings_file.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"
#include "sequencer/song_timeline.h"
#include "tone/tone_library.h"

CCPTrackContainers* g_pCPTrackContainers = nullptr;

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr std::string_view kNoWindowYet =
    "ombrix: the main window is not available yet; convert a folder with -f<folder>[,-p0|-p1]";

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

int COmbrixApp::InitInstance(std::string_view commandLine) {
    CreateTimeline();

    if (!DiscoverSynthModule()) {
        ShowMessageBox(kModuleNotInstalledMessage);
        std::cerr << ModuleNotRegisteredHint(DefaultRegistryRoots(), ProgramFolder()) << '\n';
        return kExitFailure;
    }

    auto dlg = std::make_unique<COmbrixDlg>();
    dlg->m_toneLibrary = LoadToneLibrary();
    ParseCommandLine(commandLine, dlg->m_strBatchFolder, dlg->m_bPreCountArg);

    if (dlg->m_strBatchFolder.empty()) {
        std::cerr << kNoWindowYet << '\n';
        return kExitFailure;
    }
    ProgramBatchSteps steps(*dlg, CurrentSong());
    return ConvertFolder(*dlg, steps) ? kExitSuccess : kExitFailure;
}
