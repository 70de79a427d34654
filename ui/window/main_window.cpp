// The main window's handlers and commands.
#include "ui/window/main_window.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>

#include "app/song/ombrix_dlg.h"
#include "app/song/open_midi_file.h"
#include "app/startup/soundfont_catalog.h"
#include "model/measure.h"
#include "platform/known_folders.h"
#include "platform/standard_error.h"
#include "platform/text.h"
#include "platform/translation.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "resources/resource_ids.h"
#include "ui/window/check_open_path.h"
#include "ui/window/last_folder_settings.h"
#include "ui/window/main_window_host.h"
#include "ui/window/saved_file_note.h"
#include "ui/window/switch_layout.h"
#include "ui/window/window_canvas.h"
#include "ui/window/window_messages.h"
#include "ui/window/worker_conversion.h"

namespace {

constexpr int kChannelRowTop = 210;  // text row of channel 1
constexpr int kChannelRowPitch = 20;
constexpr int kChannelBarX = 26;
constexpr int kSystemCommandMask = ~0xF;
constexpr char kStatusSeparator[] = " \u00B7 ";
constexpr int kPartSwitches[] = {SwitchId::kBass, SwitchId::kDrums, SwitchId::kGuitar, SwitchId::kMelody};

bool PartFlag(const SongOptions& options, int id) {
    switch (id) {
        case SwitchId::kBass: return options.minusBass;
        case SwitchId::kDrums: return options.minusDrums;
        case SwitchId::kGuitar: return options.minusGuitar;
        default: return options.minusMelody;
    }
}

int PartDisabledImage(int id) {
    switch (id) {
        case SwitchId::kBass: return ResourceId::kBassDisabled;
        case SwitchId::kDrums: return ResourceId::kDrumsDisabled;
        case SwitchId::kGuitar: return ResourceId::kGuitarDisabled;
        default: return ResourceId::kMelodyDisabled;
    }
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PixelRect ChannelRowBarRect(int channel) {
    return {kChannelBarX, kChannelRowTop + kChannelRowPitch * channel - 1, 301, 16};
}


MainWindow::MainWindow(COmbrixDlg& dlg, SongContainer& renderSong, MainWindowHost& host, LastFolderSettings& settings)
    : dlg_(dlg),
      renderSong_(renderSong),
      host_(host),
      settings_(settings),
      tempo_(dlg, host, host),
      practice_(dlg, host),
      playback_(host) {}

MainWindow::~MainWindow() = default;

void MainWindow::OnInitDialog() {
    images_.LoadAll();
    switches_.clear();
    for (const SwitchPlacement& place : MainWindowSwitches()) {
        auto control = std::make_unique<CQBXBitmapSwitch2>();
        const CQBXBitmap* off = images_.Get(place.offImage);
        control->Create(this, place.id, SwitchRectAt(place.x, place.y, off), off, images_.Get(place.onImage));
        switches_.push_back(std::move(control));
    }
    SongOptions& options = dlg_.m_songOptions;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        for (const int id : {SwitchId::kFirstVolumeDown + channel, SwitchId::kFirstMute + channel}) {
            Switch(id)->SetDisabledImage(images_.Get(ResourceId::kChannelSwitchDisabled));
            Switch(id)->SetEnabled(false);
        }
    }
    Switch(SwitchId::kPreCount)->SetSwitchState(options.preCount ? 1 : 0, 1);
    for (const int id : kPartSwitches) {
        Switch(id)->SetSwitchState(PartFlag(options, id) ? 1 : 0, 1);
        // Without a song a part switch shows dimmed, its lamp dark.
        Switch(id)->SetDisabledImage(images_.Get(PartDisabledImage(id)));
        Switch(id)->SetEnabled(false);
    }
    dlg_.m_strLastFolder = settings_.ReadLastFolder();
    sound_ = settings_.ReadSound();
    dlg_.m_strSongName.clear();
    tempo_.Reset();
    ResetSongOptions(options);
    // The PRE COUNT switch was set from the options above and stays the user's choice.
    options.preCount = State(SwitchId::kPreCount) != 0;
    practice_.AfterOptionsReset();
}

void MainWindow::OnPaint(WindowCanvas& canvas) const {
    if (const CQBXBitmap* background = images_.Get(ResourceId::kBackground))
        canvas.DrawImage(*background, {0, 0, background->Width(), background->Height()}, 0, 0);
    const SongOptions& options = dlg_.m_songOptions;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        const bool used = options.channelUsed[channel] != 0;
        const PixelRect bar = ChannelRowBarRect(channel);
        if (const CQBXBitmap* image = images_.Get(used ? ResourceId::kRowUsed : ResourceId::kRowUnused))
            canvas.DrawImage(*image, {0, 0, image->Width(), image->Height()}, bar.x, bar.y);
        if (!used) continue;
        if (MarksChannel(channel)) {
            canvas.DrawText(kChannelNameX, bar.y, bar.height, kMarkedChannelMark + options.toneName[channel],
                            kMarkedChannelNameColour);
        } else {
            canvas.DrawText(kChannelNameX, bar.y, bar.height, options.toneName[channel], kChannelNameColour);
        }
    }
    tempo_.Paint(canvas, images_);
    if (playback_.Playing()) {
        const PixelRect& at = kPlayingBarRect;
        canvas.DrawText(at.x, at.y, at.height, PlayingBarText(playback_.Position()), kPlayingBarColour);
    }
    const std::string status = StatusLine();
    if (!status.empty()) {
        const PixelRect& at = kPracticeStatusRect;
        canvas.DrawText(at.x, at.y, at.height, status, kPracticeStatusColour);
    }
}

std::string MainWindow::StatusLine() const {
    std::string line = practice_.StatusText();
    if (savedPath_.empty()) return line;
    if (!line.empty()) line += kStatusSeparator;
    const std::size_t used = TextColumns(line);
    return line + SavedFileNote(savedPath_, HomeFolder(), used < kStatusLineColumns ? kStatusLineColumns - used : 0);
}

void MainWindow::OnLButtonDown(int x, int y) {
    // A press on an arrow takes over from a key that held one.
    if (tempo_.OnButtonDown(x, y)) {
        tempoKey_.reset();
        playback_.Follow(dlg_.m_songOptions);
        return;
    }
    if (!savedPath_.empty() && kPracticeStatusRect.Contains(x, y)) host_.OpenFolder(FolderOf(savedPath_));
}

void MainWindow::OnLButtonUp() { tempo_.OnButtonUp(); }

void MainWindow::OnTimer(int id) {
    if (id == kPlaybackTimer) {
        FollowPlayback();
        return;
    }
    tempo_.OnTimer(id);
    playback_.Follow(dlg_.m_songOptions);
}

void MainWindow::OnCaptureLost() {
    tempoKey_.reset();
    tempo_.OnCaptureLost();
    for (auto& control : switches_) control->OnCaptureLost();
}

void MainWindow::OnTempoKeyDown(bool up, int keyCode) {
    if (tempo_.UpPressed() || tempo_.DownPressed()) return;
    const PixelRect& arrow = up ? kTempoUpRect : kTempoDownRect;
    tempo_.OnButtonDown(arrow.x + arrow.width / 2, arrow.y + arrow.height / 2);
    tempoKey_ = keyCode;
    playback_.Follow(dlg_.m_songOptions);
}

void MainWindow::OnKeyUp(int keyCode) {
    if (tempoKey_ != keyCode) return;
    tempoKey_.reset();
    tempo_.OnButtonUp();
}

void MainWindow::OnSysCommand(int id) {
    if ((id & kSystemCommandMask) != kAboutCommand) return;
    // The About box takes the pointer: whatever is held is let go first.
    OnCaptureLost();
    host_.ShowAbout();
}

void MainWindow::OnDestroy() {
    StopPlayback();
    settings_.WriteLastFolder(dlg_.m_strLastFolder);
}

void MainWindow::CommandPlay() {
    // The switch is on from its click, or the P key.
    if (dlg_.m_strSongName.empty()) {
        SetSwitchState(SwitchId::kPlay, 0, false);
        host_.Messages().Report(kNoSongLoadedMessage);
        return;
    }
    // The player's worker plays with the chosen sound, as a conversion does.
    UseSoundChoice(sound_);
    if (!playback_.Start(dlg_.m_song, renderSong_, dlg_.m_songOptions)) {
        SetSwitchState(SwitchId::kPlay, 0, false);
        // TRANSLATORS: %s says why, in English: what audio output was tried and what it answered.
        host_.Messages().Report(Formatted(Tr("Cannot play the song: %s."), playback_.Failure().c_str()));
        return;
    }
    host_.SetTimer(kPlaybackTimer, kPlaybackPollMs);
    host_.InvalidateRect(kPlayingBarRect);
}

void MainWindow::StopPlayback() {
    if (!playback_.Playing()) return;
    playback_.Stop();
    host_.KillTimer(kPlaybackTimer);
    SetSwitchState(SwitchId::kPlay, 0, false);
    host_.InvalidateRect(kPlayingBarRect);
}

void MainWindow::TogglePlayback() { SetSwitchState(SwitchId::kPlay, State(SwitchId::kPlay) != 0 ? 0 : 1, true); }

void MainWindow::FollowPlayback() {
    const int shown = playback_.Position().measure;
    const int beat = playback_.Position().beat;
    if (playback_.Poll(dlg_.m_songOptions)) {
        if (playback_.Position().measure != shown || (shown == 0 && playback_.Position().beat != beat))
            host_.InvalidateRect(kPlayingBarRect);
        return;
    }
    host_.KillTimer(kPlaybackTimer);
    SetSwitchState(SwitchId::kPlay, 0, false);
    host_.InvalidateRect(kPlayingBarRect);
    if (!playback_.Failure().empty())
        host_.Messages().Report(Formatted(Tr("Cannot play the song: %s."), playback_.Failure().c_str()));
}

void MainWindow::CommandLoad() {
    const std::optional<std::string> path = host_.ChooseMidiFile(dlg_.m_strLastFolder);
    if (path) OpenSong(*path);
}

void MainWindow::CommandConvert() {
    const ConversionSource source = dlg_.ConversionInput();
    if (source.name.empty()) {
        host_.Messages().Report(kNoSongLoadedMessage);
        return;
    }
    // A SoundFont that went away since it was chosen stops the conversion before the save dialog.
    if (!sound_.soundFont.empty()) {
        if (std::string problem = SoundFontProblem(sound_.soundFont); !problem.empty()) {
            problem.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(problem.front())));
            host_.Messages().Explain(Formatted(Tr("The SoundFont %s cannot be used."), sound_.soundFont.c_str()),
                                     problem + ".\n" + Tr("Choose another one in the sound settings (Ctrl+,)."));
            return;
        }
    }
    const std::optional<std::string> path = host_.Conversion().ChooseOutputFile(source.folder, source.name);
    OutputOptions choices;
    choices.loudnessLufs = kept_.loudnessLufs;
    choices.stems = kept_.stems;
    // The worker's module plays with the chosen sound.
    if (path) UseSoundChoice(sound_, choices.stems);
    if (path &&
        ConvertInWorker(source, renderSong_, *path, choices, host_.Conversion(), host_.Messages(), stallTimeout_)) {
        host_.SetCaption(Formatted(Tr("%s saved to %s"), songCaption_.c_str(), path->c_str()));
        savedPath_ = *path;
        host_.InvalidateRect(kPracticeStatusRect);
    }
}

void MainWindow::CommandSound() {
    OnCaptureLost();
    if (const std::optional<SoundChoice> chosen = host_.ChooseSound(sound_)) {
        sound_ = *chosen;
        settings_.WriteSound(sound_);
    }
}

void MainWindow::CommandPractice() {
    if (dlg_.m_strSongName.empty()) {
        host_.Messages().Report(kNoSongLoadedMessage);
        return;
    }
    // The dialog takes the pointer and the keyboard: whatever is held is let go first.
    OnCaptureLost();
    if (const std::optional<PracticeSettings> chosen = host_.ChoosePractice(CurrentPractice(), dlg_.m_songOptions, LastMeasure(dlg_.m_song)))
        ApplyPractice(*chosen);
}

PracticeSettings MainWindow::CurrentPractice() {
    const SongOptions& options = dlg_.m_songOptions;
    PracticeSettings settings;
    settings.firstMeasure = options.firstMeasure;
    settings.lastMeasure = options.lastMeasure;
    settings.preCount = State(SwitchId::kPreCount) != 0;
    settings.click = practice_.Click();
    settings.transpose = options.transpose;
    settings.tempoPercent = options.tempoPercent;
    settings.loopPasses = options.loopPasses;
    if (options.loopTempoStep != 0) settings.tempoStep = options.loopTempoStep;
    if (options.loopTempoTo != 0) settings.tempoTo = options.loopTempoTo;
    settings.loudnessLufs = kept_.loudnessLufs;
    settings.stems = kept_.stems;
    settings.countInMeasures = kept_.countInMeasures;
    settings.clickLevelDb = kept_.clickLevelDb;
    settings.dropEmptyBars = kept_.dropEmptyBars;
    settings.levels = kept_.levels;
    return settings;
}

void MainWindow::ApplyPractice(const PracticeSettings& chosen) {
    SongOptions& options = dlg_.m_songOptions;
    const PracticeSettings settings = BoundedPractice(chosen, LastMeasure(dlg_.m_song));
    options.firstMeasure = settings.firstMeasure;
    options.lastMeasure = settings.lastMeasure;
    // The switch and the key's and click's own paths keep the display in step.
    SetSwitchState(SwitchId::kPreCount, settings.preCount ? 1 : 0, true);
    practice_.SetClick(settings.click);
    practice_.Transpose(settings.transpose - options.transpose);
    options.tempoPercent = settings.tempoPercent;
    for (const PixelRect& cell : kTempoDigitRects) host_.InvalidateRect(cell);
    options.loopPasses = settings.loopPasses;
    options.loopTempoStep = settings.tempoStep.value_or(0);
    options.loopTempoTo = settings.tempoTo.value_or(0);
    kept_ = settings;
    KeepForNextSong(kept_, options);
    playback_.Follow(options);
}

void MainWindow::OnPointerOverSwitch(int id) {
    if (id == hoveredSwitch_) return;
    hoveredSwitch_ = id;
    host_.InvalidateRect({0, 0, kClientWidth, kClientHeight});
}

bool MainWindow::MarksChannel(int channel) const {
    const bool partSwitch = std::find(std::begin(kPartSwitches), std::end(kPartSwitches), hoveredSwitch_) != std::end(kPartSwitches);
    return partSwitch && Enabled(hoveredSwitch_) && PartTakesChannel(dlg_.m_songOptions, hoveredSwitch_, channel);
}

void MainWindow::OpenSong(const std::string& path) {
    StopPlayback();
    if (!CheckOpenPath(path, host_.Messages())) return;
    host_.RepaintNow();
    host_.SetWaitCursor(true);
    CollectingReport report;
    ErrorLineCopy explanation;
    // A file that does not open leaves the loaded song and its choices as they were.
    const bool opens = MidiFileOpens(path, report);
    if (opens) OpenMidiFile(dlg_, path, report);
    host_.SetWaitCursor(false);
    for (const std::string& line : report.lines) host_.Messages().Explain(line, explanation.Text());
    if (!opens) return;
    if (dlg_.m_strSongName.empty()) {
        ShowNoSong();
    } else {
        RefreshAfterOpen(path);
    }
}

void MainWindow::RefreshAfterOpen(const std::string& path) {
    SongOptions& options = dlg_.m_songOptions;
    // The open reset the options; the pre-count stays what the switch shows, the click as chosen.
    options.preCount = State(SwitchId::kPreCount) != 0;
    practice_.AfterOptionsReset();
    KeepForNextSong(kept_, options);
    EnableChannelSwitches(options, *this);
    songCaption_ = std::string(kWindowCaption) + " [" + FileNameOf(path) + "]";
    savedPath_.clear();
    host_.SetCaption(songCaption_);
    for (const int id : kPartSwitches) SetSwitchState(id, PartFlag(options, id) ? 1 : 0, true);
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        for (const int id : {SwitchId::kFirstVolumeDown + channel, SwitchId::kFirstMute + channel}) {
            if (Enabled(id) && State(id) != 0) SetSwitchState(id, 0, true);
        }
    }
    host_.InvalidateRect({0, 0, kClientWidth, kClientHeight});
}

void MainWindow::ShowNoSong() {
    SongOptions& options = dlg_.m_songOptions;
    const bool preCount = State(SwitchId::kPreCount) != 0;
    ResetSongOptions(options);
    options.preCount = preCount;
    practice_.AfterOptionsReset();
    KeepForNextSong(kept_, options);
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        SetSwitchEnabled(SwitchId::kFirstVolumeDown + channel, false);
        SetSwitchEnabled(SwitchId::kFirstMute + channel, false);
    }
    for (const int id : kPartSwitches) SetSwitchEnabled(id, false);
    songCaption_ = kWindowCaption;
    host_.SetCaption(kWindowCaption);
    host_.InvalidateRect({0, 0, kClientWidth, kClientHeight});
}

std::vector<CQBXBitmapSwitch2*> MainWindow::Switches() {
    std::vector<CQBXBitmapSwitch2*> all;
    for (auto& control : switches_) all.push_back(control.get());
    return all;
}

CQBXBitmapSwitch2* MainWindow::Switch(int id) {
    for (auto& control : switches_)
        if (control->Id() == id) return control.get();
    return nullptr;
}

const CQBXBitmapSwitch2* MainWindow::Switch(int id) const {
    for (const auto& control : switches_)
        if (control->Id() == id) return control.get();
    return nullptr;
}

void MainWindow::OnSwitchNotify(int id, int value) {
    switch (::OnSwitchNotify(dlg_.m_songOptions, *this, id, value)) {
        case SwitchCommand::kOpenSong:
            StopPlayback();
            host_.Post([this] { CommandLoad(); });
            break;
        case SwitchCommand::kConvertSong:
            StopPlayback();
            host_.Post([this] { CommandConvert(); });
            break;
        case SwitchCommand::kPlaySong:
            host_.Post([this] {
                if (State(SwitchId::kPlay) != 0 && !playback_.Playing()) CommandPlay();
            });
            break;
        case SwitchCommand::kStopSong:
            StopPlayback();
            break;
        case SwitchCommand::kNone:
            // A mute, part or turned-down channel is heard at once.
            playback_.Follow(dlg_.m_songOptions);
            break;
    }
}

int MainWindow::State(int id) const {
    const CQBXBitmapSwitch2* control = Switch(id);
    return control && control->State() ? 1 : 0;
}

bool MainWindow::Enabled(int id) const {
    const CQBXBitmapSwitch2* control = Switch(id);
    return control && control->Enabled();
}

void MainWindow::SetSwitchState(int id, int state, bool notify) {
    if (CQBXBitmapSwitch2* control = Switch(id)) control->SetSwitchState(state, notify ? 1 : 0);
}

void MainWindow::SetSwitchEnabled(int id, bool enabled) {
    if (CQBXBitmapSwitch2* control = Switch(id)) control->SetEnabled(enabled);
}
