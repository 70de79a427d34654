// Recording the outcome of an interactive conversion while passing it on.
#include "ui/window/conversion_watch.h"

std::optional<std::string> ConversionWatch::SavedFile() const {
    if (cancelled_ || failed_) return std::nullopt;
    return chosen_;
}

std::optional<std::string> ConversionWatch::ChooseOutputFile(const std::string& folder, const std::string& songName) {
    chosen_ = ui_.ChooseOutputFile(folder, songName);
    return chosen_;
}

bool ConversionWatch::CancelRequested() const {
    const bool cancel = ui_.CancelRequested();
    cancelled_ = cancelled_ || cancel;
    return cancel;
}

void ConversionWatch::Report(std::string_view text) {
    failed_ = true;
    report_.Report(text);
}
