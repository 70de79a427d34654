// The window's key and click: the semitones the loaded song is moved by
// (back to the original key whenever a song is opened) and the click on
// every beat (kept for the next song, as PRE COUNT is). Both live in the
// song options a conversion reads; a status line at the foot of the skin
// shows them while they differ from the plain song.
#pragma once

#include <string>

#include "ui/window/window_canvas.h"

class COmbrixDlg;
class ClientArea;

// The key moves at most an octave either way.
inline constexpr int kMaxTransposeSemitones = 12;
// The status line: the free strip under the channel rows, left of VOL and MUTE.
inline constexpr PixelRect kPracticeStatusRect{12, 529, 330, 14};
inline constexpr TextColour kPracticeStatusColour{238, 170, 60};

// What the status line says: "Key +2", "Key −3", "Click", both as
// "Key +2 · Click", or "" for the original key without click.
std::string PracticeStatusText(int semitones, bool click);

class PracticeChoices {
public:
    // Both are borrowed for the object's lifetime.
    PracticeChoices(COmbrixDlg& dlg, ClientArea& area) : dlg_(dlg), area_(area) {}

    // True when the key can move by `semitones`: a song is loaded and the
    // result stays within ±12.
    bool CanTranspose(int semitones) const;
    // Moves the key by `semitones` when it can; otherwise nothing.
    void Transpose(int semitones);
    // Back to the song's own key.
    void ResetKey();
    bool AtOriginalKey() const;
    void SetClick(bool on);
    bool Click() const { return click_; }
    // The song options were reset (start-up, an open): the key stays
    // original and the click is put back as the user chose it.
    void AfterOptionsReset();

    // What the status line says of the key and the click ("" for neither).
    std::string StatusText() const;

private:
    void Changed();

    COmbrixDlg& dlg_;
    ClientArea& area_;
    bool click_ = false;
};
