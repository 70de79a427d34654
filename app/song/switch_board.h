// The main window's option switches without a window: each switch has a
// state and an enabled flag, a change with notification runs OnSwitchNotify
// as a click on the window's switch does. The option command line sets its
// options through it, so that they mean exactly what the switches mean.
#pragma once

#include <map>
#include <vector>

#include "app/song/song_options_logic.h"

class SwitchBoard final : public OptionSwitches {
public:
    // The switches of a freshly opened song: states from `options`, the
    // channel switches enabled for the channels the song uses, the part and
    // pre-count switches enabled. `options` is borrowed and changed by clicks.
    explicit SwitchBoard(SongOptions& options);

    // Clicks the switch `id` into `state`, as the user would.
    void Click(int id, int state) { SetSwitchState(id, state, true); }

    int State(int id) const override;
    bool Enabled(int id) const override;
    void SetSwitchState(int id, int state, bool notify) override;
    void SetSwitchEnabled(int id, bool enabled) override { enabled_[id] = enabled; }

private:
    SongOptions& options_;
    std::map<int, int> states_;
    std::map<int, bool> enabled_;
};

// The part switches that remove channel `channel` (index 0-15) of a song
// with these options, found by switching each part on as the window does.
std::vector<int> PartSwitchesOfChannel(const SongOptions& options, int channel);
