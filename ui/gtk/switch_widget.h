// The GTK widget of a bitmap switch: a drawing area of the switch's size
// that paints the switch and forwards its mouse buttons to it. It takes the
// keyboard focus, showing a ring, and tells assistive technologies its
// name, role (push or toggle button) and states.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "ui/gtk/control_area.h"

#include "ui/controls/bitmap_switch.h"

class SwitchWidget : public ControlWindow, public ControlDescription {
public:
    // Makes the widget for `control` (borrowed; it must outlive this object)
    // and attaches itself as the control's window. Put Widget() where the
    // switch belongs, e.g. gtk_fixed_put at the control's Rect().
    explicit SwitchWidget(CQBXBitmapSwitch2& control);
    // Detaches from the control and drops this object's widget reference.
    ~SwitchWidget() override;
    SwitchWidget(const SwitchWidget&) = delete;
    SwitchWidget& operator=(const SwitchWidget&) = delete;

    // The drawing area (this object holds a reference to it).
    GtkWidget* Widget() const { return widget_; }

    void Invalidate() override;
    // GTK 3 paints only in its draw signal: this queues the repaint, which
    // comes with the next frame.
    void UpdateNow() override;
    // While a button is held GTK's implicit grab sends every event to the
    // widget that got the press, so capture needs no call of its own.
    void SetCapture() override {}
    void ReleaseCapture() override {}

    // What assistive technologies hear: the name (asked anew each time) and
    // the role; a toggle button until told otherwise.
    void Describe(std::function<std::string()> name, Role role);
    std::string AccessibleName() const override { return name_ ? name_() : std::string(); }
    Role AccessibleRole() const override { return role_; }
    bool Checked() const override { return control_.State(); }
    bool Usable() const override { return control_.Enabled(); }
    // A left click, as Space gives it.
    void Activate() override;

private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean OnPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnGrabBroken(GtkWidget* widget, GdkEvent* event, gpointer self);

    CQBXBitmapSwitch2& control_;
    std::function<std::string()> name_;
    Role role_ = Role::kToggleButton;
    GtkWidget* widget_;
};
