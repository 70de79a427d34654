// A main window host without a toolkit: it records what the window asks of
// it, runs posted commands when told, ticks timers on a manual clock and
// answers the dialogs with preset choices.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio_sink.h"
#include "platform/user_report.h"
#include "render/conversion_ui.h"
#include "ui/window/last_folder_settings.h"
#include "ui/window/main_window_host.h"
#include "ui/window/window_messages.h"

class RecordedMessages : public WindowMessages {
public:
    void Explain(std::string_view text, std::string_view explanation) override {
        texts.emplace_back(text);
        explanations.emplace_back(explanation);
    }
    std::vector<std::string> texts;
    std::vector<std::string> explanations;
};

// The save dialog answers `saveChoice`; progress calls are counted; Cancel
// can be pressed after a number of event runs.
class FakeConversionUi : public ConversionUi {
public:
    std::optional<std::string> ChooseOutputFile(const std::string& folder, const std::string& name) override {
        asked.push_back(folder + "|" + name);
        return saveChoice;
    }
    void NameProgress(const std::string& songName, const std::string& target, AudioFormat format) override {
        named.push_back(songName + "|" + target + "|" + std::string(AudioFormatName(format)));
    }
    void OpenProgress(int, int upper) override { progressUpper = upper; ++opened; }
    void PumpEvents() override {
        ++pumps;
        if (onPump) onPump();
    }
    void SetProgressPosition(int) override {}
    // Cancel is pressed once the events have run `cancelAfterPumps` times.
    bool CancelRequested() const override { return cancelAfterPumps >= 0 && pumps >= cancelAfterPumps; }
    void SetProgressText(const std::string& text) override { lastText = text; }
    void CloseProgress() override { ++closed; }

    std::optional<std::string> saveChoice;
    std::vector<std::string> asked;
    std::vector<std::string> named;
    int progressUpper = -1;
    int pumps = 0;
    int cancelAfterPumps = -1;
    std::function<void()> onPump;  // runs on every event run, while a conversion is shown
    int opened = 0;
    int closed = 0;
    std::string lastText;
};

// An audio output that plays only when the test pulls, recording the samples.
class PulledOutput final : public AudioSink {
public:
    bool Open(Pull pull) override {
        pull_ = std::move(pull);
        return !failOpen;
    }
    void Pause(bool) override {}
    void Close() override { pull_ = nullptr; }
    std::string Failure() const override { return "no audio output (tried pulseaudio, alsa): no device"; }
    // Pulls `frames` stereo 16-bit frames and appends them to `played`.
    void PullFrames(std::size_t frames) {
        std::string chunk(frames * 4, '\0');
        if (pull_) pull_(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(chunk.data()), chunk.size()));
        played += chunk;
    }
    bool failOpen = false;
    std::string played;

private:
    Pull pull_;
};

class FakeWindowHost : public MainWindowHost {
public:
    void InvalidateRect(PixelRect rect) override { invalidated.push_back(rect); }
    void SetCapture() override { captured = true; }
    void ReleaseCapture() override { captured = false; }
    void SetTimer(int id, int periodMs) override { timers[id] = {periodMs, now + periodMs}; }
    void KillTimer(int id) override { timers.erase(id); }
    void SetCaption(const std::string& text) override { caption = text; }
    void RepaintNow() override { ++repaints; }
    void SetWaitCursor(bool busy) override { cursorLog.push_back(busy); }
    std::optional<std::string> ChooseMidiFile(const std::string& folder) override {
        openFolders.push_back(folder);
        return openChoice;
    }
    std::optional<SoundChoice> ChooseSound(const SoundChoice& current) override {
        soundShown.push_back(current);
        return soundChoice;
    }
    std::optional<PracticeSettings> ChoosePractice(const PracticeSettings& current, const SongOptions&,
                                                   int lastMeasure) override {
        practiceShown.push_back(current);
        practiceMeasures = lastMeasure;
        return practiceChoice;
    }
    void ShowAbout() override { ++abouts; }
    void OpenFolder(const std::string& folder) override { openedFolders.push_back(folder); }
    void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }
    ConversionUi& Conversion() override { return conversion; }
    WindowMessages& Messages() override { return messages; }
    std::unique_ptr<AudioSink> NewAudioOutput() override {
        auto output = std::make_unique<PulledOutput>();
        output->failOpen = noAudioOutput;
        lastOutput = output.get();
        return output;
    }

    // Runs the posted commands in order.
    void RunPosted() {
        auto tasks = std::move(posted);
        posted.clear();
        for (auto& task : tasks) task();
    }
    // Moves the clock by `ms`, calling `onTimer` for every tick due, in time order.
    void Advance(int ms, const std::function<void(int)>& onTimer) {
        const int end = now + ms;
        for (;;) {
            int due = end + 1;
            int dueId = -1;
            for (const auto& [id, timer] : timers)
                if (timer.next < due) due = timer.next, dueId = id;
            if (dueId < 0) break;
            now = due;
            timers[dueId].next += timers[dueId].period;
            onTimer(dueId);
        }
        now = end;
    }

    struct Timer {
        int period;
        int next;
    };
    std::vector<PixelRect> invalidated;
    bool captured = false;
    std::map<int, Timer> timers;
    int now = 0;
    std::string caption = "Ombrix Converter";
    int repaints = 0;
    std::vector<bool> cursorLog;
    std::optional<std::string> openChoice;
    std::vector<std::string> openFolders;
    int abouts = 0;
    std::vector<PracticeSettings> practiceShown;
    int practiceMeasures = 0;
    std::optional<PracticeSettings> practiceChoice;
    std::vector<SoundChoice> soundShown;
    std::optional<SoundChoice> soundChoice;
    std::vector<std::string> openedFolders;
    std::vector<std::function<void()>> posted;
    FakeConversionUi conversion;
    RecordedMessages messages;
    bool noAudioOutput = false;
    PulledOutput* lastOutput = nullptr;  // the output of the latest playback; owned by the window
};

class FakeSettings : public LastFolderSettings {
public:
    std::string ReadLastFolder() override { return stored; }
    void WriteLastFolder(std::string_view folder) override { written.emplace_back(folder); }
    SoundChoice ReadSound() override { return sound; }
    void WriteSound(const SoundChoice& choice) override { soundsWritten.push_back(choice); }
    std::string stored = "/home/user/songs";
    std::vector<std::string> written;
    SoundChoice sound;
    std::vector<SoundChoice> soundsWritten;
};
