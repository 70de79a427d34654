// The bitmap switch's state machine and drawing.
#include "ui/controls/bitmap_switch.h"

PixelRect SwitchRectAt(int x, int y, const CQBXBitmap* strip)
{
    if (strip == nullptr) {
        return {x, y, 0, 0};
    }
    return {x, y, strip->Width(), strip->Height() / 2};
}

void CQBXBitmapSwitch2::Create(SwitchNotifyTarget* parent, int id, PixelRect rect, const CQBXBitmap* offImage,
                               const CQBXBitmap* onImage)
{
    parent_ = parent;
    id_ = id;
    rect_ = rect;
    offImage_ = offImage;
    onImage_ = onImage;
    disabledImage_ = nullptr;
    pressed_ = false;
    state_ = false;
    enabled_ = true;
}

void CQBXBitmapSwitch2::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Invalidate();
}

void CQBXBitmapSwitch2::SetSwitchState(int value, int notify)
{
    const bool on = value != 0;
    if (!enabled_ || on == state_) {
        return;
    }
    state_ = on;
    if (notify == 1 && parent_ != nullptr) {
        parent_->OnSwitchNotify(id_, state_ ? 1 : 0);
    }
    Invalidate();
}

void CQBXBitmapSwitch2::OnButtonDown(MouseButton)
{
    if (!enabled_) {
        return;
    }
    if (window_ != nullptr) {
        window_->SetCapture();
    }
    pressed_ = true;
    if (window_ != nullptr) {
        window_->UpdateNow();
    }
}

void CQBXBitmapSwitch2::OnButtonUp(MouseButton button)
{
    if (!enabled_ || !pressed_) {
        return;
    }
    if (window_ != nullptr) {
        window_->ReleaseCapture();
    }
    pressed_ = false;
    state_ = !state_;
    Invalidate();
    if (parent_ != nullptr) {
        const int rightFlag = button == MouseButton::kRight ? kRightButtonNotifyFlag : 0;
        parent_->OnSwitchNotify(id_, (state_ ? 1 : 0) + rightFlag);
    }
}

void CQBXBitmapSwitch2::OnCaptureLost()
{
    if (!pressed_) {
        return;
    }
    pressed_ = false;
    Invalidate();
}

void CQBXBitmapSwitch2::OnPaint(Canvas& canvas) const
{
    if (!enabled_ && disabledImage_ != nullptr) {
        canvas.DrawImage(*disabledImage_, {0, 0, disabledImage_->Width(), disabledImage_->Height()}, 0, 0);
        return;
    }
    const CQBXBitmap* strip = enabled_ && state_ ? onImage_ : offImage_;
    if (strip == nullptr) {
        return;
    }
    const int half = strip->Height() / 2;
    canvas.DrawImage(*strip, {0, pressed_ ? half : 0, strip->Width(), half}, 0, 0);
}

void CQBXBitmapSwitch2::Invalidate()
{
    if (window_ != nullptr) {
        window_->Invalidate();
    }
}
