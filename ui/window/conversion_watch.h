// One interactive conversion watched on its way to the user's dialogs and
// message boxes, so that the window can say where the file went: the file
// the user chose, whether the user cancelled, whether anything failed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/user_report.h"
#include "render/conversion_ui.h"

class ConversionWatch final : public ConversionUi, public UserReport {
public:
    // Passes everything on to `ui` and `report` (borrowed).
    ConversionWatch(ConversionUi& ui, UserReport& report) : ui_(ui), report_(report) {}

    // The file the conversion wrote: the chosen one, unless the user
    // cancelled or a message reported a failure; nothing otherwise.
    std::optional<std::string> SavedFile() const;

    // ConversionUi
    std::optional<std::string> ChooseOutputFile(const std::string& folder, const std::string& songName) override;
    void OpenProgress(int lower, int upper) override { ui_.OpenProgress(lower, upper); }
    void PumpEvents() override { ui_.PumpEvents(); }
    void SetProgressPosition(int position) override { ui_.SetProgressPosition(position); }
    void SetProgressText(const std::string& text) override { ui_.SetProgressText(text); }
    void CloseProgress() override { ui_.CloseProgress(); }
    bool CancelRequested() const override;

    // UserReport
    void Report(std::string_view text) override;

private:
    ConversionUi& ui_;
    UserReport& report_;
    std::optional<std::string> chosen_;
    mutable bool cancelled_ = false;
    bool failed_ = false;
};
