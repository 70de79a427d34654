// Forwarding GDK events to a bitmap switch.
#include "ui/gtk/switch_widget.h"

#include <optional>

#include "ui/gtk/cairo_canvas.h"

namespace {

constexpr guint kLeftButton = 1;
constexpr guint kRightButton = 3;

std::optional<MouseButton> ButtonOf(const GdkEventButton* event)
{
    if (event->button == kLeftButton) {
        return MouseButton::kLeft;
    }
    if (event->button == kRightButton) {
        return MouseButton::kRight;
    }
    return std::nullopt;
}

}  // namespace

SwitchWidget::SwitchWidget(CQBXBitmapSwitch2& control) : control_(control), widget_(NewControlArea(*this, true))
{
    g_object_ref_sink(widget_);
    gtk_widget_set_size_request(widget_, control.Rect().width, control.Rect().height);
    gtk_widget_add_events(widget_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(widget_, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(widget_, "button-press-event", G_CALLBACK(OnPress), this);
    g_signal_connect(widget_, "button-release-event", G_CALLBACK(OnRelease), this);
    g_signal_connect(widget_, "grab-broken-event", G_CALLBACK(OnGrabBroken), this);
    control_.AttachWindow(this);
}

SwitchWidget::~SwitchWidget()
{
    control_.AttachWindow(nullptr);
    DetachControlArea(widget_);
    g_signal_handlers_disconnect_by_data(widget_, this);
    g_object_unref(widget_);
}

void SwitchWidget::Invalidate()
{
    gtk_widget_queue_draw(widget_);
    // The state or the usability may have changed.
    NotifyControlChanged(widget_);
}

void SwitchWidget::Describe(std::function<std::string()> name, Role role)
{
    name_ = std::move(name);
    role_ = role;
}

void SwitchWidget::Activate()
{
    control_.OnButtonDown(MouseButton::kLeft);
    control_.OnButtonUp(MouseButton::kLeft);
}

void SwitchWidget::UpdateNow()
{
    gtk_widget_queue_draw(widget_);
}

gboolean SwitchWidget::OnDraw(GtkWidget*, cairo_t* cr, gpointer self)
{
    auto* widget = static_cast<SwitchWidget*>(self);
    {
        CairoCanvas canvas(cr);
        widget->control_.OnPaint(canvas);
    }
    DrawFocusRing(widget->widget_, cr, widget->control_.Rect().width, widget->control_.Rect().height);
    return TRUE;
}

gboolean SwitchWidget::OnPress(GtkWidget*, GdkEventButton* event, gpointer self)
{
    // GDK follows the second press of a double-click with a 2-button event
    // (and a third with a 3-button event); the plain presses already count.
    if (event->type != GDK_BUTTON_PRESS) {
        return TRUE;
    }
    if (const std::optional<MouseButton> button = ButtonOf(event)) {
        static_cast<SwitchWidget*>(self)->control_.OnButtonDown(*button);
    }
    return TRUE;
}

gboolean SwitchWidget::OnRelease(GtkWidget*, GdkEventButton* event, gpointer self)
{
    if (const std::optional<MouseButton> button = ButtonOf(event)) {
        static_cast<SwitchWidget*>(self)->control_.OnButtonUp(*button);
    }
    return TRUE;
}

gboolean SwitchWidget::OnGrabBroken(GtkWidget*, GdkEvent*, gpointer self)
{
    static_cast<SwitchWidget*>(self)->control_.OnCaptureLost();
    return FALSE;
}
