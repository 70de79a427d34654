// The conversion's windows on GTK: the save dialog and the progress window
// (the song, the target file and its format, the bar, percentage and
// Cancel; Escape cancels, Enter does nothing). While it
// is open the main window takes no input; closing it cancels first.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <string>

#include "render/conversion_ui.h"

class GtkConversionUi final : public ConversionUi {
public:
    // `owner` is the main window (borrowed).
    explicit GtkConversionUi(GtkWindow* owner) : owner_(owner) {}
    ~GtkConversionUi() override { CloseProgress(); }
    GtkConversionUi(const GtkConversionUi&) = delete;
    GtkConversionUi& operator=(const GtkConversionUi&) = delete;

    // True while the progress window is open.
    bool Converting() const { return window_ != nullptr; }

    std::optional<std::string> ChooseOutputFile(const std::string& folder, const std::string& songName) override;
    void NameProgress(const std::string& songName, const std::string& target, AudioFormat format) override;
    void OpenProgress(int lower, int upper) override;
    // Runs every pending event, so that windows repaint and Cancel is heard;
    // at most once a frame, since blocks come far faster than the screen
    // refreshes.
    void PumpEvents() override;
    void SetProgressPosition(int position) override;
    void SetProgressText(const std::string& text) override;
    void CloseProgress() override;
    bool CancelRequested() const override { return cancelled_; }
    // Asks the running conversion to stop, as the Cancel button does.
    void Cancel();

private:
    static void OnCancel(GtkButton* button, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);

    GtkWindow* owner_;
    // What the next progress window names.
    std::string title_;
    std::string songName_;
    std::string target_;
    GtkWidget* window_ = nullptr;
    GtkWidget* bar_ = nullptr;
    GtkWidget* label_ = nullptr;
    GtkWidget* cancel_ = nullptr;
    int lower_ = 0;
    int upper_ = 0;
    double fraction_ = -1.0;
    std::chrono::steady_clock::time_point lastPump_;
    bool cancelled_ = false;
};
