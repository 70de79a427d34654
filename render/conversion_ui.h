// What the conversion needs from a user interface: the output file choice
// and the progress window. The main window plugs in its dialogs; batch
// conversion without a display uses HeadlessConversionUi.
#pragma once

#include <optional>
#include <string>

#include "render/audio_format.h"

class ConversionUi {
public:
    virtual ~ConversionUi() = default;
    // Asks the user for the output file, starting in `folder` with the name
    // `songName`; the WAV file name, or nothing when the user does not confirm.
    virtual std::optional<std::string> ChooseOutputFile(const std::string& folder, const std::string& songName) = 0;
    // Says what the next progress window is for: the song `songName`, the
    // file `target` it is written into and that file's format. A progress
    // that names nothing ignores it.
    virtual void NameProgress(const std::string& /*songName*/, const std::string& /*target*/, AudioFormat /*format*/) {}
    // Shows the progress window with the bar's range [lower, upper].
    virtual void OpenProgress(int lower, int upper) = 0;
    // Runs pending window events so that windows repaint between blocks.
    virtual void PumpEvents() = 0;
    // Moves the bar to `position`.
    virtual void SetProgressPosition(int position) = 0;
    // Replaces the percentage text beside the bar.
    virtual void SetProgressText(const std::string& text) = 0;
    // Hides and destroys the progress window.
    virtual void CloseProgress() = 0;
    // With true: the module is being bound and loads its sounds, which
    // reports no position and can take a minute for a large compressed
    // SoundFont on a busy machine; until false, the user interface shows
    // that the conversion is alive.
    virtual void SetLoading(bool loading) { (void)loading; }
    // With true: the song is rendered, and measuring, levelling and encoding
    // it follow, which report no position and take minutes for a long song;
    // until false, the user interface shows that the conversion is alive.
    virtual void SetFinishing(bool finishing) { (void)finishing; }
    // True once the user asked to stop the running conversion.
    virtual bool CancelRequested() const { return false; }
};

// No dialogs and no progress window: the choice is never confirmed and
// progress goes nowhere.
class HeadlessConversionUi : public ConversionUi {
public:
    std::optional<std::string> ChooseOutputFile(const std::string&, const std::string&) override { return {}; }
    void OpenProgress(int, int) override {}
    void PumpEvents() override {}
    void SetProgressPosition(int) override {}
    void SetProgressText(const std::string&) override {}
    void CloseProgress() override {}
};
