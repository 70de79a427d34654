// The switch's GTK widget: which GDK events reach the switch, what it draws,
// and a real press-and-release through the X server.
#include "ui/gtk/switch_widget.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/ui/gtk/gtk_test_support.h"
#include "ui/controls/dib.h"
#include "ui/gtk/window_icon.h"

namespace {

constexpr int kId = 131;
constexpr int kSwitchX = 20;
constexpr int kSwitchY = 30;

class RecordingParent : public SwitchNotifyTarget {
public:
    void OnSwitchNotify(int, int value) override { values.push_back(value); }
    std::vector<int> values;
};

class SwitchWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_DISPLAY();
        off_ = LoadDibResource(ResourceId::kChannelSwitchOff);
        on_ = LoadDibResource(ResourceId::kMuteOn);
        ASSERT_NE(off_, nullptr);
        ASSERT_NE(on_, nullptr);
        control_.Create(&parent_, kId, SwitchRectAt(kSwitchX, kSwitchY, off_.get()), off_.get(), on_.get());
        widget_ = std::make_unique<SwitchWidget>(control_);
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWidget* fixed = gtk_fixed_new();
        gtk_container_add(GTK_CONTAINER(window_), fixed);
        gtk_fixed_put(GTK_FIXED(fixed), widget_->Widget(), kSwitchX, kSwitchY);
        gtk_window_set_default_size(GTK_WINDOW(window_), 120, 120);
        gtk_widget_show_all(window_);
        for (int i = 0; i < 200 && !gdk_window_is_viewable(gtk_widget_get_window(widget_->Widget())); ++i) {
            DrainEvents();
            g_usleep(10000);
        }
        DrainEvents();
    }

    void TearDown() override
    {
        widget_.reset();
        if (window_ != nullptr) {
            gtk_widget_destroy(window_);
            DrainEvents();
        }
    }

    // Delivers a synthetic button event of `type` to the widget.
    void Send(GdkEventType type, guint button)
    {
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget_->Widget())));
        event->button.button = button;
        event->button.x = 4;
        event->button.y = 4;
        gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(widget_->Widget(), event);
        gdk_event_free(event);
    }

    void Click(guint button)
    {
        Send(GDK_BUTTON_PRESS, button);
        Send(GDK_BUTTON_RELEASE, button);
    }

    // The widget as drawn now: RGB of pixel (x, y).
    std::array<std::uint8_t, 3> DrawnPixel(int x, int y)
    {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 16, 16);
        cairo_t* cr = cairo_create(surface);
        gtk_widget_draw(widget_->Widget(), cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                                                  y * cairo_image_surface_get_stride(surface));
        const std::uint32_t pixel = row[x];
        cairo_surface_destroy(surface);
        return {static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)};
    }

    std::unique_ptr<CQBXBitmap> off_;
    std::unique_ptr<CQBXBitmap> on_;
    RecordingParent parent_;
    CQBXBitmapSwitch2 control_;
    std::unique_ptr<SwitchWidget> widget_;
    GtkWidget* window_ = nullptr;
};

TEST_F(SwitchWidgetTest, WidgetHasTheSwitchSize)
{
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget_->Widget(), &allocation);
    EXPECT_EQ(allocation.x, kSwitchX);
    EXPECT_EQ(allocation.y, kSwitchY);
    EXPECT_EQ(allocation.width, 16);
    EXPECT_EQ(allocation.height, 16);
}

TEST_F(SwitchWidgetTest, DrawsTheHalfOfTheStripThatTheStateSelects)
{
    // The lamp's centre differs between the strips and between the halves.
    EXPECT_EQ(DrawnPixel(8, 7), off_->Pixel(8, 7));
    Send(GDK_BUTTON_PRESS, 1);
    EXPECT_EQ(DrawnPixel(8, 7), off_->Pixel(8, 16 + 7));
    Send(GDK_BUTTON_RELEASE, 1);
    EXPECT_EQ(DrawnPixel(8, 7), on_->Pixel(8, 7));
    EXPECT_NE(on_->Pixel(8, 7), off_->Pixel(8, 7));
}

TEST_F(SwitchWidgetTest, LeftAndRightButtonsToggleAndTheMiddleButtonDoesNothing)
{
    Click(1);
    Click(3);
    Click(2);
    EXPECT_EQ(parent_.values, (std::vector<int>{1, 0x10000}));
}

TEST_F(SwitchWidgetTest, DoubleAndTripleClicksCountEveryPlainPress)
{
    // GDK: press, release, press, 2-button press, release.
    Click(1);
    Send(GDK_BUTTON_PRESS, 1);
    Send(GDK_2BUTTON_PRESS, 1);
    Send(GDK_BUTTON_RELEASE, 1);
    EXPECT_EQ(parent_.values, (std::vector<int>{1, 0}));
    // A third quick click brings a 3-button press after its press.
    Send(GDK_BUTTON_PRESS, 1);
    Send(GDK_3BUTTON_PRESS, 1);
    Send(GDK_BUTTON_RELEASE, 1);
    EXPECT_EQ(parent_.values, (std::vector<int>{1, 0, 1}));
}

TEST_F(SwitchWidgetTest, BrokenGrabReturnsToReleasedWithoutToggle)
{
    Send(GDK_BUTTON_PRESS, 1);
    ASSERT_TRUE(control_.Pressed());
    GdkEvent* event = gdk_event_new(GDK_GRAB_BROKEN);
    event->grab_broken.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget_->Widget())));
    gtk_widget_event(widget_->Widget(), event);
    gdk_event_free(event);
    EXPECT_FALSE(control_.Pressed());
    Send(GDK_BUTTON_RELEASE, 1);
    EXPECT_FALSE(control_.State());
    EXPECT_TRUE(parent_.values.empty());
    EXPECT_EQ(DrawnPixel(8, 7), off_->Pixel(8, 7));
}

TEST_F(SwitchWidgetTest, WidgetOutlivingItsWindowLetsGoCleanly)
{
    gtk_widget_destroy(window_);
    window_ = nullptr;
    DrainEvents();
    widget_.reset();
    control_.SetEnabled(false);  // no window left to repaint
    EXPECT_FALSE(control_.Enabled());
}

TEST_F(SwitchWidgetTest, DisabledSwitchIgnoresThePointer)
{
    control_.SetEnabled(false);
    Click(1);
    EXPECT_TRUE(parent_.values.empty());
}

// Runs xdotool with `arguments`; false when it is missing or fails.
bool Xdotool(const std::string& arguments)
{
    const std::string command = "xdotool " + arguments;
    gint status = -1;
    return g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, &status, nullptr) && status == 0;
}

// Handles events until `done` holds or a second has passed.
template <typename Condition>
void WaitFor(Condition done)
{
    for (int i = 0; i < 100 && !done(); ++i) {
        DrainEvents();
        g_usleep(10000);
    }
}

TEST_F(SwitchWidgetTest, RealPressInsideAndReleaseOutsideToggles)
{
    if (g_find_program_in_path("xdotool") == nullptr) {
        GTEST_SKIP() << "xdotool is not installed";
    }
    int rootX = 0;
    int rootY = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget_->Widget()), &rootX, &rootY);
    ASSERT_TRUE(Xdotool("mousemove " + std::to_string(rootX + 8) + " " + std::to_string(rootY + 8) + " mousedown 1"));
    WaitFor([this] { return control_.Pressed(); });
    ASSERT_TRUE(control_.Pressed()) << "the X server did not deliver the press";
    // Release well outside the switch: the implicit grab still sends it here.
    ASSERT_TRUE(Xdotool("mousemove " + std::to_string(rootX + 70) + " " + std::to_string(rootY + 70) + " mouseup 1"));
    WaitFor([this] { return !parent_.values.empty(); });
    EXPECT_EQ(parent_.values, (std::vector<int>{1}));
    EXPECT_FALSE(control_.Pressed());
}

TEST(WindowIconTest, IconListHasEverySize)
{
    SKIP_WITHOUT_DISPLAY();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    SetWindowIconFromResource(GTK_WINDOW(window), ResourceId::kIcon);
    GList* icons = gtk_window_get_icon_list(GTK_WINDOW(window));
    ASSERT_EQ(g_list_length(icons), 3u);
    EXPECT_EQ(gdk_pixbuf_get_width(GDK_PIXBUF(g_list_last(icons)->data)), 48);
    g_list_free(icons);
    gtk_widget_destroy(window);

    GdkPixbuf* large = NewIconPixbuf(ResourceId::kIcon);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_height(large), 48);
    g_object_unref(large);
    EXPECT_EQ(NewIconPixbuf(ResourceId::kBackground), nullptr);
}

}  // namespace
