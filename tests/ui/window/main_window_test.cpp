// The main window's logic driven like the toolkit drives it: start-up,
// switches, LOAD and CONVERT through fake dialogs, painting, About, close.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/options/option_command_line.h"
#include "app/options/output_choice.h"
#include "app/options/requested_options.h"
#include "app/startup/sound_choice.h"
#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "model/measure.h"
#include "module/test/qnstest_probe.h"
#include "platform/folder_lock.h"
#include "platform/known_folders.h"
#include "platform/translation.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "render/audio_format.h"
#include "render/convert_song.h"
#include "resources/resource_ids.h"
#include "sequencer/song_timeline.h"
#include "sequencer/synth_module.h"
#include "tests/app/temp_folder.h"
#include "tests/import/smf_test_support.h"
#include "tests/ui/window/fake_window_host.h"
#include "tests/ui/window/recording_window_canvas.h"
#include "ui/window/check_open_path.h"
#include "ui/window/format_titles.h"
#include "ui/window/saved_file_note.h"
#include "ui/window/main_window.h"
#include "ui/window/practice_settings.h"
#include "ui/window/switch_layout.h"

namespace {

using smftest::Chunk;

constexpr int kBassChannel = 1;  // channel 2
constexpr int kDrumChannel = 9;  // channel 10

// Channel 1 plays a piano note, channel 2 a bass (program 33), channel 10 a drum.
smftest::Bytes ThreeChannelSong() {
    Chunk track;
    track.At(0, {0xB1, 0x07, 100}).At(0, {0xC1, 33});
    track.NoteOn(0, 0, 60, 100).NoteOn(0, kBassChannel, 36, 100).NoteOn(0, kDrumChannel, 38, 100);
    track.NoteOff(480, 0, 60).NoteOff(0, kBassChannel, 36).NoteOff(0, kDrumChannel, 38).End();
    return smftest::Smf(0, 480, {track});
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        g_pSongTimeline = &timeline;
        window.OnInitDialog();
    }
    void TearDown() override { g_pSongTimeline = nullptr; }

    std::string WriteFile(const std::string& name, const smftest::Bytes& bytes) {
        const std::string path = folder.path() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Clicks switch `id` with the left button, as the toolkit forwards it.
    void Click(int id) {
        CQBXBitmapSwitch2* control = window.Switch(id);
        ASSERT_NE(control, nullptr);
        control->OnButtonDown(MouseButton::kLeft);
        control->OnButtonUp(MouseButton::kLeft);
        host.RunPosted();
    }
    void Load(const std::string& path) {
        host.openChoice = path;
        Click(SwitchId::kLoad);
    }
    bool On(int id) const { return window.State(id) != 0; }
    const SongOptions& Options() const { return dlg.m_songOptions; }

    TempFolder folder;
    COmbrixDlg dlg;
    SongContainer renderSong{1};
    SongTimeline timeline{renderSong};
    FakeWindowHost host;
    FakeSettings settings;
    MainWindow window{dlg, renderSong, host, settings};
};

}  // namespace

TEST_F(MainWindowTest, StartsWith40SwitchesInPlaceAndOnlyLoadConvertPlayAndPreCountEnabled) {
    const auto switches = window.Switches();
    ASSERT_EQ(switches.size(), 40u);
    const PixelRect client{0, 0, kClientWidth, kClientHeight};
    for (const CQBXBitmapSwitch2* a : switches) {
        const PixelRect r = a->Rect();
        EXPECT_TRUE(client.Contains(r.x, r.y) && client.Contains(r.x + r.width - 1, r.y + r.height - 1)) << a->Id();
        const bool enabled = a->Id() == SwitchId::kLoad || a->Id() == SwitchId::kConvert ||
                             a->Id() == SwitchId::kPlay || a->Id() == SwitchId::kPreCount;
        EXPECT_EQ(a->Enabled(), enabled) << a->Id();
        for (const CQBXBitmapSwitch2* b : switches) {
            const PixelRect q = b->Rect();
            const bool overlap = r.x < q.x + q.width && q.x < r.x + r.width && r.y < q.y + q.height && q.y < r.y + r.height;
            EXPECT_TRUE(a == b || !overlap) << a->Id() << " overlaps " << b->Id();
        }
    }
    EXPECT_EQ(window.Switch(SwitchId::kLoad)->Rect(), (PixelRect{44, 43, 40, 40}));
    // PLAY/STOP sits beside CONVERT, short of the tempo display and the bar shown while playing.
    const PixelRect play = window.Switch(SwitchId::kPlay)->Rect();
    EXPECT_EQ(play, (PixelRect{195, 43, 40, 40}));
    for (const PixelRect& other : {kTempoDisplayRect, kTempoUpRect, kPlayingBarRect}) {
        EXPECT_TRUE(play.x + play.width < other.x || play.y + play.height < other.y);
    }
    EXPECT_EQ(window.Switch(SwitchId::kFirstVolumeDown)->Rect(), (PixelRect{349, 209, 16, 16}));
    EXPECT_EQ(window.Switch(SwitchId::kFirstMute + 15)->Rect(), (PixelRect{372, 509, 16, 16}));
    EXPECT_EQ(window.Switch(SwitchId::kPreCount)->Rect(), (PixelRect{248, 101, 14, 14}));
    EXPECT_EQ(window.Switch(SwitchId::kMelody)->Rect(), (PixelRect{27, 145, 80, 48}));
    EXPECT_TRUE(On(SwitchId::kPreCount));
    EXPECT_TRUE(Options().preCount);
    EXPECT_EQ(dlg.m_strLastFolder, "/home/user/songs");
    EXPECT_TRUE(dlg.m_strSongName.empty());
}

TEST_F(MainWindowTest, EverySwitchShowsItsOwnOffAndOnImages) {
    for (const SwitchPlacement& place : MainWindowSwitches()) {
        CQBXBitmapSwitch2* control = window.Switch(place.id);
        control->SetEnabled(true);
        for (const int state : {0, 1}) {
            control->SetSwitchState(state, 0);
            RecordingCanvas canvas;
            control->OnPaint(canvas);
            ASSERT_EQ(canvas.drawn.size(), 1u) << place.id;
            EXPECT_EQ(canvas.drawn[0].image, window.Images().Get(state ? place.onImage : place.offImage)) << place.id;
            EXPECT_NE(canvas.drawn[0].image, nullptr) << place.id;
        }
    }
}

TEST_F(MainWindowTest, DisabledChannelSwitchesShowTheirDisabledImage) {
    RecordingCanvas canvas;
    window.Switch(SwitchId::kFirstMute + 3)->OnPaint(canvas);
    ASSERT_EQ(canvas.drawn.size(), 1u);
    EXPECT_EQ(canvas.drawn[0].image, window.Images().Get(ResourceId::kChannelSwitchDisabled));
}

TEST_F(MainWindowTest, PartSwitchesLookDarkWithoutASongAndShowTheirStripsWithOne) {
    RecordingCanvas before;
    window.Switch(SwitchId::kBass)->OnPaint(before);
    ASSERT_EQ(before.drawn.size(), 1u);
    EXPECT_EQ(before.drawn[0].image, window.Images().Get(ResourceId::kBassDisabled));
    Load(WriteFile("three.mid", ThreeChannelSong()));
    RecordingCanvas after;
    window.Switch(SwitchId::kBass)->OnPaint(after);
    ASSERT_EQ(after.drawn.size(), 1u);
    EXPECT_EQ(after.drawn[0].image, window.Images().Get(ResourceId::kBassOff));
}

TEST_F(MainWindowTest, PaintLightsAndNamesOnlyTheUsedChannels) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    RecordingWindowCanvas canvas;
    window.OnPaint(canvas);
    ASSERT_GE(canvas.drawn.size(), 17u);
    EXPECT_EQ(canvas.drawn[0].image, window.Images().Get(ResourceId::kBackground));
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool used = channel == 0 || channel == kBassChannel || channel == kDrumChannel;
        const DrawnImage& bar = canvas.drawn[1 + channel];
        EXPECT_EQ(bar.image, window.Images().Get(used ? ResourceId::kRowUsed : ResourceId::kRowUnused)) << channel;
        EXPECT_EQ(bar.x, 26);
        EXPECT_EQ(bar.y, 209 + 20 * channel);
    }
    ASSERT_EQ(canvas.texts.size(), 3u);
    EXPECT_EQ(canvas.texts[0], (DrawnText{30, 209, 16, Options().toneName[0], kChannelNameColour}));
    EXPECT_EQ(canvas.texts[2].top, 209 + 20 * kDrumChannel);
}

TEST_F(MainWindowTest, LoadOpensTheChosenSongAndEnablesItsChannels) {
    const std::string path = WriteFile("three.mid", ThreeChannelSong());
    Load(path);
    EXPECT_EQ(host.openFolders, std::vector<std::string>{"/home/user/songs"});
    EXPECT_EQ(host.caption, "Ombrix Converter [three.mid]");
    EXPECT_EQ(dlg.m_strSongName, "three");
    EXPECT_EQ(dlg.m_strLastFolder, folder.path());
    EXPECT_EQ(host.cursorLog, (std::vector<bool>{true, false}));
    EXPECT_GE(host.repaints, 1);
    EXPECT_TRUE(host.messages.texts.empty());
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool used = channel == 0 || channel == kBassChannel || channel == kDrumChannel;
        EXPECT_EQ(window.Enabled(SwitchId::kFirstVolumeDown + channel), used) << channel;
        EXPECT_EQ(window.Enabled(SwitchId::kFirstMute + channel), used) << channel;
    }
    // The song has a melody (channel 1 on top), a bass and drums, but no guitar.
    for (const int id : {SwitchId::kBass, SwitchId::kDrums, SwitchId::kMelody}) EXPECT_TRUE(window.Enabled(id)) << id;
    EXPECT_FALSE(window.Enabled(SwitchId::kGuitar));
}

TEST_F(MainWindowTest, APartTheSongDoesNotHaveIsShownUnavailableNeverRemoved) {
    // A bass line and drums only: MELODY would remove nothing.
    Chunk track;
    track.At(0, {0xC1, 33});
    for (const int note : {36, 38, 40, 43}) {
        track.NoteOn(0, kBassChannel, note, 100).NoteOn(0, kDrumChannel, 38, 100);
        track.NoteOff(480, kBassChannel, note).NoteOff(0, kDrumChannel, 38);
    }
    Load(WriteFile("rhythm.mid", smftest::Smf(0, 480, {track.End()})));
    EXPECT_FALSE(window.Enabled(SwitchId::kMelody));
    Click(SwitchId::kMelody);
    EXPECT_FALSE(Options().minusMelody);
    EXPECT_FALSE(On(SwitchId::kMelody));
    RecordingCanvas canvas;
    window.Switch(SwitchId::kMelody)->OnPaint(canvas);
    ASSERT_EQ(canvas.drawn.size(), 1u);
    EXPECT_EQ(canvas.drawn[0].image, window.Images().Get(ResourceId::kMelodyDisabled));
    // Its hover marks nothing; the song's BASS still works.
    RecordingWindowCanvas rows;
    window.OnPointerOverSwitch(SwitchId::kMelody);
    window.OnPaint(rows);
    for (const DrawnText& text : rows.texts) EXPECT_EQ(text.colour, kChannelNameColour);
    Click(SwitchId::kBass);
    EXPECT_TRUE(Options().minusBass);
    EXPECT_EQ(Options().mute[kBassChannel], 1);
}

TEST_F(MainWindowTest, PartSwitchesMoveTheMuteSwitchesAndAnUnmuteReleasesThePart) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    Click(SwitchId::kBass);
    EXPECT_TRUE(Options().minusBass);
    EXPECT_TRUE(On(SwitchId::kFirstMute + kBassChannel));
    EXPECT_EQ(Options().mute[kBassChannel], 1);
    Click(SwitchId::kDrums);
    EXPECT_TRUE(On(SwitchId::kFirstMute + kDrumChannel));
    Click(SwitchId::kFirstMute + kBassChannel);  // unmute the bass by hand
    EXPECT_FALSE(On(SwitchId::kBass));
    EXPECT_FALSE(Options().minusBass);
    EXPECT_EQ(Options().mute[kBassChannel], 0);
    EXPECT_TRUE(Options().minusDrums);
    // A right-button toggle turns an option off like the left one.
    CQBXBitmapSwitch2* volume = window.Switch(SwitchId::kFirstVolumeDown);
    volume->OnButtonDown(MouseButton::kRight);
    volume->OnButtonUp(MouseButton::kRight);
    EXPECT_EQ(Options().volumeDown[0], 1);
    volume->OnButtonDown(MouseButton::kRight);
    volume->OnButtonUp(MouseButton::kRight);
    EXPECT_EQ(Options().volumeDown[0], 0);
}

TEST_F(MainWindowTest, AnotherOpenTurnsTheOldChoicesOffButKeepsThePreCountChoice) {
    const std::string path = WriteFile("three.mid", ThreeChannelSong());
    Load(path);
    Click(SwitchId::kBass);
    Click(SwitchId::kFirstVolumeDown);
    Click(SwitchId::kPreCount);
    EXPECT_FALSE(Options().preCount);
    dlg.m_songOptions.tempoPercent = 150;
    Load(path);
    EXPECT_FALSE(On(SwitchId::kBass));
    EXPECT_FALSE(On(SwitchId::kFirstMute + kBassChannel));
    EXPECT_FALSE(On(SwitchId::kFirstVolumeDown));
    EXPECT_EQ(Options().mute[kBassChannel], 0);
    EXPECT_EQ(Options().volumeDown[0], 0);
    EXPECT_EQ(Options().tempoPercent, 100);
    EXPECT_FALSE(On(SwitchId::kPreCount));
    EXPECT_FALSE(Options().preCount);
}

TEST_F(MainWindowTest, AFailedOpenKeepsTheSongAndItsChoices) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    Click(SwitchId::kBass);
    Click(SwitchId::kFirstVolumeDown);
    dlg.m_songOptions.tempoPercent = 90;
    window.Practice().Transpose(2);
    const SongOptions chosen = Options();
    for (const smftest::Bytes& bad : {smftest::Bytes{'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'n', 'g'},
                                      smftest::Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}}) {
        host.messages.texts.clear();
        Load(WriteFile("notes.mid", bad));
        EXPECT_EQ(host.messages.texts.size(), 1u);
        EXPECT_EQ(host.caption, "Ombrix Converter [three.mid]");
        EXPECT_EQ(dlg.m_strSongName, "three");
        EXPECT_EQ(dlg.m_strLastFolder, folder.path());
        EXPECT_TRUE(On(SwitchId::kBass));
        EXPECT_TRUE(On(SwitchId::kFirstMute + kBassChannel));
        EXPECT_TRUE(On(SwitchId::kFirstVolumeDown));
        EXPECT_TRUE(window.Enabled(SwitchId::kFirstMute));
        EXPECT_EQ(Options().tempoPercent, 90);
        EXPECT_EQ(Options().transpose, 2);
        EXPECT_EQ(Options().mute, chosen.mute);
        EXPECT_EQ(Options().channelUsed, chosen.channelUsed);
        EXPECT_EQ(Options().toneName, chosen.toneName);
    }
    RecordingWindowCanvas canvas;
    window.OnPaint(canvas);
    EXPECT_GE(canvas.texts.size(), 3u);
    // The song itself is still there to convert.
    EXPECT_GT(SongEndTick(dlg.m_song), 0);
}

TEST_F(MainWindowTest, AFailedFirstOpenLeavesNoSong) {
    Load(WriteFile("notes.mid", {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'n', 'g'}));
    EXPECT_EQ(host.messages.texts, std::vector<std::string>{"File is not SMF"});
    EXPECT_EQ(host.caption, "Ombrix Converter");
    EXPECT_TRUE(dlg.m_strSongName.empty());
    EXPECT_FALSE(window.Enabled(SwitchId::kBass));
    EXPECT_TRUE(Options().preCount);
}

TEST_F(MainWindowTest, AMissingSongNamedOnTheCommandLineIsToldNotFound) {
    window.OpenSong(folder.path() + "/my-fav.mid");
    EXPECT_EQ(host.messages.texts, std::vector<std::string>{"FileNotFound"});
    EXPECT_EQ(host.caption, "Ombrix Converter");
    EXPECT_TRUE(dlg.m_strSongName.empty());
}

TEST_F(MainWindowTest, ATooLongPathIsRefusedAndTheSongStays) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    Load("/" + std::string(300, 'x') + ".mid");
    EXPECT_EQ(host.messages.texts, std::vector<std::string>{kPathTooLongMessage});
    EXPECT_EQ(dlg.m_strSongName, "three");
    EXPECT_TRUE(window.Enabled(SwitchId::kFirstMute));
}

TEST_F(MainWindowTest, CancellingTheOpenDialogChangesNothing) {
    host.openChoice.reset();
    Click(SwitchId::kLoad);
    EXPECT_EQ(host.openFolders.size(), 1u);
    EXPECT_TRUE(host.cursorLog.empty());
    EXPECT_TRUE(host.messages.texts.empty());
}

TEST_F(MainWindowTest, ConvertWithoutASongSaysSoAndCancelWritesNothing) {
    Click(SwitchId::kConvert);
    EXPECT_EQ(host.messages.texts, std::vector<std::string>{kNoSongLoadedMessage});
    EXPECT_TRUE(host.conversion.asked.empty());

    host.messages.texts.clear();
    Load(WriteFile("three.mid", ThreeChannelSong()));
    host.conversion.saveChoice.reset();
    Click(SwitchId::kConvert);
    EXPECT_EQ(host.conversion.asked, std::vector<std::string>{folder.path() + "|three"});
    EXPECT_EQ(host.conversion.opened, 0);
    EXPECT_TRUE(host.messages.texts.empty());
    EXPECT_EQ(host.caption, "Ombrix Converter [three.mid]");  // nothing saved, nothing said
}

TEST_F(MainWindowTest, APartSwitchUnderThePointerMarksTheRowsItWouldMute) {
    const auto names = [this] {
        RecordingWindowCanvas canvas;
        window.OnPaint(canvas);
        return canvas.texts;
    };
    window.OnPointerOverSwitch(SwitchId::kBass);  // no song: nothing to mark
    for (const DrawnText& text : names()) EXPECT_EQ(text.colour, kChannelNameColour);
    window.OnPointerOverSwitch(0);
    Load(WriteFile("three.mid", ThreeChannelSong()));
    const std::vector<DrawnText> plain = names();
    host.invalidated.clear();
    window.OnPointerOverSwitch(SwitchId::kBass);
    EXPECT_FALSE(host.invalidated.empty());
    std::vector<DrawnText> marked = names();
    ASSERT_EQ(marked.size(), 3u);
    EXPECT_EQ(marked[0], plain[0]);
    EXPECT_EQ(marked[1], (DrawnText{plain[1].x, plain[1].top, plain[1].height, kMarkedChannelMark + Options().toneName[kBassChannel],
                                    kMarkedChannelNameColour}));
    EXPECT_EQ(marked[2], plain[2]);
    window.OnPointerOverSwitch(SwitchId::kDrums);
    marked = names();
    EXPECT_EQ(marked[1], plain[1]);
    EXPECT_EQ(marked[2].colour, kMarkedChannelNameColour);
    // Other switches and no switch mark nothing; the layout never moves.
    for (const int id : {SwitchId::kFirstMute, 0}) {
        window.OnPointerOverSwitch(id);
        EXPECT_EQ(names(), plain) << id;
    }
}

TEST(PracticeStatusText, NamesAMovedKeyWithItsSignAndTheClick) {
    const std::string key = Tr("Key");
    const std::string click = Tr("Click");
    EXPECT_EQ(PracticeStatusText(0, false), "");
    EXPECT_EQ(PracticeStatusText(2, false), key + " +2");
    EXPECT_EQ(PracticeStatusText(-12, false), key + " \u221212");
    EXPECT_EQ(PracticeStatusText(0, true), click);
    EXPECT_EQ(PracticeStatusText(12, true), key + " +12 \u00B7 " + click);
}

TEST_F(MainWindowTest, TheKeyMovesOnlyWithASongAndWithinAnOctave) {
    PracticeChoices& practice = window.Practice();
    EXPECT_FALSE(practice.CanTranspose(1));
    practice.Transpose(1);  // no song: the key has nothing to move
    EXPECT_EQ(Options().transpose, 0);

    Load(WriteFile("three.mid", ThreeChannelSong()));
    host.invalidated.clear();
    practice.Transpose(1);
    practice.Transpose(1);
    EXPECT_EQ(Options().transpose, 2);
    EXPECT_EQ(host.invalidated, (std::vector<PixelRect>{kPracticeStatusRect, kPracticeStatusRect}));
    for (int i = 0; i < 20; ++i) practice.Transpose(-1);
    EXPECT_EQ(Options().transpose, -12);
    EXPECT_FALSE(practice.CanTranspose(-1));
    EXPECT_TRUE(practice.CanTranspose(24));
    practice.Transpose(30);  // past the octave: refused whole
    EXPECT_EQ(Options().transpose, -12);
    practice.ResetKey();
    EXPECT_EQ(Options().transpose, 0);
    EXPECT_TRUE(practice.AtOriginalKey());
}

TEST_F(MainWindowTest, TheStatusLineShowsTheKeyAndTheClickUnderTheRows) {
    const auto status = [this] {
        RecordingWindowCanvas canvas;
        window.OnPaint(canvas);
        std::vector<DrawnText> lines;
        for (const DrawnText& text : canvas.texts)
            if (text.top == kPracticeStatusRect.y) lines.push_back(text);
        return lines;
    };
    Load(WriteFile("three.mid", ThreeChannelSong()));
    EXPECT_TRUE(status().empty());  // the plain song says nothing
    window.Practice().Transpose(-3);
    window.Practice().SetClick(true);
    ASSERT_EQ(status().size(), 1u);
    EXPECT_EQ(status()[0], (DrawnText{kPracticeStatusRect.x, kPracticeStatusRect.y, kPracticeStatusRect.height,
                                      PracticeStatusText(-3, true), kPracticeStatusColour}));
    // The status line stays clear of the channel rows.
    EXPECT_GT(kPracticeStatusRect.y, ChannelRowBarRect(kMidiChannels - 1).y + ChannelRowBarRect(0).height);
}

TEST_F(MainWindowTest, AnOpenReturnsToTheOriginalKeyAndKeepsTheClickAsPreCountDoes) {
    const std::string path = WriteFile("three.mid", ThreeChannelSong());
    window.Practice().SetClick(true);  // chosen before any song
    EXPECT_TRUE(Options().click);
    Load(path);
    EXPECT_TRUE(Options().click);
    window.Practice().Transpose(5);
    Load(path);
    EXPECT_EQ(Options().transpose, 0);
    EXPECT_TRUE(Options().click);
    EXPECT_TRUE(window.Practice().Click());
    window.Practice().Transpose(2);
    Load(WriteFile("notes.mid", {'n', 'o', 't', ' ', 'a', ' ', 's', 'o', 'n', 'g'}));  // fails: the song stays
    EXPECT_EQ(Options().transpose, 2);
    EXPECT_TRUE(Options().click);
    window.Practice().SetClick(false);
    Load(path);
    EXPECT_FALSE(Options().click);
}

#ifdef QNSTEST_MODULE_PATH
// Conversions through the test module, which runs in the worker process: the
// module's calls come back through its call log file.
class WindowConversionTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        std::snprintf(g_szModulePath, sizeof g_szModulePath, "%s", QNSTEST_MODULE_PATH);
        ASSERT_TRUE(probe.Loaded());
        probe.Reset();
        setenv("QNSTEST_CALL_LOG", callLog().c_str(), 1);
        Load(WriteFile("three.mid", ThreeChannelSong()));
    }
    void TearDown() override {
        unsetenv("QNSTEST_CALL_LOG");
        probe.Reset();
        g_szModulePath[0] = '\0';
        MainWindowTest::TearDown();
    }
    std::string callLog() const { return folder.path() + "/calls.log"; }
    // Converts into `name` in the test folder.
    std::string Convert(const std::string& name) {
        const std::string wav = folder.path() + "/" + name;
        host.conversion.saveChoice = wav;
        Click(SwitchId::kConvert);
        return wav;
    }
    std::string Bytes(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Names in the test folder besides the song, the call log, the folder's lock (which stays) and `known`.
    std::vector<std::string> OtherFiles(const std::string& known) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "three.mid" && name != "calls.log" && name != kFolderLockName && name != known)
                names.push_back(name);
        }
        return names;
    }

    QnsTestProbe probe{QNSTEST_MODULE_PATH};
};

TEST_F(WindowConversionTest, RendersTheSongWithTheWindowsOptionsInAWorker) {
    Click(SwitchId::kPreCount);        // no clicks in front
    Click(SwitchId::kFirstMute);       // channel 1 muted
    Click(SwitchId::kBass);            // channel 2 removed
    const std::string wav = Convert("out.wav");

    EXPECT_TRUE(host.messages.texts.empty());
    EXPECT_EQ(host.conversion.opened, 1);
    EXPECT_EQ(host.conversion.closed, 1);
    EXPECT_GT(std::filesystem::file_size(wav), 44u);
    EXPECT_EQ(host.caption, "Ombrix Converter [three.mid] saved to " + wav);
    // The status line says so too, and a click on it opens the folder.
    const auto statusLine = [this] {
        RecordingWindowCanvas canvas;
        window.OnPaint(canvas);
        std::vector<std::string> lines;
        for (const DrawnText& text : canvas.texts)
            if (text.top == kPracticeStatusRect.y) lines.push_back(text.text);
        return lines;
    };
    EXPECT_EQ(statusLine(), std::vector<std::string>{SavedFileNote(wav, HomeFolder(), kStatusLineColumns)});
    window.OnLButtonDown(kPracticeStatusRect.x + 5, kPracticeStatusRect.y + 5);
    window.OnLButtonUp();
    EXPECT_EQ(host.openedFolders, std::vector<std::string>{folder.path()});
    window.Practice().SetClick(true);
    EXPECT_EQ(statusLine(), std::vector<std::string>{PracticeStatusText(0, true) + " \u00B7 " +
                                                     SavedFileNote(wav, HomeFolder(), kStatusLineColumns - 8)});
    window.Practice().SetClick(false);
    // The next song has saved nothing yet: the line is empty and a click opens nothing.
    Load(folder.path() + "/three.mid");
    EXPECT_TRUE(statusLine().empty());
    window.OnLButtonDown(kPracticeStatusRect.x + 5, kPracticeStatusRect.y + 5);
    EXPECT_EQ(host.openedFolders.size(), 1u);
    // Call log lines: block, function, message in hex (d2 d1 status).
    std::ifstream log(callLog());
    int block = 0, function = 0, drumNotes = 0;
    std::string message;
    while (log >> block >> function >> std::hex >> message >> std::dec) {
        const unsigned value = static_cast<unsigned>(std::stoul(message, nullptr, 16));
        if (function != QNSTEST_SEND_SHORT || (value & 0xF0) != 0x90 || ((value >> 16) & 0x7F) == 0) continue;
        const int channel = static_cast<int>(value & 0x0F);
        EXPECT_EQ(channel, kDrumChannel) << "note on channel " << channel + 1;
        if (channel == kDrumChannel) ++drumNotes;
    }
    EXPECT_EQ(drumNotes, 1);
    // The worker writes what an in-process conversion writes.
    HeadlessConversionUi ui;
    CollectingReport report;
    ConvertSongToWav(dlg.ConversionInput(), renderSong, folder.path() + "/here.wav", ui, report);
    EXPECT_EQ(Bytes(wav), Bytes(folder.path() + "/here.wav"));
}

TEST_F(WindowConversionTest, TheKeyAndTheClickReachTheConversion) {
    Click(SwitchId::kPreCount);  // no pre-count: every click is the metronome's
    window.Practice().Transpose(2);
    window.Practice().SetClick(true);
    Convert("key.wav");
    EXPECT_TRUE(host.messages.texts.empty());
    // Call log lines: block, function, message in hex (d2 d1 status).
    std::ifstream log(callLog());
    int block = 0, function = 0;
    std::string message;
    std::vector<std::string> notes;  // "<channel>:<key>:<velocity>" of each note-on
    while (log >> block >> function >> std::hex >> message >> std::dec) {
        const unsigned value = static_cast<unsigned>(std::stoul(message, nullptr, 16));
        const unsigned velocity = (value >> 16) & 0x7F;
        if (function != QNSTEST_SEND_SHORT || (value & 0xF0) != 0x90 || velocity == 0) continue;
        notes.push_back(std::to_string((value & 0x0F) + 1) + ":" + std::to_string((value >> 8) & 0x7F) + ":" +
                        std::to_string(velocity));
    }
    // The piano and the bass a whole tone up, the drum where it was, and one
    // 4/4 measure of clicks on channel 10, its first beat accented.
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, (std::vector<std::string>{"10:37:55", "10:37:55", "10:37:55", "10:37:80", "10:38:100",
                                               "1:62:100", "2:38:100"}));
}

TEST_F(WindowConversionTest, ASongWithoutADrumPartIsCountedInAndClickedOnTheDrumChannel) {
    // Two bars of 4/4 on channel 1 only, its first note on the downbeat.
    Chunk track;
    track.NoteOn(0, 0, 60, 100).NoteOff(3840, 0, 60).End();
    Load(WriteFile("piano.mid", smftest::Smf(0, 480, {track})));
    for (const bool click : {false, true}) {
        std::filesystem::remove(callLog());
        window.Practice().SetClick(click);
        Convert(click ? "clicked.wav" : "counted.wav");
        EXPECT_TRUE(host.messages.texts.empty());
        // Call log lines: block, function, message in hex (d2 d1 status).
        std::ifstream log(callLog());
        int block = 0, function = 0, pianoBlock = -1;
        std::string message;
        std::vector<int> clickBlocks;
        while (log >> block >> function >> std::hex >> message >> std::dec) {
            const unsigned value = static_cast<unsigned>(std::stoul(message, nullptr, 16));
            if (function != QNSTEST_SEND_SHORT || (value & 0xF0) != 0x90 || ((value >> 16) & 0x7F) == 0) continue;
            if ((value & 0x0F) == 0) pianoBlock = block;
            if ((value & 0x0F) == kDrumChannel) clickBlocks.push_back(block);
        }
        // A bar of four clicks in front of the piano; with the click, one on each of its eight beats too.
        ASSERT_EQ(clickBlocks.size(), click ? 12u : 4u) << click;
        EXPECT_LT(clickBlocks[3], pianoBlock);
        if (click) {
            EXPECT_EQ(clickBlocks[4], pianoBlock);
        }
    }
}

TEST_F(WindowConversionTest, TheFileIsWrittenInTheFormatItsNameEndsIn) {
    const struct {
        const char* name;
        std::string magic;
    } files[] = {{"song.flac", "fLaC"}, {"song.ogg", "OggS"}, {"song.opus", "OggS"}, {"song.WAV", "RIFF"}};
    for (const auto& file : files) {
        host.conversion.named.clear();
        const std::string path = Convert(file.name);
        const std::string format(AudioFormatName(*AudioFormatOfPath(file.name)));
        EXPECT_EQ(host.conversion.named, std::vector<std::string>{"three|" + path + "|" + format});
        EXPECT_TRUE(host.messages.texts.empty()) << file.name;
        EXPECT_EQ(Bytes(path).substr(0, 4), file.magic) << file.name;
        EXPECT_EQ(host.caption, "Ombrix Converter [three.mid] saved to " + path);
    }
    EXPECT_NE(Bytes(folder.path() + "/song.opus").find("OpusHead"), std::string::npos);
    EXPECT_NE(Bytes(folder.path() + "/song.ogg").find("vorbis"), std::string::npos);
    // MP3: an ID3 tag with the title, or straight away a frame's sync bits.
    const std::string mp3 = Bytes(Convert("song.mp3"));
    ASSERT_GE(mp3.size(), 2u);
    EXPECT_TRUE(mp3.starts_with("ID3") || (static_cast<unsigned char>(mp3[0]) == 0xFF &&
                                           (static_cast<unsigned char>(mp3[1]) & 0xE0) == 0xE0));
    // The WAV is the file the window always wrote.
    HeadlessConversionUi ui;
    CollectingReport report;
    ConvertSongToWav(dlg.ConversionInput(), renderSong, folder.path() + "/here.wav", ui, report);
    EXPECT_EQ(Bytes(folder.path() + "/song.WAV"), Bytes(folder.path() + "/here.wav"));
}

// Four 4/4 measures: a piano note and a bass note in each.
smftest::Bytes FourMeasureSong() {
    Chunk track;
    track.At(0, {0xC1, 33});
    for (int measure = 0; measure < 4; ++measure) {
        track.NoteOn(0, 0, 60 + measure, 100).NoteOn(0, kBassChannel, 36, 100);
        track.NoteOff(1920, 0, 60 + measure).NoteOff(0, kBassChannel, 36);
    }
    track.End();
    return smftest::Smf(0, 480, {track});
}

TEST_F(WindowConversionTest, ThePracticeDialogsChoicesWriteTheCommandLinesBytes) {
    const std::string song = WriteFile("four.mid", FourMeasureSong());
    Load(song);
    PracticeSettings chosen;
    chosen.firstMeasure = 2;
    chosen.lastMeasure = 3;
    chosen.preCount = false;
    chosen.click = true;
    chosen.transpose = -3;
    chosen.tempoPercent = 90;
    chosen.loudnessLufs = -20.0;
    host.practiceChoice = chosen;
    window.CommandPractice();
    ASSERT_EQ(host.practiceShown.size(), 1u);
    EXPECT_EQ(host.practiceShown[0], PracticeSettings{});  // a fresh song shows the plain choices
    EXPECT_EQ(host.practiceMeasures, 4);
    EXPECT_EQ(window.CurrentPractice(), chosen);
    EXPECT_FALSE(On(SwitchId::kPreCount));
    const std::string wav = Convert("practice.wav");
    EXPECT_TRUE(host.messages.texts.empty());

    const ParsedCommandLine parsed = ParseOptionCommandLine(
        {"--measures", "2-3", "--no-precount", "--click", "--transpose=-3", "--tempo", "90", "--loudness=-20", song});
    ASSERT_EQ(parsed.error, "");
    COmbrixDlg cli;
    CollectingReport report;
    OpenMidiFile(cli, song, report);
    ApplyRequestedOptions(parsed.request, cli.m_songOptions);
    HeadlessConversionUi ui;
    const std::string expected = folder.path() + "/cli.wav";
    ConvertSong(cli.ConversionInput(), renderSong, expected, ui, report, RequestedOutput(parsed.request));
    EXPECT_TRUE(report.lines.empty());
    EXPECT_GT(Bytes(wav).size(), 44u);
    EXPECT_EQ(Bytes(wav), Bytes(expected));

    // The next song starts with the whole song in its own key at 100 %;
    // the pre-count, the click and the loudness stay.
    Load(song);
    PracticeSettings kept;
    kept.preCount = false;
    kept.click = true;
    kept.loudnessLufs = -20.0;
    EXPECT_EQ(window.CurrentPractice(), kept);
}

// Two empty 4/4 measures, then four with a piano and a bass note each.
smftest::Bytes LateStartingSong() {
    Chunk track;
    track.At(0, {0xC1, 33});
    for (int measure = 0; measure < 4; ++measure) {
        track.NoteOn(measure == 0 ? 2 * 1920 : 0, 0, 60 + measure, 100).NoteOn(0, kBassChannel, 36, 100);
        track.NoteOff(1920, 0, 60 + measure).NoteOff(0, kBassChannel, 36);
    }
    track.End();
    return smftest::Smf(0, 480, {track});
}

TEST_F(WindowConversionTest, TheDialogsCountInLoopAndLevelsWriteTheCommandLinesBytes) {
    const std::string song = WriteFile("late.mid", LateStartingSong());
    Load(song);
    PracticeSettings chosen;
    chosen.firstMeasure = 4;
    chosen.lastMeasure = 5;
    chosen.loopPasses = 3;
    chosen.tempoStep = 10;
    chosen.tempoPercent = 80;
    chosen.countInMeasures = 2;
    chosen.click = true;
    chosen.clickLevelDb = -6;
    chosen.dropEmptyBars = true;
    chosen.levels = {{"bass", -6}, {"1", 3}};
    host.practiceChoice = chosen;
    window.CommandPractice();
    EXPECT_EQ(window.CurrentPractice(), chosen);
    const std::string wav = Convert("loop.wav");
    EXPECT_TRUE(host.messages.texts.empty());

    const auto commandLine = [&](std::vector<std::string> arguments, const std::string& name) {
        arguments.push_back(song);
        const ParsedCommandLine parsed = ParseOptionCommandLine(arguments);
        EXPECT_EQ(parsed.error, "");
        COmbrixDlg cli;
        CollectingReport report;
        OpenMidiFile(cli, song, report);
        ApplyRequestedOptions(parsed.request, cli.m_songOptions);
        HeadlessConversionUi ui;
        const std::string path = folder.path() + "/" + name;
        ConvertSong(cli.ConversionInput(), renderSong, path, ui, report, RequestedOutput(parsed.request));
        EXPECT_TRUE(report.lines.empty());
        return Bytes(path);
    };
    const std::string expected =
        commandLine({"--measures", "4-5", "--loop", "3", "--tempo-step", "+10", "--tempo", "80", "--count-in", "2",
                     "--click", "--click-level=-6", "--drop-empty-bars", "--level", "bass=-6", "--level", "1=+3"},
                    "cli-loop.wav");
    EXPECT_GT(Bytes(wav).size(), 44u);
    // (Compared as a truth value: a failure must not print megabytes.)
    EXPECT_TRUE(Bytes(wav) == expected);
    // The choices count: with one count-in bar the bytes differ.
    EXPECT_FALSE(commandLine({"--measures", "4-5", "--loop", "3", "--tempo-step", "+10", "--tempo", "80", "--click",
                              "--click-level=-6", "--drop-empty-bars", "--level", "bass=-6", "--level", "1=+3"},
                             "cli-one-bar.wav") == expected);

    // The whole song looped, from its first to its last measure, keeps its section.
    chosen.firstMeasure = 1;
    chosen.lastMeasure = 6;
    chosen.tempoStep.reset();
    chosen.tempoTo = 120;
    host.practiceChoice = chosen;
    window.CommandPractice();
    EXPECT_EQ(window.CurrentPractice(), chosen);
    EXPECT_TRUE(Bytes(Convert("whole.wav")) ==
                commandLine({"--measures", "1-6", "--loop", "3", "--tempo-to", "120", "--tempo", "80", "--count-in", "2",
                             "--click", "--click-level=-6", "--drop-empty-bars", "--level", "bass=-6", "--level", "1=+3"},
                            "cli-whole.wav"));

    // The next song starts without its section and loop; the count-in, the
    // click's level, the dropped bars and the levels stay.
    Load(song);
    PracticeSettings kept;
    kept.click = true;
    kept.countInMeasures = 2;
    kept.clickLevelDb = -6;
    kept.dropEmptyBars = true;
    kept.levels = chosen.levels;
    EXPECT_EQ(window.CurrentPractice(), kept);
    EXPECT_DOUBLE_EQ(dlg.m_songOptions.levelDb[kBassChannel], -6);
    EXPECT_DOUBLE_EQ(dlg.m_songOptions.levelDb[0], 3);
    EXPECT_EQ(dlg.m_songOptions.countInMeasures, 2);
    EXPECT_TRUE(dlg.m_songOptions.dropLeadingEmptyBars);
    EXPECT_EQ(dlg.m_songOptions.loopPasses, 1);
}

TEST_F(MainWindowTest, TheSoundIsReadAtTheStartAndKeptWhenChosen) {
    EXPECT_EQ(window.Sound(), SoundChoice{});
    FakeSettings kept;
    kept.sound = {"/fonts/Piano.sf2", "hall", "off"};
    MainWindow second{dlg, renderSong, host, kept};
    second.OnInitDialog();
    EXPECT_EQ(second.Sound(), kept.sound);
    // Cancel keeps it; a choice is written at once.
    second.CommandSound();
    EXPECT_EQ(host.soundShown, std::vector<SoundChoice>{kept.sound});
    EXPECT_TRUE(kept.soundsWritten.empty());
    host.soundChoice = SoundChoice{"", "0.5", "on"};
    second.CommandSound();
    EXPECT_EQ(second.Sound(), *host.soundChoice);
    EXPECT_EQ(kept.soundsWritten, std::vector<SoundChoice>{*host.soundChoice});
}

TEST_F(WindowConversionTest, AChosenSoundFontThatCannotBeUsedStopsTheConversionNamingIt) {
    const std::string font = folder.path() + "/Gone.sf2";
    host.soundChoice = SoundChoice{font, "room", "on"};
    window.CommandSound();
    for (const std::string& bytes : {std::string(), std::string("RIFF\x10\0\0\0WAVEfmt ", 16)}) {
        std::filesystem::remove(font);
        if (!bytes.empty()) std::ofstream(font, std::ios::binary) << bytes;  // not a SoundFont
        host.messages.texts.clear();
        host.messages.explanations.clear();
        Convert("song.wav");
        ASSERT_EQ(host.messages.texts.size(), 1u);
        EXPECT_NE(host.messages.texts[0].find(font), std::string::npos);
        EXPECT_NE(host.messages.explanations[0].find(bytes.empty() ? "does not exist" : "is not a SoundFont"),
                  std::string::npos)
            << host.messages.explanations[0];
        // Before the save dialog: nothing asked, nothing written.
        EXPECT_TRUE(host.conversion.asked.empty());
        EXPECT_FALSE(std::filesystem::exists(folder.path() + "/song.wav"));
    }
}

TEST_F(WindowConversionTest, TheModuleGetsTheChosenSoundAsTheCommandLineGivesIt) {
    const std::string font = folder.path() + "/Piano Font.sf2";
    std::ofstream(font, std::ios::binary) << std::string("RIFF\x10\0\0\0sfbkLIST", 16);
    const std::string log = folder.path() + "/settings.log";
    setenv("QNSTEST_SETTINGS_LOG", log.c_str(), 1);
    const auto logged = [&log] {
        std::ifstream in(log);
        std::string text{std::istreambuf_iterator<char>(in), {}};
        std::filesystem::remove(log);
        return text;
    };
    // The defaults are written out, as the command line writes them.
    Convert("plain.wav");
    EXPECT_EQ(logged(), ModuleSettingsText(ParseOptionCommandLine({"song.mid"}).request.sound) + "--\n");

    host.soundChoice = SoundChoice{font, "hall", "0.3"};
    window.CommandSound();
    const std::string wav = Convert("sound.wav");
    EXPECT_TRUE(host.messages.texts.empty());
    ParsedCommandLine parsed =
        ParseOptionCommandLine({"--soundfont", font, "--reverb", "hall", "--chorus", "0.3", "song.mid"});
    ASSERT_EQ(parsed.error, "");
    parsed.request.sound.soundFont = *parsed.request.soundFont;  // an absolute path: the run's resolution keeps it
    EXPECT_EQ(logged(), ModuleSettingsText(parsed.request.sound) + "--\n");
    unsetenv("QNSTEST_SETTINGS_LOG");
    // The SoundFont reaches the module only: the bytes are those of the same song without it.
    EXPECT_TRUE(Bytes(wav) == Bytes(folder.path() + "/plain.wav"));
}

TEST(PracticeSettings, AreBoundedToTheSong) {
    PracticeSettings settings;
    settings.firstMeasure = 3;
    settings.lastMeasure = 99;
    settings.transpose = 20;
    settings.tempoPercent = 0;
    const PracticeSettings bounded = BoundedPractice(settings, 8);
    EXPECT_EQ(bounded.firstMeasure, 3);
    EXPECT_EQ(bounded.lastMeasure, 8);
    EXPECT_EQ(bounded.transpose, 12);
    EXPECT_EQ(bounded.tempoPercent, 1);
    settings.firstMeasure = 1;  // 1 to the end: the whole song
    EXPECT_EQ(BoundedPractice(settings, 8).firstMeasure, 0);
    settings.firstMeasure = 9;  // past the end: the whole song
    EXPECT_EQ(BoundedPractice(settings, 8).lastMeasure, 0);
    settings.firstMeasure = 5;
    settings.lastMeasure = 2;  // before the start: that one measure
    EXPECT_EQ(BoundedPractice(settings, 8).lastMeasure, 5);
    // A loop keeps a section of the whole song; without a section it goes, and its tempo change with it.
    settings.firstMeasure = 1;
    settings.lastMeasure = 8;
    settings.loopPasses = 2;
    settings.tempoTo = 120;
    EXPECT_EQ(BoundedPractice(settings, 8).firstMeasure, 1);
    EXPECT_EQ(BoundedPractice(settings, 8).tempoTo, 120);
    settings.firstMeasure = 9;
    EXPECT_EQ(BoundedPractice(settings, 8).loopPasses, 1);
    EXPECT_EQ(BoundedPractice(settings, 8).tempoTo, std::nullopt);
    settings.firstMeasure = 2;
    settings.loopPasses = 1;  // one pass: no tempo change
    EXPECT_EQ(BoundedPractice(settings, 8).tempoTo, std::nullopt);
}

TEST_F(MainWindowTest, ThePracticeDialogNeedsASongAndCancelChangesNothing) {
    window.CommandPractice();
    EXPECT_EQ(host.messages.texts, std::vector<std::string>{kNoSongLoadedMessage});
    EXPECT_TRUE(host.practiceShown.empty());
    Load(WriteFile("three.mid", ThreeChannelSong()));
    const PracticeSettings before = window.CurrentPractice();
    host.practiceChoice.reset();
    window.CommandPractice();
    EXPECT_EQ(host.practiceShown.size(), 1u);
    EXPECT_EQ(window.CurrentPractice(), before);
}

TEST_F(WindowConversionTest, AModuleCrashCostsOnlyThatConversion) {
    std::ofstream(folder.path() + "/song.wav") << "older";
    probe.SetCrashAtBlock(3);
    Convert("song.wav");
    ASSERT_EQ(host.messages.texts, std::vector<std::string>{FileNotCreatedText(AudioFormat::kWav)});
    EXPECT_NE(host.messages.explanations[0].find("Conversion crashed (Segmentation fault)"), std::string::npos);
    EXPECT_EQ(Bytes(folder.path() + "/song.wav"), "older");
    EXPECT_EQ(OtherFiles("song.wav"), std::vector<std::string>{});
    EXPECT_EQ(host.conversion.closed, 1);

    // The window converts again as before.
    probe.SetCrashAtBlock(-1);
    host.messages.texts.clear();
    Convert("song.wav");
    EXPECT_TRUE(host.messages.texts.empty());
    EXPECT_GT(std::filesystem::file_size(folder.path() + "/song.wav"), 44u);
}

TEST_F(WindowConversionTest, AStalledModuleIsEndedAndSaysSo) {
    probe.SetHangAtBlock(2);
    window.SetStallTimeout(std::chrono::milliseconds(300));
    Convert("stalled.mp3");
    ASSERT_EQ(host.messages.texts, std::vector<std::string>{FileNotCreatedText(AudioFormat::kMp3)});
    EXPECT_NE(host.messages.explanations[0].find("no progress"), std::string::npos);
    EXPECT_EQ(OtherFiles(""), std::vector<std::string>{});
}

TEST_F(WindowConversionTest, CancelStopsAStalledWorkerAndLeavesNothing) {
    std::ofstream(folder.path() + "/song.wav") << "older";
    probe.SetHangAtBlock(2);
    host.conversion.cancelAfterPumps = 5;
    Convert("song.wav");
    EXPECT_TRUE(host.messages.texts.empty());
    EXPECT_EQ(host.conversion.closed, 1);
    EXPECT_EQ(Bytes(folder.path() + "/song.wav"), "older");
    EXPECT_EQ(OtherFiles("song.wav"), std::vector<std::string>{});
}

TEST_F(WindowConversionTest, TheOutputFolderIsLockedAgainstOtherRunsAndALockedOneIsToldAndLeftAlone) {
    // While the worker converts, another run cannot take the folder.
    int heldByWindow = 0;
    host.conversion.onPump = [&] {
        FolderLock other;
        int error = 0;
        if (!other.Acquire(folder.path(), LockWait::kNoWait, LockShare::kShared, {}, error) && IsLockedByAnother(error))
            ++heldByWindow;
    };
    Convert("song.wav");
    EXPECT_TRUE(host.messages.texts.empty());
    EXPECT_GT(heldByWindow, 0);
    EXPECT_EQ(heldByWindow, host.conversion.pumps);
    // Once it has ended, the folder is free again.
    FolderLock library;
    int error = 0;
    ASSERT_TRUE(library.Acquire(folder.path(), LockWait::kNoWait, LockShare::kAlone, {}, error));
    host.conversion.onPump = nullptr;

    // While another run converts into the folder, the window writes nothing there and says why.
    std::ofstream(folder.path() + "/song.wav") << "older";
    const int pumpsBefore = host.conversion.pumps;
    const std::string caption = host.caption;
    Convert("song.wav");
    ASSERT_EQ(host.messages.texts, std::vector<std::string>{"Another conversion is writing into the folder " + folder.path() + "."});
    EXPECT_EQ(host.messages.explanations[0], "Nothing was written. Convert again when the other conversion has finished.");
    EXPECT_EQ(host.conversion.pumps, pumpsBefore);  // no worker was started
    EXPECT_EQ(Bytes(folder.path() + "/song.wav"), "older");
    EXPECT_EQ(OtherFiles("song.wav"), std::vector<std::string>{});
    EXPECT_EQ(host.caption, caption);

    // The same run done, the window converts again.
    library.Release();
    host.messages.texts.clear();
    Convert("song.wav");
    EXPECT_TRUE(host.messages.texts.empty());
    EXPECT_GT(std::filesystem::file_size(folder.path() + "/song.wav"), 44u);
}

TEST_F(WindowConversionTest, TheWorkersExplanationStandsUnderTheFailure) {
    Convert("no-such-folder/song.flac");
    ASSERT_EQ(host.messages.texts, std::vector<std::string>{FileNotCreatedText(AudioFormat::kFlac)});
    EXPECT_NE(host.messages.explanations[0].find("No such file or directory"), std::string::npos)
        << host.messages.explanations[0];
    EXPECT_EQ(host.messages.explanations[0].find("ombrix: "), std::string::npos);
}

TEST_F(WindowConversionTest, TemporaryFilesOfDeadProcessesAreRemovedFirst) {
    // A process id that cannot exist owns this leftover.
    const std::string leftover = folder.path() + "/.song.wav.part-999999999-1";
    std::ofstream(leftover) << "x";
    Convert("song.wav");
    EXPECT_FALSE(std::filesystem::exists(leftover));
}
#endif

TEST_F(MainWindowTest, ClosingRemembersTheFolderAndAboutOpensOnItsCommand) {
    window.OnDestroy();
    EXPECT_EQ(settings.written, std::vector<std::string>{"/home/user/songs"});
    window.OnSysCommand(kAboutCommand);
    window.OnSysCommand(kAboutCommand | 0x3);
    window.OnSysCommand(32);
    EXPECT_EQ(host.abouts, 2);
}

TEST_F(MainWindowTest, ClicksOnTheBackgroundDriveTheTempoArrows) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    window.OnLButtonDown(380, 60);
    window.OnLButtonUp();
    window.OnLButtonDblClk(380, 60);
    window.OnLButtonUp();
    EXPECT_EQ(Options().tempoPercent, 102);
    window.OnLButtonDown(380, 90);
    host.Advance(250, [this](int id) { window.OnTimer(id); });
    window.OnLButtonUp();
    EXPECT_EQ(Options().tempoPercent, 99);
}

TEST(DialogStartFolder, IsTheRememberedFolderWhileItExistsElseDocumentsElseHome) {
    TempFolder folder;
    EXPECT_EQ(DialogStartFolder(folder.path(), "/docs", "/home/u"), folder.path());
    EXPECT_EQ(DialogStartFolder(folder.path() + "/gone", "/docs", "/home/u"), "/docs");
    EXPECT_EQ(DialogStartFolder("", "/docs", "/home/u"), "/docs");
    EXPECT_EQ(DialogStartFolder("", "", "/home/u"), "/home/u");
}

TEST_F(MainWindowTest, AboutWhileAnArrowIsHeldEndsTheHold) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    window.OnLButtonDown(380, 60);       // up held: 101
    window.OnSysCommand(kAboutCommand);  // F1: the About box takes the release
    host.Advance(1000, [this](int id) { window.OnTimer(id); });
    EXPECT_EQ(Options().tempoPercent, 101);
    EXPECT_TRUE(host.timers.empty());
    // A click on the other arrow works alone and ends cleanly.
    window.OnLButtonDown(380, 90);
    window.OnLButtonUp();
    EXPECT_EQ(Options().tempoPercent, 100);
    EXPECT_FALSE(window.Tempo().UpPressed() || window.Tempo().DownPressed());
}

TEST_F(MainWindowTest, APressOnOneArrowWhileTheOtherIsStuckReleasesTheStuckOne) {
    Load(WriteFile("three.mid", ThreeChannelSong()));
    window.OnLButtonDown(380, 60);  // its release went elsewhere
    window.OnLButtonDown(380, 90);
    window.OnLButtonUp();
    host.Advance(1000, [this](int id) { window.OnTimer(id); });
    EXPECT_EQ(Options().tempoPercent, 100);
    EXPECT_TRUE(host.timers.empty());
}

TEST_F(MainWindowTest, ALostCaptureReleasesAHeldSwitchWithoutAToggle) {
    CQBXBitmapSwitch2* preCount = window.Switch(SwitchId::kPreCount);
    const int before = window.State(SwitchId::kPreCount);
    preCount->OnButtonDown(MouseButton::kLeft);
    window.OnCaptureLost();
    preCount->OnButtonUp(MouseButton::kLeft);  // the release the dialog took never arrives here as a toggle
    EXPECT_EQ(window.State(SwitchId::kPreCount), before);
    EXPECT_FALSE(preCount->Pressed());
    EXPECT_EQ(Options().preCount, before != 0);
}

TEST_F(MainWindowTest, TempoKeysStepAndRepeatLikeTheArrows) {
    constexpr int kUpKey = 111;
    constexpr int kDownKey = 116;
    Load(WriteFile("three.mid", ThreeChannelSong()));
    window.OnTempoKeyDown(true, kUpKey);
    window.OnTempoKeyDown(true, kUpKey);  // the keyboard's own repeat
    host.Advance(250, [this](int id) { window.OnTimer(id); });
    window.OnKeyUp(kUpKey);
    EXPECT_EQ(Options().tempoPercent, 103);
    window.OnTempoKeyDown(false, kDownKey);
    window.OnKeyUp(kDownKey);
    EXPECT_EQ(Options().tempoPercent, 102);
    EXPECT_TRUE(host.timers.empty());
}

TEST_F(MainWindowTest, AKeyHoldEndsOnlyWithTheReleaseOfTheSameKeyOrALostFocus) {
    constexpr int kEqualsKey = 21;  // "+" is Shift and this key on a US layout
    constexpr int kShiftKey = 50;
    const auto tick = [this](int ms) { host.Advance(ms, [this](int id) { window.OnTimer(id); }); };
    Load(WriteFile("three.mid", ThreeChannelSong()));
    window.OnTempoKeyDown(true, kEqualsKey);
    window.OnKeyUp(kShiftKey);  // Shift first: the hold goes on
    tick(360);
    EXPECT_EQ(Options().tempoPercent, 104);
    window.OnKeyUp(kEqualsKey);  // the same key, now saying "="
    tick(3000);
    EXPECT_EQ(Options().tempoPercent, 104);
    EXPECT_TRUE(host.timers.empty());

    window.OnTempoKeyDown(false, kEqualsKey);
    window.OnCaptureLost();  // the focus went elsewhere
    tick(3000);
    EXPECT_EQ(Options().tempoPercent, 103);
    window.OnKeyUp(kEqualsKey);
    // A click that misses the arrows leaves a key's hold to its key.
    window.OnTempoKeyDown(true, kEqualsKey);
    window.OnLButtonDown(10, 10);
    window.OnKeyUp(kEqualsKey);
    tick(1000);
    EXPECT_EQ(Options().tempoPercent, 104);
}

TEST(SavedFileNote, ShortensTheHomeFolderAndThenTheLeadingFoldersButNeverTheName) {
    EXPECT_EQ(ShortPath("/home/u/Music/song.mp3", "/home/u", 40), "~/Music/song.mp3");
    EXPECT_EQ(ShortPath("/home/user2/song.mp3", "/home/u", 40), "/home/user2/song.mp3");
    EXPECT_EQ(ShortPath("/data/a/b/c/song.mp3", "", 13), "\u2026/c/song.mp3");
    EXPECT_EQ(ShortPath("/data/a/b/c/song.mp3", "", 20), "/data/a/b/c/song.mp3");
    EXPECT_EQ(ShortPath("/data/a/b/c/a-very-long-song-name.mp3", "", 10), "\u2026/a-very-long-song-name.mp3");
    EXPECT_EQ(TextColumns("\u66F2.mp3"), 6u);  // a kanji takes two columns
    EXPECT_EQ(ShortPath("/\u66F2/\u66F2\u66F2/x.mp3", "", 8), "\u2026/x.mp3");
    EXPECT_EQ(FolderOf("/music/song.mp3"), "/music");
    EXPECT_EQ(FolderOf("/song.mp3"), "/");
    EXPECT_EQ(FolderOf("song.mp3"), ".");
    const std::string note = SavedFileNote("/home/u/Music/song.mp3", "/home/u", kStatusLineColumns);
    EXPECT_NE(note.find("~/Music/song.mp3"), std::string::npos);
    EXPECT_LE(TextColumns(SavedFileNote("/x/" + std::string(200, 'd') + "/song.mp3", "", kStatusLineColumns)),
              kStatusLineColumns);
}

TEST(FormatTitles, NameTheChosenFormat) {
    EXPECT_NE(ConvertingToText(AudioFormat::kMp3).find("MP3"), std::string::npos);
    EXPECT_NE(FileNotCreatedText(AudioFormat::kOgg).find("Ogg Vorbis"), std::string::npos);
    EXPECT_NE(FileNotCreatedText(AudioFormat::kWav).find("WAV"), std::string::npos);
    EXPECT_STREQ(AudioFormatTitle(AudioFormat::kFlac), "FLAC");
    EXPECT_STREQ(AudioFormatTitle(AudioFormat::kOpus), "Opus");
}

namespace {

constexpr std::size_t kPlayFrameBytes = 4;
constexpr std::size_t kPlaySampleRate = 44100;

// Channels 1 and 2 hold a note each through eight 4/4 bars at 120 BPM (16 s).
smftest::Bytes LongTwoChannelSong() {
    Chunk track;
    track.Tempo(0, 500000);
    track.NoteOn(0, 0, 60, 100).NoteOn(0, kBassChannel, 36, 100);
    track.NoteOff(480 * 32, 0, 60).NoteOff(0, kBassChannel, 36).End();
    return smftest::Smf(0, 480, {track});
}

class WindowPlaybackTest : public WindowConversionTest {
protected:
    // Pulls `frames` from the playing output, then lets the playback timer tick.
    void Play(std::size_t frames) {
        ASSERT_NE(host.lastOutput, nullptr);
        host.lastOutput->PullFrames(frames);
        host.Advance(kPlaybackPollMs, [&](int id) { window.OnTimer(id); });
    }
    std::size_t PlayedFrames() const { return host.lastOutput->played.size() / kPlayFrameBytes; }
    // The first frame at or after `from` from which the output stays silent.
    std::size_t SilentFrom(std::size_t from) const {
        const std::size_t last = host.lastOutput->played.find_last_not_of('\0');
        return last == std::string::npos ? from : std::max(from, last / kPlayFrameBytes + 1);
    }
    std::vector<std::string> PaintedTexts() const {
        RecordingWindowCanvas canvas;
        window.OnPaint(canvas);
        std::vector<std::string> texts;
        for (const DrawnText& text : canvas.texts) texts.push_back(text.text);
        return texts;
    }
    bool Shows(const std::string& text) const {
        const std::vector<std::string> texts = PaintedTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

TEST_F(WindowPlaybackTest, PlaysFollowsTheSwitchesAndTempoAndStopsForLoad) {
    Load(WriteFile("long.mid", LongTwoChannelSong()));
    Click(SwitchId::kPreCount);  // no count-in
    Click(SwitchId::kPlay);
    ASSERT_TRUE(window.Playback().Playing());
    EXPECT_TRUE(On(SwitchId::kPlay));
    EXPECT_EQ(host.timers.count(kPlaybackTimer), 1u);
    Play(kPlaySampleRate * 5 / 2);  // 2.5 s: bar 2
    EXPECT_EQ(window.Playback().Position().measure, 2);
    EXPECT_TRUE(Shows(PlayingBarText(window.Playback().Position())));
    EXPECT_NE(host.lastOutput->played.find_first_not_of('\0', host.lastOutput->played.size() - 4096), std::string::npos);

    // Slower at once: the blocks after the arrow carry the new tempo.
    window.OnLButtonDown(kTempoDownRect.x + 5, kTempoDownRect.y + 5);
    window.OnLButtonUp();
    Play(kPlaySampleRate / 5);
    EXPECT_EQ(window.Playback().Position().tempoPercent, 99);

    // Both channels muted with their switches: silent within 150 ms of samples.
    const std::size_t switched = PlayedFrames();
    Click(SwitchId::kFirstMute);
    Click(SwitchId::kFirstMute + kBassChannel);
    Play(kPlaySampleRate);
    EXPECT_LE(SilentFrom(switched) - switched, kPlaySampleRate * 150 / 1000);

    // LOAD stops playing before its dialog (cancelled here).
    host.openChoice.reset();
    Click(SwitchId::kLoad);
    EXPECT_FALSE(window.Playback().Playing());
    EXPECT_FALSE(On(SwitchId::kPlay));
    EXPECT_EQ(host.timers.count(kPlaybackTimer), 0u);
    EXPECT_FALSE(Shows("Bar 2"));
    EXPECT_TRUE(host.messages.texts.empty());
}

TEST_F(WindowPlaybackTest, TheSongsEndTurnsTheSwitchOffAndConvertStopsPlaying) {
    Click(SwitchId::kPlay);  // three.mid: half a second
    ASSERT_TRUE(window.Playback().Playing());
    for (int i = 0; i < 20 && window.Playback().Playing(); ++i) Play(kPlaySampleRate / 4);
    EXPECT_FALSE(window.Playback().Playing());
    EXPECT_FALSE(On(SwitchId::kPlay));
    EXPECT_EQ(host.timers.count(kPlaybackTimer), 0u);
    EXPECT_TRUE(host.messages.texts.empty());

    Click(SwitchId::kPlay);
    ASSERT_TRUE(window.Playback().Playing());
    host.conversion.saveChoice.reset();
    Click(SwitchId::kConvert);
    EXPECT_FALSE(window.Playback().Playing());
    EXPECT_FALSE(On(SwitchId::kPlay));
}

TEST_F(WindowPlaybackTest, AModuleThatCrashesWhilePlayingStopsThePlaybackNotTheWindow) {
    Load(WriteFile("long.mid", LongTwoChannelSong()));
    probe.SetCrashAtBlock(40);
    Click(SwitchId::kPlay);
    ASSERT_TRUE(window.Playback().Playing());
    for (int i = 0; i < 20 && window.Playback().Playing(); ++i) Play(kPlaySampleRate / 4);
    EXPECT_FALSE(window.Playback().Playing());
    EXPECT_FALSE(On(SwitchId::kPlay));
    ASSERT_EQ(host.messages.texts.size(), 1u);
    EXPECT_EQ(host.messages.texts[0], "Cannot play the song: Playback crashed (Segmentation fault).");
    // The window goes on: the next PLAY plays.
    probe.Reset();
    Click(SwitchId::kPlay);
    EXPECT_TRUE(window.Playback().Playing());
}

TEST_F(WindowPlaybackTest, WithoutAnAudioOutputOneSentenceSaysWhatWasTried) {
    host.noAudioOutput = true;
    Click(SwitchId::kPlay);
    EXPECT_FALSE(window.Playback().Playing());
    EXPECT_FALSE(On(SwitchId::kPlay));
    ASSERT_EQ(host.messages.texts.size(), 1u);
    EXPECT_EQ(host.messages.texts[0], "Cannot play the song: no audio output (tried pulseaudio, alsa): no device.");
    // Converting still works as before.
    const std::string wav = Convert("after.wav");
    EXPECT_TRUE(std::filesystem::exists(wav));
}

TEST_F(MainWindowTest, PlayWithoutASongSaysSoAndTheKeyPlaysToo) {
    Click(SwitchId::kPlay);
    EXPECT_FALSE(On(SwitchId::kPlay));
    ASSERT_EQ(host.messages.texts.size(), 1u);
    EXPECT_EQ(host.messages.texts[0], kNoSongLoadedMessage);
    window.TogglePlayback();
    host.RunPosted();
    EXPECT_EQ(host.messages.texts.size(), 2u);
    EXPECT_FALSE(On(SwitchId::kPlay));
}

TEST(PlayingBar, TheCountInThenTheBar) {
    EXPECT_EQ(PlayingBarText({0, 3, 0, 12000, 100}), "Count-in 3");
    EXPECT_EQ(PlayingBarText({12, 1, 0, 12000, 100}), "Bar 12");
}

}  // namespace
