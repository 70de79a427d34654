// A drawing area that stands for one control of a skinned window: it can
// take the keyboard focus, draws a focus ring, and tells assistive
// technologies (ATK, and AT-SPI through it) the control's name, role and
// states, with one action, "click".
#pragma once

#include <gtk/gtk.h>

#include <string>

// What an assistive technology learns of a control, and its one action.
class ControlDescription {
public:
    enum class Role { kPushButton, kToggleButton, kSpinButton };
    virtual ~ControlDescription() = default;
    virtual std::string AccessibleName() const = 0;
    virtual Role AccessibleRole() const = 0;
    // For toggle buttons: whether the control is on.
    virtual bool Checked() const = 0;
    // False while the control takes no input.
    virtual bool Usable() const = 0;
    // The "click" action (push and toggle buttons): what Space does while
    // the control has the focus.
    virtual void Activate() = 0;
};

// A new focusable drawing area described by `description` (borrowed; it
// must outlive the widget, or be detached with DetachControlArea). With
// `ownWindow` false the area draws on its parent's window and leaves every
// pointer event to the widget below it.
GtkWidget* NewControlArea(ControlDescription& description, bool ownWindow);
// The widget no longer answers from its description (its owner goes first).
void DetachControlArea(GtkWidget* area);
// Tells assistive technologies that the name, the check mark or the
// usability may have changed.
void NotifyControlChanged(GtkWidget* area);
// Draws the focus ring inside `width` x `height` when `area` has the focus
// and its window shows the focus (the keyboard has moved it).
void DrawFocusRing(GtkWidget* area, cairo_t* cr, int width, int height);
