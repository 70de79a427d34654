// The tempo display and its two arrow buttons: three digit cells show the
// tempo percentage of the loaded song, and holding an arrow changes it by
// one at once and then by one every 120 ms, between 1 and 999.
#pragma once

#include <array>

#include "ui/controls/canvas.h"

class COmbrixDlg;
class ClientArea;
class WindowImages;
class WindowTimers;

inline constexpr PixelRect kTempoUpRect{369, 55, 22, 22};
inline constexpr PixelRect kTempoDownRect{369, 77, 22, 22};
// The whole display: the three cells.
inline constexpr PixelRect kTempoDisplayRect{249, 59, 92, 34};
// The three digit cells, left to right.
inline constexpr std::array<PixelRect, 3> kTempoDigitRects{
    PixelRect{249, 59, 30, 34}, PixelRect{280, 59, 30, 34}, PixelRect{311, 59, 30, 34}};

inline constexpr int kTempoUpTimer = 100;
inline constexpr int kTempoDownTimer = 101;
inline constexpr int kTempoRepeatMs = 120;
inline constexpr int kMinTempoPercent = 1;
inline constexpr int kMaxTempoPercent = 999;

// The digit-strip cells (0-9 digits, 10 blank, 11 "-") of the three display
// cells: hundreds and tens are blank while they and every digit before them
// are 0; without a song every cell shows "-".
std::array<int, 3> TempoDigitCells(int tempoPercent, bool songLoaded);

class TempoButtons {
public:
    // All three are borrowed for the object's lifetime.
    TempoButtons(COmbrixDlg& dlg, WindowTimers& timers, ClientArea& area) : dlg_(dlg), timers_(timers), area_(area) {}

    // A left press (or double-click) at (x, y) of the client area. Returns
    // true when it landed on an arrow: the mouse is captured, the arrow shows
    // pressed, and with a song loaded the tempo steps once and the repeat
    // timer starts.
    bool OnButtonDown(int x, int y);
    // Left button released: the held arrow comes up and its timer stops.
    void OnButtonUp();
    // The capture was taken away while an arrow was held: the same as a
    // release, so the tempo stops changing.
    void OnCaptureLost() { OnButtonUp(); }
    // Repeat timer `id`: one more step. False for timers that are not the tempo's.
    bool OnTimer(int id);
    // Clears both arrow flags (window start-up).
    void Reset() { upPressed_ = downPressed_ = false; }

    bool UpPressed() const { return upPressed_; }
    bool DownPressed() const { return downPressed_; }

    // Draws the three digit cells and both arrows.
    void Paint(Canvas& canvas, const WindowImages& images) const;

private:
    void Step(int delta);

    COmbrixDlg& dlg_;
    WindowTimers& timers_;
    ClientArea& area_;
    bool upPressed_ = false;
    bool downPressed_ = false;
};
