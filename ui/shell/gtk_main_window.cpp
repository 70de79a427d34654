// GDK events to the main window's handlers, and its requests to GTK.
#include "ui/shell/gtk_main_window.h"

#include <filesystem>
#include <optional>

#include "app/song/ombrix_dlg.h"

#include "platform/sdl_audio_output.h"
#include "platform/text.h"
#include "platform/translation.h"

#include "resources/resource_ids.h"
#include "ui/gtk/window_icon.h"
#include "ui/shell/about_box.h"
#include "ui/shell/file_dialogs.h"
#include "ui/shell/pango_window_canvas.h"
#include "ui/shell/practice_dialog.h"
#include "ui/shell/sound_dialog.h"
#include "ui/window/control_names.h"

namespace {

constexpr guint kLeftButton = 1;
constexpr guint kRightButton = 3;
// The switch's control ID, kept on its widget.
constexpr char kSwitchIdKey[] = "ombrix-switch-id";
// The context menu entry's command, kept on the entry.
constexpr char kMenuCommandKey[] = "ombrix-menu-command";
// The tempo control's ring goes round the digits, clear of them.
constexpr int kTempoRingMargin = 3;
constexpr PixelRect kTempoRingRect{kTempoDisplayRect.x - kTempoRingMargin, kTempoDisplayRect.y - kTempoRingMargin,
                                   kTempoDisplayRect.width + 2 * kTempoRingMargin,
                                   kTempoDisplayRect.height + 2 * kTempoRingMargin};

// Whether `keyval` is a tempo key: true for up (Up, +), false for down
// (Down, -), nothing for other keys.
std::optional<bool> TempoKeyUp(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
        case GDK_KEY_plus:
        case GDK_KEY_KP_Add:
            return true;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
        case GDK_KEY_minus:
        case GDK_KEY_KP_Subtract:
            return false;
        default:
            return std::nullopt;
    }
}

}  // namespace

struct GtkMainWindow::TimerTick {
    GtkMainWindow* window;
    int id;
};

GtkMainWindow::GtkMainWindow(COmbrixDlg& dlg, SongContainer& renderSong)
    : dlg_(dlg), logic_(dlg, renderSong, *this, settings_) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(window_);
    messages_ = std::make_unique<MessageBoxReport>(GTK_WINDOW(window_));
    // A message box takes the pointer: whatever is held is let go first.
    messages_->SetBeforeShow([this] { logic_.OnCaptureLost(); });
    conversion_ = std::make_unique<GtkConversionUi>(GTK_WINDOW(window_));
    font_ = NewChannelNameFont();
    logic_.OnInitDialog();
    BuildWidgets();
}

GtkMainWindow::~GtkMainWindow() {
    *alive_ = false;
    for (const auto& [id, source] : timers_) g_source_remove(source);
    conversion_.reset();
    for (const auto& widget : switchWidgets_) g_signal_handlers_disconnect_by_data(widget->Widget(), this);
    g_signal_handlers_disconnect_by_data(window_, this);
    DetachControlArea(tempoArea_);
    g_object_unref(tempoArea_);
    switchWidgets_.clear();
    if (!destroyed_) gtk_widget_destroy(window_);
    g_object_unref(window_);
    pango_font_description_free(font_);
}

void GtkMainWindow::BuildWidgets() {
    GtkWindow* window = GTK_WINDOW(window_);
    gtk_window_set_title(window, kWindowCaption);
    gtk_window_set_resizable(window, FALSE);
    SetWindowIconFromResource(window, ResourceId::kIcon);

    GtkWidget* fixed = gtk_fixed_new();
    area_ = gtk_drawing_area_new();
    gtk_widget_set_size_request(area_, kClientWidth, kClientHeight);
    gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(area_, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(area_, "button-press-event", G_CALLBACK(OnPress), this);
    g_signal_connect(area_, "button-release-event", G_CALLBACK(OnRelease), this);
    g_signal_connect(area_, "grab-broken-event", G_CALLBACK(OnGrabBroken), this);
    // A modal dialog's grab raises no grab-broken event, only grab-notify.
    g_signal_connect(area_, "grab-notify", G_CALLBACK(OnGrabNotify), this);
    gtk_fixed_put(GTK_FIXED(fixed), area_, 0, 0);
    for (CQBXBitmapSwitch2* control : logic_.Switches()) {
        auto widget = std::make_unique<SwitchWidget>(*control);
        gtk_fixed_put(GTK_FIXED(fixed), widget->Widget(), control->Rect().x, control->Rect().y);
        // Where the pointer rests: the window marks what a part switch would mute.
        GtkWidget* area = widget->Widget();
        gtk_widget_add_events(area, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
        g_object_set_data(G_OBJECT(area), kSwitchIdKey, GINT_TO_POINTER(control->Id()));
        g_signal_connect(area, "enter-notify-event", G_CALLBACK(OnSwitchCrossing), this);
        g_signal_connect(area, "leave-notify-event", G_CALLBACK(OnSwitchCrossing), this);
        g_signal_connect(area, "grab-notify", G_CALLBACK(OnGrabNotify), this);
        const int id = control->Id();
        const bool command = id == SwitchId::kLoad || id == SwitchId::kConvert;
        widget->Describe([this, id] { return SwitchName(id, dlg_.m_songOptions); },
                         command ? Role::kPushButton : Role::kToggleButton);
        switchWidgets_.push_back(std::move(widget));
    }
    // The tempo display: a control of its own for the keyboard and for
    // assistive technologies; it leaves the pointer and the drawing to the skin.
    tempoArea_ = NewControlArea(*this, false);
    g_object_ref_sink(tempoArea_);
    gtk_widget_set_size_request(tempoArea_, kTempoDisplayRect.width, kTempoDisplayRect.height);
    gtk_fixed_put(GTK_FIXED(fixed), tempoArea_, kTempoDisplayRect.x, kTempoDisplayRect.y);
    gtk_container_add(GTK_CONTAINER(window_), fixed);

    const auto widgetOf = [this](int id) {
        for (const auto& widget : switchWidgets_)
            if (GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget->Widget()), kSwitchIdKey)) == id) return widget->Widget();
        return static_cast<GtkWidget*>(nullptr);
    };
    focusOrder_ = {widgetOf(SwitchId::kLoad), widgetOf(SwitchId::kConvert), widgetOf(SwitchId::kPlay), tempoArea_};
    for (const int id : SwitchesAfterTempo()) focusOrder_.push_back(widgetOf(id));
    gtk_window_set_focus(window, focusOrder_.front());

    BuildMenu();

    gtk_drag_dest_set(window_, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
    gtk_drag_dest_add_uri_targets(window_);
    g_signal_connect(window_, "drag-data-received", G_CALLBACK(OnDrop), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(OnKeyRelease), this);
    // Losing the focus or being hidden while something is held ends the hold, as a lost grab does.
    g_signal_connect(window_, "focus-out-event", G_CALLBACK(OnGrabBroken), this);
    g_signal_connect(window_, "unmap-event", G_CALLBACK(OnGrabBroken), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window_, "set-focus", G_CALLBACK(OnSetFocus), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroy), this);
}

// GTK cannot add to the window manager's menu: the key, the click and About
// sit in a context menu of the background, each also on its key.
void GtkMainWindow::BuildMenu() {
    menu_ = gtk_menu_new();
    const auto add = [this](GtkWidget* item, MenuCommand command, guint key, GdkModifierType modifiers) {
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(gtk_bin_get_child(GTK_BIN(item))), key, modifiers);
        g_object_set_data(G_OBJECT(item), kMenuCommandKey, GINT_TO_POINTER(static_cast<int>(command)));
        g_signal_connect(item, "activate", G_CALLBACK(OnMenuItem), this);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu_), item);
        return item;
    };
    add(gtk_menu_item_new_with_mnemonic(Tr("_Practice...")), MenuCommand::kPractice, GDK_KEY_p, GDK_CONTROL_MASK);
    add(gtk_menu_item_new_with_mnemonic(Tr("_Sound...")), MenuCommand::kSound, GDK_KEY_comma, GDK_CONTROL_MASK);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
    keyUpItem_ = add(gtk_menu_item_new_with_mnemonic(Tr("Key _Up")), MenuCommand::kKeyUp, GDK_KEY_Up, GDK_CONTROL_MASK);
    keyDownItem_ =
        add(gtk_menu_item_new_with_mnemonic(Tr("Key _Down")), MenuCommand::kKeyDown, GDK_KEY_Down, GDK_CONTROL_MASK);
    originalKeyItem_ = add(gtk_menu_item_new_with_mnemonic(Tr("_Original Key")), MenuCommand::kOriginalKey, GDK_KEY_0,
                           GDK_CONTROL_MASK);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
    clickItem_ = add(gtk_check_menu_item_new_with_mnemonic(Tr("_Click on Every Beat")), MenuCommand::kClick, GDK_KEY_m,
                     GDK_CONTROL_MASK);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
    add(gtk_menu_item_new_with_mnemonic(Tr("_About...")), MenuCommand::kAbout, GDK_KEY_F1, GdkModifierType(0));
    gtk_widget_show_all(menu_);
    gtk_menu_attach_to_widget(GTK_MENU(menu_), window_, nullptr);
}

void GtkMainWindow::OnMenuItem(GtkMenuItem* item, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    PracticeChoices& practice = window->logic_.Practice();
    switch (static_cast<MenuCommand>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kMenuCommandKey)))) {
        case MenuCommand::kPractice:
            window->Post([window] { window->logic_.CommandPractice(); });
            break;
        case MenuCommand::kSound:
            window->Post([window] { window->logic_.CommandSound(); });
            break;
        case MenuCommand::kKeyUp:
            practice.Transpose(1);
            break;
        case MenuCommand::kKeyDown:
            practice.Transpose(-1);
            break;
        case MenuCommand::kOriginalKey:
            practice.ResetKey();
            break;
        case MenuCommand::kClick:
            // Setting the check mark from the choice activates the entry too: the choice then stays as it is.
            practice.SetClick(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)));
            break;
        case MenuCommand::kAbout:
            window->logic_.OnSysCommand(kAboutCommand);
            break;
    }
}

void GtkMainWindow::UpdateMenu() {
    PracticeChoices& practice = logic_.Practice();
    gtk_widget_set_sensitive(keyUpItem_, practice.CanTranspose(1));
    gtk_widget_set_sensitive(keyDownItem_, practice.CanTranspose(-1));
    gtk_widget_set_sensitive(originalKeyItem_, !practice.AtOriginalKey());
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(clickItem_), practice.Click());
}

bool GtkMainWindow::OnControlKey(guint keyval) {
    PracticeChoices& practice = logic_.Practice();
    switch (gdk_keyval_to_lower(keyval)) {
        case GDK_KEY_o:
            Post([this] { logic_.CommandLoad(); });
            return true;
        case GDK_KEY_s:
            Post([this] { logic_.CommandConvert(); });
            return true;
        case GDK_KEY_p:
            Post([this] { logic_.CommandPractice(); });
            return true;
        case GDK_KEY_comma:
            Post([this] { logic_.CommandSound(); });
            return true;
        case GDK_KEY_q:
        case GDK_KEY_w:
            RequestClose();
            return true;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
            practice.Transpose(1);
            return true;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            practice.Transpose(-1);
            return true;
        case GDK_KEY_0:
        case GDK_KEY_KP_0:
            practice.ResetKey();
            return true;
        case GDK_KEY_m:
            practice.SetClick(!practice.Click());
            return true;
        default:
            return false;
    }
}

gboolean GtkMainWindow::OnSwitchCrossing(GtkWidget* widget, GdkEventCrossing* event, gpointer self) {
    const int id = event->type == GDK_ENTER_NOTIFY ? GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kSwitchIdKey)) : 0;
    static_cast<GtkMainWindow*>(self)->logic_.OnPointerOverSwitch(id);
    return FALSE;
}

int GtkMainWindow::Run(const std::string& songPath) {
    gtk_widget_show_all(window_);
    if (!songPath.empty()) {
        std::error_code error;
        std::filesystem::path path = std::filesystem::absolute(songPath, error);
        if (error) path = songPath;
        Post([this, path = path.lexically_normal().string()] { logic_.OpenSong(path); });
    }
    gtk_main();
    return 0;
}

void GtkMainWindow::InvalidateRect(PixelRect rect) {
    if (area_) gtk_widget_queue_draw_area(area_, rect.x, rect.y, rect.width, rect.height);
    if (!tempoArea_) return;
    // What assistive technologies hear follows what the skin shows: the
    // tempo, and after an open every channel's name.
    const PixelRect& tempo = kTempoDisplayRect;
    const bool overlapsTempo = rect.x < tempo.x + tempo.width && tempo.x < rect.x + rect.width &&
                               rect.y < tempo.y + tempo.height && tempo.y < rect.y + rect.height;
    if (overlapsTempo) NotifyControlChanged(tempoArea_);
    if (rect.width == kClientWidth && rect.height == kClientHeight)
        for (const auto& widget : switchWidgets_) NotifyControlChanged(widget->Widget());
}

std::string GtkMainWindow::AccessibleName() const {
    return TempoName(dlg_.m_songOptions.tempoPercent, !dlg_.m_strSongName.empty());
}

SwitchWidget* GtkMainWindow::FocusedSwitch() const {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_));
    for (const auto& widget : switchWidgets_)
        if (widget->Widget() == focus) return widget.get();
    return nullptr;
}

void GtkMainWindow::MoveFocus(int step) {
    const int count = static_cast<int>(focusOrder_.size());
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_));
    int at = 0;
    while (at < count && focusOrder_[at] != focus) ++at;
    if (at == count) at = step > 0 ? -1 : 0;
    const auto usable = [this](GtkWidget* widget) {
        if (widget == tempoArea_) return true;
        for (const auto& candidate : switchWidgets_)
            if (candidate->Widget() == widget) return candidate->Usable();
        return false;
    };
    for (int tried = 0; tried < count; ++tried) {
        at = ((at + step) % count + count) % count;
        if (usable(focusOrder_[at])) {
            gtk_window_set_focus_visible(GTK_WINDOW(window_), TRUE);
            gtk_widget_grab_focus(focusOrder_[at]);
            return;
        }
    }
}

void GtkMainWindow::SetTimer(int id, int periodMs) {
    KillTimer(id);
    timers_[id] = g_timeout_add_full(
        G_PRIORITY_DEFAULT, static_cast<guint>(periodMs),
        +[](gpointer data) -> gboolean {
            auto* tick = static_cast<TimerTick*>(data);
            tick->window->logic_.OnTimer(tick->id);
            return G_SOURCE_CONTINUE;
        },
        new TimerTick{this, id}, +[](gpointer data) { delete static_cast<TimerTick*>(data); });
}

void GtkMainWindow::KillTimer(int id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    g_source_remove(found->second);
    timers_.erase(found);
}

void GtkMainWindow::SetCaption(const std::string& caption) {
    gchar* valid = g_utf8_make_valid(caption.c_str(), -1);
    gtk_window_set_title(GTK_WINDOW(window_), valid);
    g_free(valid);
}

void GtkMainWindow::RepaintNow() {
    gtk_widget_queue_draw(window_);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void GtkMainWindow::SetWaitCursor(bool busy) {
    GdkWindow* gdkWindow = gtk_widget_get_window(window_);
    if (!gdkWindow) return;
    GdkCursor* cursor = busy ? gdk_cursor_new_from_name(gdk_window_get_display(gdkWindow), "wait") : nullptr;
    gdk_window_set_cursor(gdkWindow, cursor);
    if (cursor) g_object_unref(cursor);
    gdk_display_flush(gdk_window_get_display(gdkWindow));
}

std::unique_ptr<AudioSink> GtkMainWindow::NewAudioOutput() { return std::make_unique<SdlAudioOutput>(); }

std::optional<std::string> GtkMainWindow::ChooseMidiFile(const std::string& folder) {
    return RunOpenMidiDialog(GTK_WINDOW(window_), folder);
}

void GtkMainWindow::ShowAbout() { RunAboutBox(GTK_WINDOW(window_)); }

std::optional<SoundChoice> GtkMainWindow::ChooseSound(const SoundChoice& current) {
    return RunSoundDialog(GTK_WINDOW(window_), current);
}

std::optional<PracticeSettings> GtkMainWindow::ChoosePractice(const PracticeSettings& current, const SongOptions& song,
                                                             int lastMeasure) {
    return RunPracticeDialog(GTK_WINDOW(window_), current, song, lastMeasure);
}

void GtkMainWindow::OpenFolder(const std::string& folder) {
    gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(folder.c_str()), nullptr};
    GError* error = nullptr;
    // The file manager outlives this program; GLib leaves no child behind.
    if (!g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error)) {
        messages_->Explain(Formatted(Tr("The folder %s could not be shown."), folder.c_str()), error->message);
        g_error_free(error);
    }
}

void GtkMainWindow::Post(std::function<void()> task) {
    task = [this, alive = alive_, task = std::move(task)] {
        if (!*alive) return;
        task();
        if (closePending_ && !conversion_->Converting()) RequestClose();
    };
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        +[](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        new std::function<void()>(std::move(task)),
        +[](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

void GtkMainWindow::RequestClose() {
    if (destroyed_) return;
    // A running conversion is cancelled first; the window closes once it has ended.
    if (conversion_->Converting()) {
        closePending_ = true;
        conversion_->Cancel();
        return;
    }
    gtk_widget_destroy(window_);
}

gboolean GtkMainWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    {
        PangoWindowCanvas canvas(cr, window->font_);
        window->logic_.OnPaint(canvas);
    }
    // The tempo control has no window of its own: its ring is drawn here.
    if (window->tempoArea_ && gtk_widget_has_focus(window->tempoArea_)) {
        const PixelRect& at = kTempoRingRect;
        cairo_save(cr);
        cairo_translate(cr, at.x, at.y);
        DrawFocusRing(window->tempoArea_, cr, at.width, at.height);
        cairo_restore(cr);
    }
    return TRUE;
}

gboolean GtkMainWindow::OnPress(GtkWidget*, GdkEventButton* event, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    // A double-click arrives as press, release, press, double-press: the second press already counts.
    if (event->type != GDK_BUTTON_PRESS) return TRUE;
    const int x = static_cast<int>(event->x);
    const int y = static_cast<int>(event->y);
    if (event->button == kLeftButton) {
        window->logic_.OnLButtonDown(x, y);
    } else if (event->button == kRightButton) {
        window->PopUpMenu(reinterpret_cast<GdkEvent*>(event));
    }
    return TRUE;
}

gboolean GtkMainWindow::OnRelease(GtkWidget*, GdkEventButton* event, gpointer self) {
    if (event->button == kLeftButton) static_cast<GtkMainWindow*>(self)->logic_.OnLButtonUp();
    return TRUE;
}

void GtkMainWindow::OnGrabNotify(GtkWidget*, gboolean wasGrabbed, gpointer self) {
    if (!wasGrabbed) static_cast<GtkMainWindow*>(self)->logic_.OnCaptureLost();
}

gboolean GtkMainWindow::OnGrabBroken(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkMainWindow*>(self)->logic_.OnCaptureLost();
    return FALSE;
}

gboolean GtkMainWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    const GdkModifierType modifiers = GdkModifierType(event->state & gtk_accelerator_get_default_mod_mask());
    // Ctrl+Up and Ctrl+Down move the key; the arrows alone move the focus or the tempo.
    if (modifiers == GDK_CONTROL_MASK) return window->OnControlKey(event->keyval);
    if ((modifiers & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) != 0) return FALSE;
    return window->OnPlainKey(event);
}

bool GtkMainWindow::OnPlainKey(const GdkEventKey* event) {
    const bool shift = (event->state & GDK_SHIFT_MASK) != 0;
    const bool onTempo = gtk_window_get_focus(GTK_WINDOW(window_)) == tempoArea_;
    const bool inRows = [this] {
        const SwitchWidget* focused = FocusedSwitch();
        if (!focused) return false;
        const int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(focused->Widget()), kSwitchIdKey));
        return id >= SwitchId::kFirstVolumeDown && id < SwitchId::kFirstMute + kMidiChannels;
    }();
    switch (event->keyval) {
        case GDK_KEY_Tab:
        case GDK_KEY_KP_Tab:
            MoveFocus(shift ? -1 : 1);
            return true;
        case GDK_KEY_ISO_Left_Tab:
            MoveFocus(-1);
            return true;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left:
            MoveFocus(-1);
            return true;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right:
            MoveFocus(1);
            return true;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up:
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down:
            if (!onTempo) {
                const bool up = event->keyval == GDK_KEY_Up || event->keyval == GDK_KEY_KP_Up;
                // A channel row holds two switches: Up and Down keep to the column.
                MoveFocus((up ? -1 : 1) * (inRows ? 2 : 1));
                return true;
            }
            break;
        case GDK_KEY_space:
        case GDK_KEY_KP_Space:
            if (SwitchWidget* focused = FocusedSwitch()) focused->Activate();
            return true;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
        case GDK_KEY_Escape:
            // Nothing: the window and every choice stay as they are.
            return true;
        case GDK_KEY_Menu:
            PopUpMenu(nullptr);
            return true;
        case GDK_KEY_F10:
            if (!shift) return false;
            PopUpMenu(nullptr);
            return true;
        case GDK_KEY_F1:
            logic_.OnSysCommand(kAboutCommand);
            return true;
        case GDK_KEY_p:
        case GDK_KEY_P:
            // Space belongs to the focused control; P plays or stops from anywhere.
            if (!conversion_->Converting()) logic_.TogglePlayback();
            return true;
        default:
            break;
    }
    if (const std::optional<bool> up = TempoKeyUp(event->keyval)) {
        logic_.OnTempoKeyDown(*up, event->hardware_keycode);
        return true;
    }
    return false;
}

void GtkMainWindow::PopUpMenu(const GdkEvent* event) {
    UpdateMenu();
    if (event) {
        gtk_menu_popup_at_pointer(GTK_MENU(menu_), event);
        return;
    }
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_));
    if (focus) {
        gtk_menu_popup_at_widget(GTK_MENU(menu_), focus, GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST, nullptr);
    } else {
        gtk_menu_popup_at_widget(GTK_MENU(menu_), area_, GDK_GRAVITY_CENTER, GDK_GRAVITY_NORTH_WEST, nullptr);
    }
    // Opened from the keyboard: the first entry takes the keyboard.
    gtk_menu_shell_select_first(GTK_MENU_SHELL(menu_), TRUE);
}

void GtkMainWindow::OnSetFocus(GtkWindow*, GtkWidget*, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    // A hold ends when the focus moves; the tempo's ring comes or goes.
    window->logic_.OnCaptureLost();
    window->InvalidateRect(kTempoRingRect);
}

gboolean GtkMainWindow::OnKeyRelease(GtkWidget*, GdkEventKey* event, gpointer self) {
    static_cast<GtkMainWindow*>(self)->logic_.OnKeyUp(event->hardware_keycode);
    return FALSE;
}

gboolean GtkMainWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkMainWindow*>(self)->RequestClose();
    return TRUE;
}

void GtkMainWindow::OnDestroy(GtkWidget*, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    window->destroyed_ = true;
    for (const auto& [id, source] : window->timers_) g_source_remove(source);
    window->timers_.clear();
    window->logic_.OnDestroy();
    if (gtk_main_level() > 0) gtk_main_quit();
}

void GtkMainWindow::OnDrop(GtkWidget*, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint,
                           guint time, gpointer self) {
    auto* window = static_cast<GtkMainWindow*>(self);
    gchar** uris = gtk_selection_data_get_uris(data);
    std::string path;
    if (uris && uris[0]) {
        if (gchar* file = g_filename_from_uri(uris[0], nullptr, nullptr)) {
            path = file;
            g_free(file);
        }
    }
    g_strfreev(uris);
    gtk_drag_finish(context, !path.empty(), FALSE, time);
    if (!path.empty() && !window->conversion_->Converting())
        window->Post([window, path] { window->logic_.OpenSong(path); });
}
