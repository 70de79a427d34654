// The batch's steps on the program's own objects: the song is opened into
// the main window object and converted through the render song in a worker
// process, with the progress shown as one terminal line per file.
#pragma once

#include <string>

#include "app/batch/convert_folder.h"
#include "render/conversion_ui.h"

class COmbrixDlg;
class SongContainer;

// Progress of a batch conversion: when standard error is a terminal, one
// line per file ("name 42%") rewritten in place; otherwise nothing, so that
// redirected output stays clean.
class BatchProgressUi final : public ConversionUi {
public:
    BatchProgressUi();
    // Names the file whose progress follows.
    void SetFileName(std::string name) { fileName_ = std::move(name); }

    std::optional<std::string> ChooseOutputFile(const std::string&, const std::string&) override { return {}; }
    void OpenProgress(int lower, int upper) override;
    void PumpEvents() override {}
    void SetProgressPosition(int) override {}
    void SetProgressText(const std::string& text) override;
    void CloseProgress() override;

private:
    bool toTerminal_;
    bool lineOpen_ = false;
    std::string fileName_;
    std::string text_;
};

// Opens each file with OpenMidiFile and converts it with ConvertSongToWav in
// a worker process, so that a module that crashes or hangs fails that file only.
class ProgramBatchSteps final : public BatchSteps {
public:
    // Both objects are borrowed for the batch's lifetime.
    ProgramBatchSteps(COmbrixDlg& dlg, SongContainer& renderSong) : dlg_(dlg), renderSong_(renderSong) {}
    void OpenSong(const std::string& path, UserReport& report) override;
    void ConvertSong(const std::string& path, UserReport& report) override;

private:
    COmbrixDlg& dlg_;
    SongContainer& renderSong_;
    BatchProgressUi progress_;
};
