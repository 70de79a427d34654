// What the main window's logic needs from the toolkit around it: the client
// area, timers, caption, cursor, dialogs, message boxes, the conversion's
// save dialog and progress window, and the audio output of playback.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/startup/sound_choice.h"
#include "ui/window/client_area.h"
#include "ui/window/practice_settings.h"
#include "ui/window/window_timers.h"

class AudioSink;
class ConversionUi;
struct SongOptions;
class WindowMessages;

class MainWindowHost : public ClientArea, public WindowTimers {
public:
    // Replaces the window's caption.
    virtual void SetCaption(const std::string& caption) = 0;
    // Repaints the whole client area before returning.
    virtual void RepaintNow() = 0;
    // Shows the busy cursor over the window (true) or the normal one.
    virtual void SetWaitCursor(bool busy) = 0;
    // Asks the user for a MIDI file, starting in `folder`; nothing on cancel.
    virtual std::optional<std::string> ChooseMidiFile(const std::string& folder) = 0;
    // The Practice dialog, showing `current` for the opened song `song` of
    // `lastMeasure` measures; the choices confirmed, or nothing on cancel.
    virtual std::optional<PracticeSettings> ChoosePractice(const PracticeSettings& current, const SongOptions& song,
                                                           int lastMeasure) = 0;
    // The sound settings, showing `current`; the choice confirmed (its
    // SoundFont checked), or nothing on cancel.
    virtual std::optional<SoundChoice> ChooseSound(const SoundChoice& current) = 0;
    // Shows the About box and returns when it is closed.
    virtual void ShowAbout() = 0;
    // Shows `folder` in the desktop's file manager, without waiting for it.
    virtual void OpenFolder(const std::string& folder) = 0;
    // Runs `task` once the current event has been handled.
    virtual void Post(std::function<void()> task) = 0;
    // The save dialog and progress window of conversions.
    virtual ConversionUi& Conversion() = 0;
    // Message boxes.
    virtual WindowMessages& Messages() = 0;
    // A new audio output for playback (not yet open).
    virtual std::unique_ptr<AudioSink> NewAudioOutput() = 0;
};
