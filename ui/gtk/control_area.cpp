// The control area widget and its accessible object, as GObject types.
#include "ui/gtk/control_area.h"

#include <gtk/gtk-a11y.h>

namespace {

// The ring: a light outer line and a dark inner one, so that it shows on
// every part of the skin.
constexpr double kRingOuter[] = {1.0, 0.85, 0.0};
constexpr double kRingInner[] = {0.0, 0.0, 0.0};
constexpr double kRingWidth = 2.0;
constexpr char kActionName[] = "click";

struct OmbrixControlArea {
    GtkDrawingArea parent;
    ControlDescription* description;
    // The last states told to assistive technologies.
    bool checked;
    bool usable;
};
struct OmbrixControlAreaClass {
    GtkDrawingAreaClass parent;
};

struct OmbrixControlAccessible {
    GtkWidgetAccessible parent;
};
struct OmbrixControlAccessibleClass {
    GtkWidgetAccessibleClass parent;
};

GType ombrix_control_area_get_type();
GType ombrix_control_accessible_get_type();
void ombrix_control_accessible_action_init(AtkActionIface* iface);

G_DEFINE_TYPE(OmbrixControlArea, ombrix_control_area, GTK_TYPE_DRAWING_AREA)
G_DEFINE_TYPE_WITH_CODE(OmbrixControlAccessible, ombrix_control_accessible, GTK_TYPE_WIDGET_ACCESSIBLE,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, ombrix_control_accessible_action_init))

OmbrixControlArea* AreaOf(gpointer widget) {
    return G_TYPE_CHECK_INSTANCE_CAST(widget, ombrix_control_area_get_type(), OmbrixControlArea);
}

// The description behind an accessible object, or null once the widget or its owner is gone.
ControlDescription* DescriptionOf(AtkObject* accessible) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
    return widget ? AreaOf(widget)->description : nullptr;
}

void ombrix_control_area_init(OmbrixControlArea* area) {
    area->description = nullptr;
    gtk_widget_set_can_focus(GTK_WIDGET(area), TRUE);
}

// The ring comes and goes with the focus.
gboolean OnFocusChange(GtkWidget* widget, GdkEventFocus* event) {
    gtk_widget_queue_draw(widget);
    const GtkWidgetClass* parent = GTK_WIDGET_CLASS(ombrix_control_area_parent_class);
    const auto handler = event->in ? parent->focus_in_event : parent->focus_out_event;
    return handler ? handler(widget, event) : FALSE;
}

void ombrix_control_area_class_init(OmbrixControlAreaClass* klass) {
    GtkWidgetClass* widget = GTK_WIDGET_CLASS(klass);
    widget->focus_in_event = OnFocusChange;
    widget->focus_out_event = OnFocusChange;
    gtk_widget_class_set_accessible_type(widget, ombrix_control_accessible_get_type());
}

const gchar* AccessibleGetName(AtkObject* accessible) {
    ControlDescription* description = DescriptionOf(accessible);
    if (!description) return nullptr;
    // ATK keeps no copy of the returned text: it lives in the object until the next call.
    gchar* name = g_strdup(description->AccessibleName().c_str());
    g_object_set_data_full(G_OBJECT(accessible), "ombrix-name", name, g_free);
    return name;
}

AtkStateSet* AccessibleRefStateSet(AtkObject* accessible) {
    AtkStateSet* states = ATK_OBJECT_CLASS(ombrix_control_accessible_parent_class)->ref_state_set(accessible);
    const ControlDescription* description = DescriptionOf(accessible);
    if (!description) return states;
    if (!description->Usable()) {
        atk_state_set_remove_state(states, ATK_STATE_SENSITIVE);
        atk_state_set_remove_state(states, ATK_STATE_ENABLED);
        atk_state_set_remove_state(states, ATK_STATE_FOCUSABLE);
    }
    if (description->AccessibleRole() == ControlDescription::Role::kToggleButton) {
        atk_state_set_add_state(states, ATK_STATE_CHECKABLE);
        if (description->Checked()) atk_state_set_add_state(states, ATK_STATE_CHECKED);
        if (description->Checked()) atk_state_set_add_state(states, ATK_STATE_PRESSED);
    }
    return states;
}

AtkRole AccessibleGetRole(AtkObject* accessible) {
    const ControlDescription* description = DescriptionOf(accessible);
    if (!description) return ATK_ROLE_UNKNOWN;
    switch (description->AccessibleRole()) {
        case ControlDescription::Role::kPushButton: return ATK_ROLE_PUSH_BUTTON;
        case ControlDescription::Role::kToggleButton: return ATK_ROLE_TOGGLE_BUTTON;
        case ControlDescription::Role::kSpinButton: return ATK_ROLE_SPIN_BUTTON;
    }
    return ATK_ROLE_UNKNOWN;
}

void ombrix_control_accessible_init(OmbrixControlAccessible*) {}

void ombrix_control_accessible_class_init(OmbrixControlAccessibleClass* klass) {
    AtkObjectClass* atk = ATK_OBJECT_CLASS(klass);
    atk->get_name = AccessibleGetName;
    atk->ref_state_set = AccessibleRefStateSet;
    atk->get_role = AccessibleGetRole;
}

// A spin button is set by its value, not clicked.
gint ActionCount(AtkAction* action) {
    const ControlDescription* description = DescriptionOf(ATK_OBJECT(action));
    return description && description->AccessibleRole() != ControlDescription::Role::kSpinButton ? 1 : 0;
}

gboolean DoAction(AtkAction* action, gint index) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(action));
    if (index != 0 || !widget) return FALSE;
    if (ActionCount(action) == 0 || !AreaOf(widget)->description->Usable()) return FALSE;
    // The action may open a modal dialog: it runs once the request has been answered.
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        +[](gpointer data) -> gboolean {
            if (ControlDescription* control = AreaOf(data)->description) control->Activate();
            return G_SOURCE_REMOVE;
        },
        g_object_ref(widget), g_object_unref);
    return TRUE;
}

const gchar* ActionName(AtkAction*, gint index) { return index == 0 ? kActionName : nullptr; }

void ombrix_control_accessible_action_init(AtkActionIface* iface) {
    iface->get_n_actions = ActionCount;
    iface->do_action = DoAction;
    iface->get_name = ActionName;
}

}  // namespace

GtkWidget* NewControlArea(ControlDescription& description, bool ownWindow) {
    auto* widget = static_cast<GtkWidget*>(g_object_new(ombrix_control_area_get_type(), nullptr));
    if (!ownWindow) gtk_widget_set_has_window(widget, FALSE);
    OmbrixControlArea* area = AreaOf(widget);
    area->description = &description;
    area->checked = description.Checked();
    area->usable = description.Usable();
    return widget;
}

void DetachControlArea(GtkWidget* area) { AreaOf(area)->description = nullptr; }

void NotifyControlChanged(GtkWidget* widget) {
    OmbrixControlArea* area = AreaOf(widget);
    if (!area->description) return;
    AtkObject* accessible = gtk_widget_get_accessible(widget);
    g_object_notify(G_OBJECT(accessible), "accessible-name");
    const bool checked = area->description->Checked();
    const bool usable = area->description->Usable();
    if (checked != area->checked) atk_object_notify_state_change(accessible, ATK_STATE_CHECKED, checked);
    if (usable != area->usable) {
        atk_object_notify_state_change(accessible, ATK_STATE_SENSITIVE, usable);
        atk_object_notify_state_change(accessible, ATK_STATE_ENABLED, usable);
    }
    area->checked = checked;
    area->usable = usable;
}

void DrawFocusRing(GtkWidget* area, cairo_t* cr, int width, int height) {
    if (!gtk_widget_has_focus(area)) return;
    // Only once the keyboard has moved the focus, as GTK's own widgets do.
    GtkWidget* toplevel = gtk_widget_get_toplevel(area);
    if (GTK_IS_WINDOW(toplevel) && !gtk_window_get_focus_visible(GTK_WINDOW(toplevel))) return;
    cairo_save(cr);
    cairo_set_line_width(cr, kRingWidth);
    cairo_set_source_rgb(cr, kRingOuter[0], kRingOuter[1], kRingOuter[2]);
    cairo_rectangle(cr, kRingWidth / 2, kRingWidth / 2, width - kRingWidth, height - kRingWidth);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgb(cr, kRingInner[0], kRingInner[1], kRingInner[2]);
    cairo_rectangle(cr, kRingWidth + 0.5, kRingWidth + 0.5, width - 2 * kRingWidth - 1, height - 2 * kRingWidth - 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}
