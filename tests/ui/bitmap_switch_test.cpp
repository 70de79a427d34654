// The bitmap switch: what it draws, when it toggles and what its parent hears.
#include "ui/controls/bitmap_switch.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/recording_canvas.h"

namespace {

constexpr int kId = 130;

struct Notification {
    int id;
    int value;
    bool operator==(const Notification&) const = default;
};

class RecordingParent : public SwitchNotifyTarget {
public:
    void OnSwitchNotify(int id, int value) override { received.push_back({id, value}); }
    std::vector<Notification> received;
};

// Records the calls a switch makes on its toolkit window, in order.
class RecordingWindow : public ControlWindow {
public:
    void Invalidate() override { calls.push_back("invalidate"); }
    void UpdateNow() override { calls.push_back("update"); }
    void SetCapture() override { calls.push_back("capture"); }
    void ReleaseCapture() override { calls.push_back("release"); }
    std::vector<std::string> calls;
};

CQBXBitmap Strip(int width, int height)
{
    return CQBXBitmap(width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width * height * 3)));
}

class BitmapSwitchTest : public ::testing::Test {
protected:
    BitmapSwitchTest()
    {
        control.Create(&parent, kId, SwitchRectAt(372, 209, &off), &off, &on);
        control.AttachWindow(&window);
    }

    // The one image drawn when the switch paints itself now.
    DrawnImage Paint() const
    {
        RecordingCanvas canvas;
        control.OnPaint(canvas);
        EXPECT_EQ(canvas.drawn.size(), 1u);
        return canvas.drawn.empty() ? DrawnImage{} : canvas.drawn.front();
    }

    CQBXBitmap off = Strip(16, 32);
    CQBXBitmap on = Strip(16, 32);
    CQBXBitmap disabled = Strip(16, 16);
    RecordingParent parent;
    RecordingWindow window;
    CQBXBitmapSwitch2 control;
};

TEST_F(BitmapSwitchTest, IsAsLargeAsHalfItsStripAndStartsOffEnabledReleased)
{
    EXPECT_EQ(control.Rect(), (PixelRect{372, 209, 16, 16}));
    EXPECT_FALSE(control.State());
    EXPECT_TRUE(control.Enabled());
    EXPECT_FALSE(control.Pressed());
    EXPECT_EQ(Paint(), (DrawnImage{&off, {0, 0, 16, 16}, 0, 0}));
}

TEST_F(BitmapSwitchTest, LeftClickShowsPressedOffHalfThenReleasedOnHalfAndNotifiesOn)
{
    control.OnButtonDown(MouseButton::kLeft);
    EXPECT_EQ(Paint(), (DrawnImage{&off, {0, 16, 16, 16}, 0, 0}));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"capture", "update"}));
    EXPECT_TRUE(parent.received.empty());

    control.OnButtonUp(MouseButton::kLeft);
    EXPECT_EQ(Paint(), (DrawnImage{&on, {0, 0, 16, 16}, 0, 0}));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"capture", "update", "release", "invalidate"}));
    EXPECT_EQ(parent.received, (std::vector<Notification>{{kId, 1}}));
}

TEST_F(BitmapSwitchTest, RightClicksAddTheRightButtonFlag)
{
    control.OnButtonDown(MouseButton::kRight);
    control.OnButtonUp(MouseButton::kRight);
    control.OnButtonDown(MouseButton::kRight);
    control.OnButtonUp(MouseButton::kRight);
    EXPECT_EQ(parent.received, (std::vector<Notification>{{kId, 0x10001}, {kId, 0x10000}}));
}

TEST_F(BitmapSwitchTest, DoubleClickCountsAsTwoToggles)
{
    control.OnButtonDown(MouseButton::kLeft);
    control.OnButtonUp(MouseButton::kLeft);
    control.OnButtonDblClk(MouseButton::kLeft);
    control.OnButtonUp(MouseButton::kLeft);
    EXPECT_EQ(parent.received, (std::vector<Notification>{{kId, 1}, {kId, 0}}));
    EXPECT_FALSE(control.State());
}

TEST_F(BitmapSwitchTest, ReleaseWithoutPressDoesNothing)
{
    control.OnButtonUp(MouseButton::kLeft);
    EXPECT_TRUE(parent.received.empty());
    EXPECT_FALSE(control.State());
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(BitmapSwitchTest, DisabledSwitchIgnoresClicksAndShowsItsDisabledImageWhateverItsState)
{
    control.SetSwitchState(1, 0);
    control.SetDisabledImage(&disabled);
    control.SetEnabled(false);
    window.calls.clear();

    control.OnButtonDown(MouseButton::kLeft);
    control.OnButtonUp(MouseButton::kLeft);
    control.OnButtonDblClk(MouseButton::kRight);
    control.OnButtonUp(MouseButton::kRight);
    EXPECT_TRUE(parent.received.empty());
    EXPECT_TRUE(window.calls.empty());
    EXPECT_TRUE(control.State());
    EXPECT_EQ(Paint(), (DrawnImage{&disabled, {0, 0, 16, 16}, 0, 0}));
}

TEST_F(BitmapSwitchTest, DisabledSwitchWithoutDisabledImageShowsItsOffStrip)
{
    control.SetSwitchState(1, 0);
    control.SetEnabled(false);
    EXPECT_EQ(Paint(), (DrawnImage{&off, {0, 0, 16, 16}, 0, 0}));
}

TEST_F(BitmapSwitchTest, SetSwitchStateChangesOnlyAnEnabledSwitchToAnotherValue)
{
    control.SetSwitchState(0, 1);  // already off
    EXPECT_TRUE(parent.received.empty());
    EXPECT_TRUE(window.calls.empty());

    control.SetSwitchState(1, 0);  // no notification, but a repaint
    EXPECT_TRUE(control.State());
    EXPECT_TRUE(parent.received.empty());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"invalidate"}));

    control.SetSwitchState(0, 1);
    EXPECT_EQ(parent.received, (std::vector<Notification>{{kId, 0}}));

    control.SetEnabled(false);
    control.SetSwitchState(1, 1);
    EXPECT_FALSE(control.State());
    EXPECT_EQ(parent.received.size(), 1u);
}

TEST_F(BitmapSwitchTest, NotificationArrivesAfterTheStateChanged)
{
    // The parent reads the switch from its handler, as the window's option
    // logic does.
    class ReadingParent : public SwitchNotifyTarget {
    public:
        explicit ReadingParent(const CQBXBitmapSwitch2& control) : control_(control) {}
        void OnSwitchNotify(int, int) override { seen = {control_.State(), control_.Pressed()}; }
        std::pair<bool, bool> seen{false, true};

    private:
        const CQBXBitmapSwitch2& control_;
    } reading(control);
    control.Create(&reading, kId, control.Rect(), &off, &on);
    control.OnButtonDown(MouseButton::kLeft);
    control.OnButtonUp(MouseButton::kLeft);
    EXPECT_EQ(reading.seen, (std::pair<bool, bool>{true, false}));
}

TEST_F(BitmapSwitchTest, LostCaptureReturnsToReleasedWithoutToggle)
{
    control.OnButtonDown(MouseButton::kLeft);
    control.OnCaptureLost();
    EXPECT_FALSE(control.Pressed());
    control.OnButtonUp(MouseButton::kLeft);
    EXPECT_FALSE(control.State());
    EXPECT_TRUE(parent.received.empty());
    EXPECT_EQ(Paint(), (DrawnImage{&off, {0, 0, 16, 16}, 0, 0}));
}

TEST_F(BitmapSwitchTest, MissingStripDrawsNothing)
{
    CQBXBitmapSwitch2 blank;
    blank.Create(&parent, kId, SwitchRectAt(0, 0, nullptr), nullptr, nullptr);
    RecordingCanvas canvas;
    blank.OnPaint(canvas);
    EXPECT_TRUE(canvas.drawn.empty());
    EXPECT_EQ(blank.Rect(), (PixelRect{0, 0, 0, 0}));
}

}  // namespace
