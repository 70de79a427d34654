// Tempo display and arrow buttons.
#include "ui/window/tempo_buttons.h"

#include <algorithm>

#include "app/song/ombrix_dlg.h"
#include "resources/resource_ids.h"
#include "ui/window/client_area.h"
#include "ui/window/window_images.h"
#include "ui/window/window_timers.h"

std::array<int, 3> TempoDigitCells(int tempoPercent, bool songLoaded) {
    if (!songLoaded) return {kDashDigitCell, kDashDigitCell, kDashDigitCell};
    const int hundreds = tempoPercent / 100 % 10;
    const int tens = tempoPercent / 10 % 10;
    const int units = tempoPercent % 10;
    return {hundreds == 0 ? kBlankDigitCell : hundreds, hundreds == 0 && tens == 0 ? kBlankDigitCell : tens, units};
}

bool TempoButtons::OnButtonDown(int x, int y) {
    const bool up = kTempoUpRect.Contains(x, y);
    if (!up && !kTempoDownRect.Contains(x, y)) return false;
    // A press that comes while the other arrow is still held (its release
    // went elsewhere) ends that hold first.
    OnButtonUp();
    area_.SetCapture();
    (up ? upPressed_ : downPressed_) = true;
    area_.InvalidateRect(up ? kTempoUpRect : kTempoDownRect);
    if (!dlg_.m_strSongName.empty()) {
        Step(up ? 1 : -1);
        timers_.SetTimer(up ? kTempoUpTimer : kTempoDownTimer, kTempoRepeatMs);
    }
    return true;
}

void TempoButtons::OnButtonUp() {
    if (!upPressed_ && !downPressed_) return;
    const bool up = upPressed_;
    (up ? upPressed_ : downPressed_) = false;
    area_.ReleaseCapture();
    area_.InvalidateRect(up ? kTempoUpRect : kTempoDownRect);
    timers_.KillTimer(up ? kTempoUpTimer : kTempoDownTimer);
}

bool TempoButtons::OnTimer(int id) {
    if (id != kTempoUpTimer && id != kTempoDownTimer) return false;
    Step(id == kTempoUpTimer ? 1 : -1);
    return true;
}

void TempoButtons::Step(int delta) {
    int& percent = dlg_.m_songOptions.tempoPercent;
    percent = std::clamp(percent + delta, kMinTempoPercent, kMaxTempoPercent);
    for (const PixelRect& cell : kTempoDigitRects) area_.InvalidateRect(cell);
}

void TempoButtons::Paint(Canvas& canvas, const WindowImages& images) const {
    if (const CQBXBitmap* digits = images.Get(ResourceId::kDigits)) {
        const auto cells = TempoDigitCells(dlg_.m_songOptions.tempoPercent, !dlg_.m_strSongName.empty());
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const PixelRect& to = kTempoDigitRects[i];
            canvas.DrawImage(*digits, {cells[i] * kDigitCellWidth, 0, to.width, to.height}, to.x, to.y);
        }
    }
    const auto drawArrow = [&](int id, const PixelRect& at) {
        if (const CQBXBitmap* arrow = images.Get(id))
            canvas.DrawImage(*arrow, {0, 0, arrow->Width(), arrow->Height()}, at.x, at.y);
    };
    drawArrow(upPressed_ ? ResourceId::kTempoUpPressed : ResourceId::kTempoUp, kTempoUpRect);
    drawArrow(downPressed_ ? ResourceId::kTempoDownPressed : ResourceId::kTempoDown, kTempoDownRect);
}
