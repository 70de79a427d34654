// Key and click of the window, and their status line.
#include "ui/window/practice_choices.h"

#include <cstdlib>

#include "app/song/ombrix_dlg.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "ui/window/client_area.h"

namespace {

constexpr char kMinusSign[] = "\u2212";
constexpr char kSeparator[] = " \u00B7 ";

}  // namespace

std::string PracticeStatusText(int semitones, bool click) {
    std::string text;
    if (semitones != 0) {
        const std::string shift = (semitones > 0 ? "+" : kMinusSign) + std::to_string(std::abs(semitones));
        // TRANSLATORS: the musical key, as a karaoke machine shows it ("Key +2": two semitones up).
        text = Formatted(Tr("Key %s"), shift.c_str());
    }
    if (click) {
        if (!text.empty()) text += kSeparator;
        // TRANSLATORS: a metronome click on every beat of the song.
        text += Tr("Click");
    }
    return text;
}

bool PracticeChoices::CanTranspose(int semitones) const {
    const int key = dlg_.m_songOptions.transpose + semitones;
    return !dlg_.m_strSongName.empty() && key >= -kMaxTransposeSemitones && key <= kMaxTransposeSemitones;
}

void PracticeChoices::Transpose(int semitones) {
    if (!CanTranspose(semitones) || semitones == 0) return;
    dlg_.m_songOptions.transpose += semitones;
    Changed();
}

void PracticeChoices::ResetKey() { Transpose(-dlg_.m_songOptions.transpose); }

bool PracticeChoices::AtOriginalKey() const { return dlg_.m_songOptions.transpose == 0; }

void PracticeChoices::SetClick(bool on) {
    if (on == click_) return;
    click_ = on;
    dlg_.m_songOptions.click = on;
    Changed();
}

void PracticeChoices::AfterOptionsReset() {
    dlg_.m_songOptions.transpose = 0;
    dlg_.m_songOptions.click = click_;
    Changed();
}

std::string PracticeChoices::StatusText() const {
    return PracticeStatusText(dlg_.m_songOptions.transpose, dlg_.m_songOptions.click);
}

void PracticeChoices::Changed() { area_.InvalidateRect(kPracticeStatusRect); }
