// The main window's behaviour without a toolkit: its switches, the painting
// of the background, channel rows and tempo display, the tempo arrows, the
// key and click, the LOAD and CONVERT commands, About and the setting
// written at close. The
// toolkit backend turns its events into these handlers; tests call them
// directly.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/song/song_options_logic.h"
#include "app/startup/sound_choice.h"
#include "app/workers/conversion_worker.h"
#include "ui/controls/bitmap_switch.h"
#include "ui/window/practice_choices.h"
#include "ui/window/practice_settings.h"
#include "ui/window/tempo_buttons.h"
#include "ui/window/window_canvas.h"
#include "ui/window/window_images.h"
#include "ui/window/window_player.h"

class COmbrixDlg;
class LastFolderSettings;
class MainWindowHost;
class SongContainer;

// The client area's size (the background's).
inline constexpr int kClientWidth = 408;
inline constexpr int kClientHeight = 544;
// The caption without a song; a loaded song adds " [<file name>]".
inline constexpr char kWindowCaption[] = "Ombrix Converter";
// The system command that opens the About box.
inline constexpr int kAboutCommand = 16;
// Channel names: colour, and where the row bar and the text of a channel sit.
inline constexpr TextColour kChannelNameColour{172, 99, 43};
PixelRect ChannelRowBarRect(int channel);
// The names of the rows that a part switch would mute, while the pointer
// rests on that switch: this colour, and this mark in front.
inline constexpr TextColour kMarkedChannelNameColour{176, 24, 24};
inline constexpr char kMarkedChannelMark[] = "\u00D7 ";
// Where the name in a channel's row starts; it is centred in the row's bar.
inline constexpr int kChannelNameX = 30;

class MainWindow final : public SwitchNotifyTarget, public OptionSwitches {
public:
    // `dlg` holds the song, options and folders; `renderSong` is the song
    // conversions render into. All are borrowed for the window's lifetime.
    MainWindow(COmbrixDlg& dlg, SongContainer& renderSong, MainWindowHost& host, LastFolderSettings& settings);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Loads the images, creates the switches in their start state and sets
    // the window's folder, song name and options to their start values.
    void OnInitDialog();
    // Draws the background, the channel rows, the tempo display and the
    // key and click status line (the switches draw themselves).
    void OnPaint(WindowCanvas& canvas) const;
    // Left button pressed or double-clicked outside every switch: an arrow,
    // or the status line's note of the saved file, which opens its folder.
    void OnLButtonDown(int x, int y);
    void OnLButtonDblClk(int x, int y) { OnLButtonDown(x, y); }
    void OnLButtonUp();
    // Something else took the pointer or the keyboard (a modal dialog, the
    // focus moving away, the window hidden): a held arrow or switch is let
    // go without effect.
    void OnCaptureLost();
    // A tempo key (Up, Down, +, -) pressed: the same as pressing that
    // arrow, held until the key with the hardware code `keyCode` comes up;
    // the keyboard's own repeat is ignored.
    void OnTempoKeyDown(bool up, int keyCode);
    // The key with the hardware code `keyCode` came up: the hold it started
    // ends, whatever symbol the key gives by now (on a layout where "+" is
    // Shift+"=", Shift may be let go first and the release says "=").
    void OnKeyUp(int keyCode);
    // A timer: the tempo arrows' repeat, or playback's (kPlaybackTimer).
    void OnTimer(int id);
    // Command `id` of the window menu; kAboutCommand opens the About box.
    void OnSysCommand(int id);
    // The window is going away: remembers the last folder.
    void OnDestroy();

    // The pointer now rests on switch `id` (0: on none). While it rests on
    // an enabled part switch, the rows of the used channels that switch
    // would mute are marked.
    void OnPointerOverSwitch(int id);
    // The LOAD command: the open dialog, then OpenSong.
    void CommandLoad();
    // The CONVERT command: the save dialog and the conversion in a worker;
    // the caption and the status line then say where the file was saved.
    void CommandConvert();
    // PLAY/STOP: plays the loaded song with the window's choices, or stops
    // it. LOAD, CONVERT and closing the window stop it too.
    void CommandPlay();
    void StopPlayback();
    // The P key: PLAY/STOP pressed.
    void TogglePlayback();
    const WindowPlayer& Playback() const { return playback_; }
    // The Practice dialog (with a song): every choice of the option command
    // line for this song, applied as the switches, arrows and keys apply them.
    void CommandPractice();
    // The sound settings: the SoundFont, reverb and chorus every later
    // conversion uses, kept in the settings file.
    void CommandSound();
    const SoundChoice& Sound() const { return sound_; }
    // The choices as they stand, and choices applied (bounded to the song).
    PracticeSettings CurrentPractice();
    void ApplyPractice(const PracticeSettings& settings);
    // A conversion whose worker sends no progress for `timeout` is ended.
    void SetStallTimeout(std::chrono::milliseconds timeout) { stallTimeout_ = timeout; }
    // Opens the MIDI file at `path` as LOAD does after its dialog: checks
    // the path, imports the file and refreshes the whole window. A file
    // that does not open leaves the loaded song and its choices as they were.
    void OpenSong(const std::string& path);

    // The switches, in creation order. Borrowed.
    std::vector<CQBXBitmapSwitch2*> Switches();
    // Switch `id`, or null.
    CQBXBitmapSwitch2* Switch(int id);
    const CQBXBitmapSwitch2* Switch(int id) const;
    const WindowImages& Images() const { return images_; }
    const TempoButtons& Tempo() const { return tempo_; }
    // The key and click, which the keyboard and the context menu change
    // (a playing song follows them within a tick of kPlaybackTimer).
    PracticeChoices& Practice() { return practice_; }

    // SwitchNotifyTarget
    void OnSwitchNotify(int id, int value) override;
    // OptionSwitches
    int State(int id) const override;
    bool Enabled(int id) const override;
    void SetSwitchState(int id, int state, bool notify) override;
    void SetSwitchEnabled(int id, bool enabled) override;

private:
    void ShowNoSong();
    // True while the row of `channel` is marked for the part switch the pointer rests on.
    bool MarksChannel(int channel) const;
    void RefreshAfterOpen(const std::string& path);
    // The status line: the key and the click, and where the last file went.
    std::string StatusLine() const;
    // The playback timer's tick: the choices go to the player, the bar shown moves, an end is noticed.
    void FollowPlayback();

    COmbrixDlg& dlg_;
    SongContainer& renderSong_;
    MainWindowHost& host_;
    LastFolderSettings& settings_;
    WindowImages images_;
    std::vector<std::unique_ptr<CQBXBitmapSwitch2>> switches_;
    TempoButtons tempo_;
    PracticeChoices practice_;
    int hoveredSwitch_ = 0;    // the switch the pointer rests on, 0: none
    std::optional<int> tempoKey_;  // the hardware code of the key holding an arrow
    std::string songCaption_ = kWindowCaption;  // the caption of the song shown
    std::string savedPath_;  // the file the song was last converted into, "" before
    // The Practice dialog's choices that stay for the next song (see KeepForNextSong).
    PracticeSettings kept_;
    // The sound conversions use, as the settings file keeps it.
    SoundChoice sound_;
    std::chrono::milliseconds stallTimeout_ = kWorkerStallTimeout;
    WindowPlayer playback_;
};
