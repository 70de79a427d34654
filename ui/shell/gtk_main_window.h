// The main window on GTK 3: a fixed-size window whose client area is the
// skin (a drawing area) with one widget per switch on top. It turns GDK
// events into the handlers of MainWindow and serves its requests: timers,
// repaints, caption, cursor, dialogs and the conversion's windows.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/gtk/control_area.h"
#include "ui/gtk/switch_widget.h"
#include "ui/shell/message_dialogs.h"
#include "ui/shell/progress_window.h"
#include "ui/window/last_folder_settings.h"
#include "ui/window/main_window.h"
#include "ui/window/main_window_host.h"

class GtkMainWindow final : public MainWindowHost, private ControlDescription {
public:
    // Builds the window on `dlg` (borrowed, as is `renderSong`) and runs the
    // window's start-up; nothing is shown yet.
    GtkMainWindow(COmbrixDlg& dlg, SongContainer& renderSong);
    ~GtkMainWindow() override;
    GtkMainWindow(const GtkMainWindow&) = delete;
    GtkMainWindow& operator=(const GtkMainWindow&) = delete;

    // Shows the window, opens `songPath` when it is not empty, and runs the
    // event loop until the window is closed. Returns the exit status 0.
    int Run(const std::string& songPath);

    // MainWindowHost
    void InvalidateRect(PixelRect rect) override;
    void SetCapture() override {}
    void ReleaseCapture() override {}
    void SetTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    void SetCaption(const std::string& caption) override;
    void RepaintNow() override;
    void SetWaitCursor(bool busy) override;
    std::optional<std::string> ChooseMidiFile(const std::string& folder) override;
    std::optional<SoundChoice> ChooseSound(const SoundChoice& current) override;
    std::optional<PracticeSettings> ChoosePractice(const PracticeSettings& current, const SongOptions& song,
                                                   int lastMeasure) override;
    void ShowAbout() override;
    void OpenFolder(const std::string& folder) override;
    void Post(std::function<void()> task) override;
    ConversionUi& Conversion() override { return *conversion_; }
    WindowMessages& Messages() override { return *messages_; }
    std::unique_ptr<AudioSink> NewAudioOutput() override;

private:
    struct TimerTick;
    // ControlDescription of the tempo display, a spin button for assistive technologies.
    std::string AccessibleName() const override;
    Role AccessibleRole() const override { return Role::kSpinButton; }
    bool Checked() const override { return false; }
    bool Usable() const override { return true; }
    void Activate() override {}  // a spin button has no click action
    // The keyboard: the focus ring moves `step` controls on (back when
    // negative), past those that take no input; in the channel rows Up and
    // Down keep to their column.
    void MoveFocus(int step);
    // The switch widget that has the focus, or null.
    SwitchWidget* FocusedSwitch() const;
    // Keys without Ctrl: true when handled.
    bool OnPlainKey(const GdkEventKey* event);
    // The context menu, at the pointer for `event`, else at the focused control.
    void PopUpMenu(const GdkEvent* event);
    // The context menu's entries.
    enum class MenuCommand { kPractice, kSound, kKeyUp, kKeyDown, kOriginalKey, kClick, kAbout };
    void BuildWidgets();
    void BuildMenu();
    // The menu's entries as the key and click now stand.
    void UpdateMenu();
    // Ctrl with `keyval`: true when it was one of the window's commands.
    bool OnControlKey(guint keyval);
    void RequestClose();
    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean OnPress(GtkWidget*, GdkEventButton* event, gpointer self);
    static gboolean OnRelease(GtkWidget*, GdkEventButton* event, gpointer self);
    static gboolean OnGrabBroken(GtkWidget*, GdkEvent*, gpointer self);
    static void OnGrabNotify(GtkWidget*, gboolean wasGrabbed, gpointer self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static void OnMenuItem(GtkMenuItem* item, gpointer self);
    static gboolean OnSwitchCrossing(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean OnKeyRelease(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static void OnDestroy(GtkWidget*, gpointer self);
    static void OnSetFocus(GtkWindow*, GtkWidget*, gpointer self);
    static gboolean OnTempoDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static void OnDrop(GtkWidget*, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint, guint time,
                       gpointer self);

    GtkWidget* window_ = nullptr;
    GtkWidget* area_ = nullptr;
    // The tempo display as one focusable control over the skin.
    GtkWidget* tempoArea_ = nullptr;
    // The controls in the order Tab visits them.
    std::vector<GtkWidget*> focusOrder_;
    GtkWidget* menu_ = nullptr;
    GtkWidget* keyUpItem_ = nullptr;
    GtkWidget* keyDownItem_ = nullptr;
    GtkWidget* originalKeyItem_ = nullptr;
    GtkWidget* clickItem_ = nullptr;
    PangoFontDescription* font_ = nullptr;
    ProgramLastFolderSettings settings_;
    std::unique_ptr<MessageBoxReport> messages_;
    std::unique_ptr<GtkConversionUi> conversion_;
    COmbrixDlg& dlg_;
    MainWindow logic_;
    std::vector<std::unique_ptr<SwitchWidget>> switchWidgets_;
    std::map<int, guint> timers_;
    bool destroyed_ = false;
    // The close button was pressed during a conversion: the window closes
    // once the cancelled conversion has ended.
    bool closePending_ = false;
    // Cleared when this object goes: a posted task that runs later does nothing.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
