// The GTK side of the window under a virtual X server: the progress window's
// hold on its owner and its Cancel, and the main window's widgets, timers and
// posted tasks.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/song/ombrix_dlg.h"
#include "model/song_options.h"
#include "platform/translation.h"
#include "sequencer/song_timeline.h"
#include "ui/shell/gtk_main_window.h"
#include "ui/shell/gtk_shell.h"
#include "ui/shell/message_dialogs.h"
#include "ui/shell/practice_dialog.h"
#include "ui/shell/progress_window.h"
#include "ui/shell/sound_dialog.h"
#include "ui/window/check_open_path.h"
#include "ui/window/format_titles.h"
#include "ui/window/tempo_buttons.h"
#include "ui/window/window_texts.h"
#include "render/convert_song.h"

namespace {

bool GtkStarted() {
    static const bool started = GtkShell().Start();
    return started;
}

#define SKIP_WITHOUT_DISPLAY() \
    if (!GtkStarted()) GTEST_SKIP() << "no X display: run under xvfb-run (tests/ui/gtk/run_with_display.sh)"

void DrainEvents() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Runs the event loop for `ms` milliseconds.
void RunFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        gtk_main_iteration_do(FALSE);
        g_usleep(1000);
    }
}

// The visible toplevel titled `title`, or null.
GtkWidget* Toplevel(const char* title) {
    GtkWidget* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next)
        if (g_strcmp0(gtk_window_get_title(GTK_WINDOW(item->data)), title) == 0) found = GTK_WIDGET(item->data);
    g_list_free(toplevels);
    return found;
}

// The first descendant of `widget` of `type`, or null.
GtkWidget* Find(GtkWidget* widget, GType type) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GtkWidget* found = nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* item = children; item && !found; item = item->next) found = Find(GTK_WIDGET(item->data), type);
    g_list_free(children);
    return found;
}

// Hands `window` a press (or release) of the key `keyval` on the hardware
// key `keyCode` with `modifiers` held, as GDK delivers it.
void SendKey(GtkWidget* window, guint keyval, GdkModifierType modifiers = GdkModifierType(0), guint16 keyCode = 0,
             GdkEventType type = GDK_KEY_PRESS) {
    GdkEvent* key = gdk_event_new(type);
    key->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    key->key.keyval = keyval;
    key->key.state = modifiers;
    key->key.hardware_keycode = keyCode;
    gtk_widget_event(window, key);
    gdk_event_free(key);
}
void PressKey(GtkWidget* window, guint keyval) { SendKey(window, keyval); }

// What a message box said.
struct SeenBox {
    std::string title;
    std::string text;
    std::string secondary;
    bool operator==(const SeenBox&) const = default;
};

// Answers every message box that appears with `response`, keeping what each said.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int response = GTK_RESPONSE_OK) : response_(response) {
        source_ = g_timeout_add(10, Poll, this);
    }
    ~BoxAnswerer() { g_source_remove(source_); }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    std::vector<SeenBox> seen;

private:
    static gboolean Poll(gpointer self) {
        auto* answerer = static_cast<BoxAnswerer*>(self);
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* item = toplevels; item; item = item->next) {
            if (!GTK_IS_MESSAGE_DIALOG(item->data) || !gtk_widget_get_mapped(GTK_WIDGET(item->data))) continue;
            gchar* text = nullptr;
            gchar* secondary = nullptr;
            g_object_get(item->data, "text", &text, "secondary-text", &secondary, nullptr);
            const char* title = gtk_window_get_title(GTK_WINDOW(item->data));
            answerer->seen.push_back({title ? title : "", text ? text : "", secondary ? secondary : ""});
            g_free(text);
            g_free(secondary);
            gtk_dialog_response(GTK_DIALOG(item->data), answerer->response_);
            break;
        }
        g_list_free(toplevels);
        return G_SOURCE_CONTINUE;
    }
    int response_;
    guint source_ = 0;
};

}  // namespace

TEST(GtkConversionUi, TheProgressWindowHoldsItsOwnerUntilItClosesAndCancelIsHeard) {
    SKIP_WITHOUT_DISPLAY();
    GtkWidget* owner = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(owner);
    GtkConversionUi ui(GTK_WINDOW(owner));
    ui.OpenProgress(0, 4000);
    EXPECT_TRUE(ui.Converting());
    EXPECT_FALSE(gtk_widget_get_sensitive(owner));
    GtkWidget* window = Toplevel(ConvertingToText(AudioFormat::kWav).c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(gtk_window_get_transient_for(GTK_WINDOW(window)) == GTK_WINDOW(owner));
    EXPECT_FALSE(gtk_window_get_deletable(GTK_WINDOW(window)));

    // The close request of the window manager is refused.
    GdkEvent* close = gdk_event_new(GDK_DELETE);
    close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    gtk_main_do_event(close);
    gdk_event_free(close);
    DrainEvents();
    EXPECT_EQ(Toplevel(ConvertingToText(AudioFormat::kWav).c_str()), window);

    ui.SetProgressPosition(1000);
    ui.SetProgressText("25%");
    GtkWidget* bar = Find(window, GTK_TYPE_PROGRESS_BAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.25);
    GtkWidget* label = Find(window, GTK_TYPE_LABEL);
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(label)), "25%");

    EXPECT_FALSE(ui.CancelRequested());
    PressKey(window, GDK_KEY_Return);  // Enter does nothing here
    EXPECT_FALSE(ui.CancelRequested());
    gtk_button_clicked(GTK_BUTTON(Find(window, GTK_TYPE_BUTTON)));
    EXPECT_TRUE(ui.CancelRequested());
    // A new conversion starts uncancelled; Escape cancels it.
    ui.OpenProgress(0, 4000);
    EXPECT_FALSE(ui.CancelRequested());
    window = Toplevel(ConvertingToText(AudioFormat::kWav).c_str());
    ASSERT_NE(window, nullptr);
    PressKey(window, GDK_KEY_Escape);
    EXPECT_TRUE(ui.CancelRequested());

    ui.CloseProgress();
    EXPECT_FALSE(ui.Converting());
    EXPECT_TRUE(gtk_widget_get_sensitive(owner));
    DrainEvents();
    EXPECT_EQ(Toplevel(ConvertingToText(AudioFormat::kWav).c_str()), nullptr);
    gtk_widget_destroy(owner);
}

class GtkMainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        if (!GtkStarted()) GTEST_SKIP() << "no X display: run under xvfb-run (tests/ui/gtk/run_with_display.sh)";
        g_pSongTimeline = &timeline;
        window = std::make_unique<GtkMainWindow>(dlg, render);
    }
    void TearDown() override { g_pSongTimeline = nullptr; }

    COmbrixDlg dlg;
    SongContainer render{1};
    SongTimeline timeline{render};
    std::unique_ptr<GtkMainWindow> window;
};

TEST_F(GtkMainWindowTest, TheClientAreaIsTheSkinWithOneWidgetPerSwitch) {
    GtkWidget* toplevel = Toplevel(kWindowCaption);
    ASSERT_NE(toplevel, nullptr);
    EXPECT_FALSE(gtk_window_get_resizable(GTK_WINDOW(toplevel)));
    GtkWidget* fixed = Find(toplevel, GTK_TYPE_FIXED);
    ASSERT_NE(fixed, nullptr);
    GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
    EXPECT_EQ(g_list_length(children), 1u + 40u + 1u);  // the skin, the switches, the tempo control
    int width = 0;
    int height = 0;
    gtk_widget_get_size_request(GTK_WIDGET(children->data), &width, &height);
    EXPECT_EQ(width, kClientWidth);
    EXPECT_EQ(height, kClientHeight);
    g_list_free(children);
    window->SetCaption("Ombrix Converter [song.mid]");
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(toplevel)), "Ombrix Converter [song.mid]");
}

TEST_F(GtkMainWindowTest, ARunningTimerStepsTheTempoUntilItIsKilled) {
    dlg.m_strSongName = "song";
    window->SetTimer(kTempoUpTimer, 5);
    RunFor(60);
    window->KillTimer(kTempoUpTimer);
    const int reached = dlg.m_songOptions.tempoPercent;
    EXPECT_GT(reached, 101);
    RunFor(30);
    EXPECT_EQ(dlg.m_songOptions.tempoPercent, reached);
}

TEST_F(GtkMainWindowTest, PostedTasksRunLaterAndNotAfterTheWindowIsGone) {
    int runs = 0;
    window->Post([&runs] { ++runs; });
    EXPECT_EQ(runs, 0);
    DrainEvents();
    EXPECT_EQ(runs, 1);
    window->Post([&runs] { ++runs; });
    window.reset();
    DrainEvents();
    EXPECT_EQ(runs, 1);
}

TEST_F(GtkMainWindowTest, TheCloseButtonDuringAConversionCancelsItAndClosesOnceItHasEnded) {
    GtkWidget* toplevel = Toplevel(kWindowCaption);
    ASSERT_NE(toplevel, nullptr);
    gtk_widget_show(toplevel);
    bool cancelled = false;
    bool stillOpenWhileConverting = false;
    // A posted task stands in for CONVERT: it runs the progress window until Cancel is heard.
    window->Post([&] {
        window->Conversion().OpenProgress(0, 100);
        GdkEvent* close = gdk_event_new(GDK_DELETE);
        close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
        gtk_main_do_event(close);
        gdk_event_free(close);
        cancelled = window->Conversion().CancelRequested();
        stillOpenWhileConverting = Toplevel(kWindowCaption) != nullptr;
        window->Conversion().CloseProgress();
    });
    DrainEvents();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(stillOpenWhileConverting);
    EXPECT_EQ(Toplevel(kWindowCaption), nullptr);  // closed once the conversion ended
}

TEST(MessageBoxes, EveryPathShowsItsTextWithOrWithoutAnExplanation) {
    SKIP_WITHOUT_DISPLAY();
    GtkWidget* owner = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(owner);
    BoxAnswerer answerer;
    const std::string_view none;  // an empty view holds no characters at all
    ShowMessageDialog(GTK_WINDOW(owner), "first");
    ShowMessageDialog(GTK_WINDOW(owner), "second", none);
    ShowMessageDialog(nullptr, "third", "why\nand what to do");
    ShowMessageDialog(nullptr, none, none);
    MessageBoxReport report(GTK_WINDOW(owner));
    int before = 0;
    report.SetBeforeShow([&before] { ++before; });
    report.Report("fourth");
    report.Explain("fifth", none);
    report.Explain("sixth", "because");
    GtkShell shell;
    shell.ShowMessage("seventh", none);
    shell.ShowMessage("eighth", "since");
    ShowMessageDialog(nullptr, "bad \xff byte", "bad \xfe too");
    const std::string kTitle = kWindowCaption;
    EXPECT_EQ(answerer.seen, (std::vector<SeenBox>{{kTitle, "first", ""},
                                                   {kTitle, "second", ""},
                                                   {kTitle, "third", "why\nand what to do"},
                                                   {kTitle, "", ""},
                                                   {kTitle, "fourth", ""},
                                                   {kTitle, "fifth", ""},
                                                   {kTitle, "sixth", "because"},
                                                   {kTitle, "seventh", ""},
                                                   {kTitle, "eighth", "since"},
                                                   {kTitle, "bad \uFFFD byte", "bad \uFFFD too"}}));
    EXPECT_EQ(before, 3);
    gtk_widget_destroy(owner);
}

TEST(MessageBoxes, AQuestionAnswersYesOrNo) {
    SKIP_WITHOUT_DISPLAY();
    {
        BoxAnswerer yes(GTK_RESPONSE_YES);
        EXPECT_TRUE(AskYesNo(nullptr, "Replace?"));
        ASSERT_EQ(yes.seen.size(), 1u);
        EXPECT_EQ(yes.seen[0].text, "Replace?");
    }
    BoxAnswerer no(GTK_RESPONSE_NO);
    EXPECT_FALSE(AskYesNo(nullptr, "Replace?"));
}

TEST_F(GtkMainWindowTest, EnterAndEscapeKeepTheWindowAndCtrlQOrCtrlWClosesIt) {
    for (const guint close : {GDK_KEY_q, GDK_KEY_w}) {
        if (!window) window = std::make_unique<GtkMainWindow>(dlg, render);
        GtkWidget* toplevel = Toplevel(kWindowCaption);
        ASSERT_NE(toplevel, nullptr);
        gtk_widget_show_all(toplevel);
        for (const guint key : {GDK_KEY_Return, GDK_KEY_KP_Enter, GDK_KEY_Escape}) {
            SendKey(toplevel, key);
            DrainEvents();
            EXPECT_EQ(Toplevel(kWindowCaption), toplevel) << key;
        }
        SendKey(toplevel, close, GDK_CONTROL_MASK);
        DrainEvents();
        EXPECT_EQ(Toplevel(kWindowCaption), nullptr) << close;
        window.reset();
    }
}

TEST_F(GtkMainWindowTest, ConvertWithoutASongSaysSoInABox) {
    GtkWidget* toplevel = Toplevel(kWindowCaption);
    ASSERT_NE(toplevel, nullptr);
    gtk_widget_show_all(toplevel);
    BoxAnswerer answerer;
    SendKey(toplevel, GDK_KEY_s, GDK_CONTROL_MASK);
    DrainEvents();
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, ShownText(kNoSongLoadedMessage));
    EXPECT_EQ(answerer.seen[0].secondary, "");
    EXPECT_EQ(Toplevel(kWindowCaption), toplevel);
}

TEST_F(GtkMainWindowTest, AHeldPlusEndsWithTheReleaseOfItsKeyWhateverItSaysThen) {
    GtkWidget* toplevel = Toplevel(kWindowCaption);
    ASSERT_NE(toplevel, nullptr);
    gtk_widget_show_all(toplevel);
    dlg.m_strSongName = "song";
    constexpr guint16 kEqualsKey = 21;  // "=" on a US layout, "+" with Shift
    constexpr guint16 kOtherKey = 38;
    SendKey(toplevel, GDK_KEY_plus, GDK_SHIFT_MASK, kEqualsKey);
    EXPECT_EQ(dlg.m_songOptions.tempoPercent, 101);
    SendKey(toplevel, GDK_KEY_a, GdkModifierType(0), kOtherKey, GDK_KEY_RELEASE);  // another key: still held
    RunFor(300);
    const int held = dlg.m_songOptions.tempoPercent;
    EXPECT_GT(held, 101);
    // Shift came up first: the release of the same key now says "equal".
    SendKey(toplevel, GDK_KEY_equal, GdkModifierType(0), kEqualsKey, GDK_KEY_RELEASE);
    RunFor(300);
    EXPECT_EQ(dlg.m_songOptions.tempoPercent, held);
    // A focus change ends a hold too.
    SendKey(toplevel, GDK_KEY_minus, GdkModifierType(0), kOtherKey);
    GdkEvent* focus = gdk_event_new(GDK_FOCUS_CHANGE);
    focus->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
    focus->focus_change.in = FALSE;
    gtk_widget_event(toplevel, focus);
    gdk_event_free(focus);
    const int lowered = dlg.m_songOptions.tempoPercent;
    RunFor(300);
    EXPECT_EQ(dlg.m_songOptions.tempoPercent, lowered);
}

// Every label's text under `widget`, in order.
void CollectLabels(GtkWidget* widget, std::vector<std::string>& texts) {
    if (GTK_IS_LABEL(widget)) texts.emplace_back(gtk_label_get_text(GTK_LABEL(widget)));
    if (!GTK_IS_CONTAINER(widget)) return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList* item = children; item; item = item->next) CollectLabels(GTK_WIDGET(item->data), texts);
    g_list_free(children);
}

TEST(GtkConversionUi, TheProgressWindowNamesTheSongTheFileAndItsFormat) {
    SKIP_WITHOUT_DISPLAY();
    GtkWidget* owner = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(owner);
    GtkConversionUi ui(GTK_WINDOW(owner));
    ui.NameProgress("my-song", "/music/out/my-song.mp3", AudioFormat::kMp3);
    ui.OpenProgress(0, 1000);
    GtkWidget* window = Toplevel(ConvertingToText(AudioFormat::kMp3).c_str());
    ASSERT_NE(window, nullptr);
    std::vector<std::string> labels;
    CollectLabels(window, labels);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[0], "my-song");
    EXPECT_NE(labels[1].find("/music/out/my-song.mp3"), std::string::npos) << labels[1];
    ui.CloseProgress();
    gtk_widget_destroy(owner);
}

// The switch ID of the focused control; 0 for the tempo or none.
int FocusedId(GtkWidget* toplevel) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel));
    return focus ? GPOINTER_TO_INT(g_object_get_data(G_OBJECT(focus), "ombrix-switch-id")) : -1;
}

TEST_F(GtkMainWindowTest, TabAndTheArrowsMoveTheFocusAndSpaceWorksTheSwitch) {
    GtkWidget* toplevel = Toplevel(kWindowCaption);
    ASSERT_NE(toplevel, nullptr);
    gtk_widget_show_all(toplevel);
    DrainEvents();
    EXPECT_EQ(FocusedId(toplevel), 100);  // LOAD
    SendKey(toplevel, GDK_KEY_Tab);
    EXPECT_EQ(FocusedId(toplevel), 101);  // CONVERT
    SendKey(toplevel, GDK_KEY_Right);
    EXPECT_EQ(FocusedId(toplevel), 102);  // PLAY
    SendKey(toplevel, GDK_KEY_Right);
    EXPECT_EQ(FocusedId(toplevel), 0);  // the tempo
    // Without a song the arrows on the tempo change nothing, and the focus stays.
    SendKey(toplevel, GDK_KEY_Up, GdkModifierType(0), 111);
    SendKey(toplevel, GDK_KEY_Up, GdkModifierType(0), 111, GDK_KEY_RELEASE);
    EXPECT_EQ(FocusedId(toplevel), 0);
    SendKey(toplevel, GDK_KEY_Tab);
    EXPECT_EQ(FocusedId(toplevel), 160);  // PRE COUNT
    EXPECT_TRUE(dlg.m_songOptions.preCount);
    SendKey(toplevel, GDK_KEY_space);
    EXPECT_FALSE(dlg.m_songOptions.preCount);
    // Without a song the part and channel switches take no input: Tab goes round to LOAD.
    SendKey(toplevel, GDK_KEY_Tab);
    EXPECT_EQ(FocusedId(toplevel), 100);
    SendKey(toplevel, GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK);
    EXPECT_EQ(FocusedId(toplevel), 160);
    SendKey(toplevel, GDK_KEY_Left);
    EXPECT_EQ(FocusedId(toplevel), 0);
    dlg.m_strSongName = "song";  // with a song the arrows on the tempo step it
    SendKey(toplevel, GDK_KEY_Down, GdkModifierType(0), 116);
    SendKey(toplevel, GDK_KEY_Down, GdkModifierType(0), 116, GDK_KEY_RELEASE);
    EXPECT_EQ(dlg.m_songOptions.tempoPercent, 99);
    // Shift+F10 opens the context menu at the focused control; Escape closes it.
    GList* menus = gtk_menu_get_for_attach_widget(toplevel);
    ASSERT_NE(menus, nullptr);
    GtkWidget* menu = GTK_WIDGET(menus->data);
    EXPECT_FALSE(gtk_widget_get_visible(menu));
    // The menu's grab of the keyboard comes and goes with the X server: each
    // popup waits until the last one has let go.
    const auto opensWith = [&](guint keyval, GdkModifierType modifiers) {
        RunFor(200);
        SendKey(toplevel, keyval, modifiers);
        bool shown = false;
        for (int i = 0; i < 100 && !shown; ++i) {
            RunFor(10);
            shown = gtk_widget_get_visible(menu);
        }
        gtk_menu_popdown(GTK_MENU(menu));
        return shown;
    };
    EXPECT_TRUE(opensWith(GDK_KEY_F10, GDK_SHIFT_MASK));
    EXPECT_TRUE(opensWith(GDK_KEY_Menu, GdkModifierType(0)));
}

// The widget of `root` that screen readers name as the label `mnemonic` reads.
GtkWidget* Named(GtkWidget* root, const char* mnemonic) {
    GtkWidget* label = gtk_label_new_with_mnemonic(mnemonic);
    g_object_ref_sink(label);
    const std::string name = gtk_label_get_text(GTK_LABEL(label));
    g_object_unref(label);
    GtkWidget* found = nullptr;
    std::function<void(GtkWidget*)> walk = [&](GtkWidget* widget) {
        if (found) return;
        const char* accessible = atk_object_get_name(gtk_widget_get_accessible(widget));
        if (!GTK_IS_LABEL(widget) && accessible && name == accessible) found = widget;
        if (!GTK_IS_CONTAINER(widget)) return;
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* item = children; item; item = item->next) walk(GTK_WIDGET(item->data));
        g_list_free(children);
    };
    walk(root);
    return found;
}

// Answers the Practice dialog once it shows: sets its tempo to `tempo`,
// then gives `response`.
struct PracticeAnswer {
    int response;
    int tempo;
    bool seen = false;
};

gboolean AnswerPractice(gpointer data) {
    auto* answer = static_cast<PracticeAnswer*>(data);
    GtkWidget* dialog = Toplevel(Tr("Practice"));
    if (!dialog || !gtk_widget_get_mapped(dialog)) return G_SOURCE_CONTINUE;
    if (GtkWidget* tempo = Named(dialog, Tr("_Tempo (%)")))
        gtk_spin_button_set_value(GTK_SPIN_BUTTON(tempo), answer->tempo);
    answer->seen = true;
    gtk_dialog_response(GTK_DIALOG(dialog), answer->response);
    return G_SOURCE_REMOVE;
}

TEST(PracticeDialog, OkGivesTheChoicesShownAndCancelNothing) {
    SKIP_WITHOUT_DISPLAY();
    PracticeSettings current;
    current.firstMeasure = 2;
    current.lastMeasure = 5;
    current.click = true;
    current.transpose = -2;
    current.loudnessLufs = -18.0;
    PracticeAnswer ok{GTK_RESPONSE_OK, 85};
    g_timeout_add(20, AnswerPractice, &ok);
    const std::optional<PracticeSettings> chosen = RunPracticeDialog(nullptr, current, SongOptions{}, 8);
    ASSERT_TRUE(ok.seen);
    ASSERT_TRUE(chosen.has_value());
    PracticeSettings expected = current;
    expected.tempoPercent = 85;
    EXPECT_EQ(*chosen, expected);
    PracticeAnswer cancel{GTK_RESPONSE_CANCEL, 50};
    g_timeout_add(20, AnswerPractice, &cancel);
    EXPECT_FALSE(RunPracticeDialog(nullptr, current, SongOptions{}, 8).has_value());
    EXPECT_TRUE(cancel.seen);
}

// Types a click level of +9 dB and a bass at -6 dB and presses OK; once
// the dialog has said what is wrong, puts -6 dB in the click level and
// presses OK again.
struct TypedAnswer {
    int step = 0;
    bool stayedOpen = false;
    bool saidWhy = false;
};

gboolean AnswerTyped(gpointer data) {
    auto* answer = static_cast<TypedAnswer*>(data);
    GtkWidget* dialog = Toplevel(Tr("Practice"));
    if (!dialog || !gtk_widget_get_mapped(dialog)) return G_SOURCE_CONTINUE;
    GtkWidget* clickLevel = Named(dialog, Tr("Click le_vel (dB)"));
    GtkWidget* bass = Named(dialog, Tr("_Bass"));
    GtkWidget* countIn = Named(dialog, Tr("Count-_in length"));
    if (!clickLevel || !bass || !countIn) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        return G_SOURCE_REMOVE;
    }
    if (answer->step++ == 0) {
        gtk_entry_set_text(GTK_ENTRY(clickLevel), "+9");
        gtk_entry_set_text(GTK_ENTRY(bass), "-6");
        gtk_combo_box_set_active(GTK_COMBO_BOX(countIn), 1);
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
        return G_SOURCE_CONTINUE;
    }
    answer->stayedOpen = true;
    // The message sits in a label the dialog showed for it, the focus on the wrong field.
    answer->saidWhy = gtk_widget_has_focus(clickLevel);
    gtk_entry_set_text(GTK_ENTRY(clickLevel), "-6");
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    return G_SOURCE_REMOVE;
}

TEST(PracticeDialog, AWrongValueKeepsItOpenAndTheTypedChoicesComeBack) {
    SKIP_WITHOUT_DISPLAY();
    SongOptions song;
    ResetSongOptions(song);
    song.channelUsed[1] = 1;
    song.partChannels[PartKind::kBass] = 1u << 1;
    TypedAnswer answer;
    g_timeout_add(20, AnswerTyped, &answer);
    const std::optional<PracticeSettings> chosen = RunPracticeDialog(nullptr, PracticeSettings{}, song, 8);
    EXPECT_TRUE(answer.stayedOpen);
    EXPECT_TRUE(answer.saidWhy);
    ASSERT_TRUE(chosen.has_value());
    PracticeSettings expected;
    expected.countInMeasures = 2;
    expected.clickLevelDb = -6;
    expected.levels = {{"bass", -6}};
    EXPECT_EQ(*chosen, expected);
}

// Presses OK on the sound settings `wanted` times; from the second time on
// it chooses the module's own SoundFont first.
struct SoundAnswer {
    int wanted = 1;
    int presses = 0;
};

gboolean AnswerSound(gpointer data) {
    auto* answer = static_cast<SoundAnswer*>(data);
    GtkWidget* dialog = Toplevel(Tr("Sound"));
    if (!dialog || !gtk_widget_get_mapped(dialog)) return G_SOURCE_CONTINUE;
    if (answer->presses++ > 0) {
        GtkWidget* font = Named(dialog, Tr("_SoundFont"));
        if (font) gtk_combo_box_set_active_id(GTK_COMBO_BOX(font), "");
    }
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    return answer->presses < answer->wanted ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

TEST(SoundDialog, KeepsTheChoiceAndRefusesASoundFontThatIsGone) {
    SKIP_WITHOUT_DISPLAY();
    const SoundChoice plain{"", "hall", "0.25"};
    SoundAnswer first;
    g_timeout_add(20, AnswerSound, &first);
    EXPECT_EQ(RunSoundDialog(nullptr, plain), plain);
    EXPECT_EQ(first.presses, 1);
    // A SoundFont that is gone: OK stays in the dialog until another is chosen.
    SoundAnswer second{2};
    g_timeout_add(20, AnswerSound, &second);
    EXPECT_EQ(RunSoundDialog(nullptr, SoundChoice{"/nonexistent/Gone.sf2", "off", "on"}),
              (SoundChoice{"", "off", "on"}));
    EXPECT_EQ(second.presses, 2);
}
