// How the main window's switches change the song options, including the
// "EASY MINUS ONE" rule that maps a removed part onto muted channels. The
// switches are reached through a small interface, so this logic runs the
// same with the window's real switches and with plain objects.
#pragma once

#include "model/song_options.h"

// Control IDs of the main window's switches.
namespace SwitchId {
constexpr int kLoad = 100;
constexpr int kConvert = 101;
constexpr int kPlay = 102;  // on while the song plays
constexpr int kFirstVolumeDown = 110;  // + channel index 0-15
constexpr int kFirstMute = 130;        // + channel index 0-15
constexpr int kPreCount = 160;
constexpr int kBass = 170;
constexpr int kDrums = 171;
constexpr int kGuitar = 172;
constexpr int kMelody = 173;
}  // namespace SwitchId

// The part (PartKind) that the part switch `id` removes, -1 for other switches.
int PartOfSwitch(int id);

// The main window's switches as the options logic sees them.
class OptionSwitches {
public:
    virtual ~OptionSwitches() = default;
    // The switch's state (0 off, 1 on).
    virtual int State(int id) const = 0;
    virtual bool Enabled(int id) const = 0;
    // Sets the state of an enabled switch and repaints it; nothing when the
    // switch is disabled or already in that state. With `notify`, a change
    // is reported back through OnSwitchNotify as a click would be.
    virtual void SetSwitchState(int id, int state, bool notify) = 0;
    // Enables or disables the switch and repaints it.
    virtual void SetSwitchEnabled(int id, bool enabled) = 0;
};

// What the window still has to do after a switch notification.
enum class SwitchCommand { kNone, kOpenSong, kConvertSong, kPlaySong, kStopSong };

// True when the part switch `id` takes channel `channel` (index 0-15): the
// channels the part finder found for its part when the song was opened.
bool PartTakesChannel(const SongOptions& options, int id, int channel);

// True when the part switch `id` removes something from the song: it takes
// a channel the song uses. Otherwise the window shows it unavailable.
bool PartRemovesSomething(const SongOptions& options, int id);

// Applies a switch notification to `options`. `value` is the switch's new
// state; a toggle with the right button adds 0x10000, and only the low bit
// counts, so either button turns an option off alike. LOAD, CONVERT and
// PLAY/STOP are returned for the window to run.
SwitchCommand OnSwitchNotify(SongOptions& options, OptionSwitches& switches, int id, int value);

// Mutes (state 1) or unmutes (state 0) every channel of the part that the
// part switch `id` removes, and sets those channels' MUTE switches with
// notification.
void ApplyMinusOne(SongOptions& options, OptionSwitches& switches, int id, int state);

// After the MUTE of `channel` was turned off: the parts that channel belongs
// to are no longer wholly removed, so their flags are cleared and their
// switches turned off without notification.
void SyncPartSwitchOnUnmute(SongOptions& options, OptionSwitches& switches, int channel);

// Enables the VOLUME DOWN and MUTE switches of the channels the song uses,
// disables the others, and enables the part switches that remove something.
void EnableChannelSwitches(const SongOptions& options, OptionSwitches& switches);
