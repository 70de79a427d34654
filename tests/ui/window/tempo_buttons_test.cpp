// The tempo display and its arrow buttons, on a manual clock.
#include <gtest/gtest.h>

#include "app/song/ombrix_dlg.h"
#include "resources/resource_ids.h"
#include "tests/ui/window/fake_window_host.h"
#include "tests/ui/window/recording_window_canvas.h"
#include "ui/window/tempo_buttons.h"
#include "ui/window/window_images.h"

namespace {

constexpr int kBlank = kBlankDigitCell;
constexpr int kDash = kDashDigitCell;

class TempoTest : public testing::Test {
protected:
    void LoadSong(int percent) {
        dlg.m_strSongName = "song";
        dlg.m_songOptions.tempoPercent = percent;
    }
    void PressUp() { ASSERT_TRUE(tempo.OnButtonDown(380, 60)); }
    void PressDown() { ASSERT_TRUE(tempo.OnButtonDown(380, 90)); }
    void Hold(int ms) {
        host.Advance(ms, [this](int id) { tempo.OnTimer(id); });
    }
    int Percent() const { return dlg.m_songOptions.tempoPercent; }

    COmbrixDlg dlg;
    FakeWindowHost host;
    TempoButtons tempo{dlg, host, host};
};

}  // namespace

TEST(TempoDigitCells, LeadingZerosAreBlankAndNoSongShowsDashes) {
    EXPECT_EQ(TempoDigitCells(5, true), (std::array<int, 3>{kBlank, kBlank, 5}));
    EXPECT_EQ(TempoDigitCells(50, true), (std::array<int, 3>{kBlank, 5, 0}));
    EXPECT_EQ(TempoDigitCells(105, true), (std::array<int, 3>{1, 0, 5}));
    EXPECT_EQ(TempoDigitCells(999, true), (std::array<int, 3>{9, 9, 9}));
    EXPECT_EQ(TempoDigitCells(100, false), (std::array<int, 3>{kDash, kDash, kDash}));
}

TEST_F(TempoTest, HoldingUpForOneSecondFrom100Reaches109) {
    LoadSong(100);
    PressUp();
    EXPECT_EQ(Percent(), 101);  // one step at the press
    EXPECT_TRUE(host.captured);
    Hold(1000);                 // then one every 120 ms: 8 more
    EXPECT_EQ(Percent(), 109);
    tempo.OnButtonUp();
    EXPECT_FALSE(host.captured);
    EXPECT_TRUE(host.timers.empty());
    Hold(1000);
    EXPECT_EQ(Percent(), 109);
}

TEST_F(TempoTest, TheValueStaysBetween1And999) {
    LoadSong(999);
    PressUp();
    Hold(500);
    EXPECT_EQ(Percent(), 999);
    tempo.OnButtonUp();
    dlg.m_songOptions.tempoPercent = 1;
    PressDown();
    Hold(500);
    EXPECT_EQ(Percent(), 1);
}

TEST_F(TempoTest, Row77BelongsToTheDownArrowAndOutsideBothNothingHappens) {
    LoadSong(100);
    ASSERT_TRUE(tempo.OnButtonDown(369, 77));
    EXPECT_TRUE(tempo.DownPressed());
    EXPECT_EQ(Percent(), 99);
    tempo.OnButtonUp();
    EXPECT_FALSE(tempo.OnButtonDown(391, 60));  // right edge excluded
    EXPECT_FALSE(tempo.OnButtonDown(380, 99));  // bottom edge excluded
    EXPECT_FALSE(host.captured);
}

TEST_F(TempoTest, WithoutASongOnlyTheArrowChanges) {
    PressUp();
    EXPECT_TRUE(tempo.UpPressed());
    EXPECT_TRUE(host.timers.empty());
    EXPECT_EQ(Percent(), 100);
    tempo.OnButtonUp();
    EXPECT_FALSE(tempo.UpPressed());
}

TEST_F(TempoTest, LosingTheCaptureStopsTheRepeat) {
    LoadSong(100);
    PressDown();
    tempo.OnCaptureLost();
    Hold(1000);
    EXPECT_EQ(Percent(), 99);
    EXPECT_FALSE(tempo.DownPressed());
}

TEST_F(TempoTest, PaintTakesEachCellFromTheDigitStripAndThePressedArrow) {
    WindowImages images;
    images.LoadAll();
    LoadSong(105);
    PressUp();  // 106, up arrow pressed
    RecordingWindowCanvas canvas;
    tempo.Paint(canvas, images);
    const CQBXBitmap* digits = images.Get(ResourceId::kDigits);
    ASSERT_EQ(canvas.drawn.size(), 5u);
    EXPECT_EQ(canvas.drawn[0], (DrawnImage{digits, {30, 0, 30, 34}, 249, 59}));
    EXPECT_EQ(canvas.drawn[1], (DrawnImage{digits, {0, 0, 30, 34}, 280, 59}));
    EXPECT_EQ(canvas.drawn[2], (DrawnImage{digits, {180, 0, 30, 34}, 311, 59}));
    EXPECT_EQ(canvas.drawn[3].image, images.Get(ResourceId::kTempoUpPressed));
    EXPECT_EQ(canvas.drawn[3].x, 369);
    EXPECT_EQ(canvas.drawn[4].image, images.Get(ResourceId::kTempoDown));
    EXPECT_EQ(canvas.drawn[4].y, 77);
}
