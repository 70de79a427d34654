// The skinned two-state switch of the main window. It draws itself from
// image strips (released image over pressed image), follows the mouse
// buttons and reports every toggle to its parent. The toolkit gives it a
// ControlWindow for repaints and mouse capture and forwards events to it.
#pragma once

#include "ui/controls/canvas.h"
#include "ui/controls/qbx_bitmap.h"

// The message number by which a switch reports its new state.
constexpr int kSwitchNotifyMessage = 0x0705;
// Added to the notified value when the right button made the toggle.
constexpr int kRightButtonNotifyFlag = 0x10000;

enum class MouseButton { kLeft, kRight };

// The parent of switches: receives their notifications.
class SwitchNotifyTarget {
public:
    virtual ~SwitchNotifyTarget() = default;
    // Switch `id` was toggled or set: `value` is 1 when it is now on, 0 when
    // off, plus kRightButtonNotifyFlag when the right button toggled it.
    // Called synchronously, before the switch's handler returns.
    virtual void OnSwitchNotify(int id, int value) = 0;
};

// What a control asks of its own window in the toolkit.
class ControlWindow {
public:
    virtual ~ControlWindow() = default;
    // Schedules a repaint of the whole control.
    virtual void Invalidate() = 0;
    // Repaints the control as soon as the toolkit can (at once where it can).
    virtual void UpdateNow() = 0;
    // Sends every mouse event to this control until ReleaseCapture.
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
};

// The rectangle of a switch at (x, y) showing `strip`: the strip's width and
// half its height (empty without a strip).
PixelRect SwitchRectAt(int x, int y, const CQBXBitmap* strip);

class CQBXBitmapSwitch2 {
public:
    // Sets the switch up as its window is created: `parent` receives the
    // notifications, `id` is the control ID, `rect` the place in the
    // parent's client area; the images are borrowed (may be null: nothing is
    // drawn). State off, released, enabled, no disabled image.
    void Create(SwitchNotifyTarget* parent, int id, PixelRect rect, const CQBXBitmap* offImage, const CQBXBitmap* onImage);
    // Connects the toolkit window that shows this switch (null: none).
    void AttachWindow(ControlWindow* window) { window_ = window; }

    int Id() const { return id_; }
    PixelRect Rect() const { return rect_; }
    bool State() const { return state_; }
    bool Enabled() const { return enabled_; }
    bool Pressed() const { return pressed_; }

    // Borrows the single image shown whole while disabled (null: none, the
    // off strip is shown instead).
    void SetDisabledImage(const CQBXBitmap* image) { disabledImage_ = image; }
    // Enables or disables the switch and invalidates it; the state is kept.
    void SetEnabled(bool enabled);
    // Sets the state of an enabled switch to `value` (nonzero: on) and
    // invalidates it; with `notify` 1 the parent hears of it. Nothing happens
    // when the switch is disabled or already has that state.
    void SetSwitchState(int value, int notify);

    // Mouse button pressed on the switch: captures the mouse and shows the
    // pressed half. Ignored while disabled.
    void OnButtonDown(MouseButton button);
    // A double-click counts as a press.
    void OnButtonDblClk(MouseButton button) { OnButtonDown(button); }
    // Mouse button released (anywhere): after a press, toggles the state
    // and notifies the parent. Ignored while disabled or not pressed.
    void OnButtonUp(MouseButton button);
    // The toolkit took the capture away during a press: back to released,
    // without a toggle.
    void OnCaptureLost();

    // Draws the switch at (0, 0) of `canvas` (the switch's own surface).
    void OnPaint(Canvas& canvas) const;

private:
    void Invalidate();

    SwitchNotifyTarget* parent_ = nullptr;
    ControlWindow* window_ = nullptr;
    int id_ = 0;
    PixelRect rect_;
    bool pressed_ = false;
    const CQBXBitmap* offImage_ = nullptr;
    const CQBXBitmap* onImage_ = nullptr;
    const CQBXBitmap* disabledImage_ = nullptr;
    bool state_ = false;
    bool enabled_ = true;
};
