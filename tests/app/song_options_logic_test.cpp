// The song options' reaction to switch notifications and the part-removal
// rules, driven through plain switches that report back like the window's.
#include "app/song/song_options_logic.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRightButton = 0x10000;

// Switches that behave like the window's: a disabled switch or an unchanged
// state does nothing; a change with notification comes back as a notification.
class PlainSwitches : public OptionSwitches {
public:
    explicit PlainSwitches(SongOptions& options) : options_(options) {}

    int State(int id) const override { return states_.count(id) ? states_.at(id) : 0; }
    bool Enabled(int id) const override { return !disabled_.count(id) || !disabled_.at(id); }
    void SetSwitchState(int id, int state, bool notify) override {
        if (!Enabled(id) || State(id) == state) return;
        states_[id] = state;
        changes.push_back(std::to_string(id) + (state ? " on" : " off") + (notify ? "" : " quietly"));
        if (notify) OnSwitchNotify(options_, *this, id, state ? 1 : 0);
    }
    void SetSwitchEnabled(int id, bool enabled) override { disabled_[id] = !enabled; }

    // A click on the switch: the state toggles and the window is notified.
    SwitchCommand Click(int id, int buttonFlag = 0) {
        states_[id] = State(id) ? 0 : 1;
        return OnSwitchNotify(options_, *this, id, states_[id] + buttonFlag);
    }
    void Disable(int id) { disabled_[id] = true; }

    std::vector<std::string> changes;  // what SetSwitchState changed, in order

private:
    SongOptions& options_;
    std::map<int, int> states_;
    std::map<int, bool> disabled_;
};

class SongOptionsLogic : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSongOptions(options);
        // The parts of a song of the original convention, as the part finder finds them.
        Parts(PartKind::kMelody, {3});
        Parts(PartKind::kBass, {1});
        Parts(PartKind::kDrums, {9});
        switches.SetSwitchState(SwitchId::kPreCount, 1, false);  // shown on, as the option starts
        switches.changes.clear();
    }
    static int Mute(int channelIndex) { return SwitchId::kFirstMute + channelIndex; }
    void Parts(int part, std::initializer_list<int> channels) {
        options.partChannels[part] = 0;
        for (const int channel : channels) options.partChannels[part] |= static_cast<std::uint16_t>(1u << channel);
    }

    SongOptions options;
    PlainSwitches switches{options};
};

TEST_F(SongOptionsLogic, BassMutesChannel2AndTurningItOffUnmutesIt) {
    switches.Click(SwitchId::kBass);
    EXPECT_TRUE(options.minusBass);
    EXPECT_EQ(options.mute[1], 1);
    EXPECT_EQ(switches.State(Mute(1)), 1);
    EXPECT_EQ(switches.changes, std::vector<std::string>{"131 on"});

    switches.changes.clear();
    switches.Click(SwitchId::kBass);
    EXPECT_FALSE(options.minusBass);
    EXPECT_EQ(options.mute[1], 0);
    EXPECT_EQ(switches.State(Mute(1)), 0);
    // The unmute notification finds the BASS switch already off.
    EXPECT_EQ(switches.changes, std::vector<std::string>{"131 off"});
}

TEST_F(SongOptionsLogic, ARemovedPartMutesUnusedChannelsWithoutTouchingTheirSwitches) {
    switches.Disable(Mute(1));
    switches.Click(SwitchId::kBass);
    EXPECT_EQ(options.mute[1], 1);
    EXPECT_EQ(switches.State(Mute(1)), 0);
    EXPECT_TRUE(switches.changes.empty());
}

TEST_F(SongOptionsLogic, DrumsMutesEveryDrumChannel) {
    Parts(PartKind::kDrums, {9, 10});  // channels 10 and 11
    switches.Click(SwitchId::kDrums);
    EXPECT_TRUE(options.minusDrums);
    for (int ch = 0; ch < kMidiChannels; ++ch) EXPECT_EQ(options.mute[ch], ch == 9 || ch == 10 ? 1 : 0) << ch;
    EXPECT_EQ(switches.changes, (std::vector<std::string>{"139 on", "140 on"}));
}

TEST_F(SongOptionsLogic, GuitarMutesTheChannelsFoundForItAndNoOther) {
    Parts(PartKind::kGuitar, {4, 6});
    switches.Click(SwitchId::kGuitar);
    EXPECT_TRUE(options.minusGuitar);
    for (int ch = 0; ch < kMidiChannels; ++ch) EXPECT_EQ(options.mute[ch], ch == 4 || ch == 6 ? 1 : 0) << ch;
}

TEST_F(SongOptionsLogic, APartSwitchIsAvailableOnlyWhenItTakesAUsedChannel) {
    options.channelUsed[1] = options.channelUsed[9] = 1;  // the bass on channel 2 and the drums
    Parts(PartKind::kGuitar, {4});                        // a guitar on a channel the song does not use
    EnableChannelSwitches(options, switches);
    EXPECT_TRUE(switches.Enabled(SwitchId::kBass));
    EXPECT_TRUE(switches.Enabled(SwitchId::kDrums));
    EXPECT_FALSE(switches.Enabled(SwitchId::kGuitar));
    EXPECT_FALSE(switches.Enabled(SwitchId::kMelody));  // channel 4 is not used
    EXPECT_TRUE(PartRemovesSomething(options, SwitchId::kBass));
    EXPECT_FALSE(PartRemovesSomething(options, SwitchId::kMelody));
}

TEST_F(SongOptionsLogic, MelodyMutesChannel4) {
    switches.Click(SwitchId::kMelody);
    EXPECT_TRUE(options.minusMelody);
    EXPECT_EQ(options.mute[3], 1);
    switches.Click(SwitchId::kMelody);
    EXPECT_EQ(options.mute[3], 0);
}

TEST_F(SongOptionsLogic, UnmutingOneDrumChannelReleasesTheDrumsSwitchButKeepsTheOthersMuted) {
    Parts(PartKind::kDrums, {9, 10});
    switches.Click(SwitchId::kDrums);
    switches.changes.clear();
    switches.Click(Mute(9));
    EXPECT_FALSE(options.minusDrums);
    EXPECT_EQ(switches.State(SwitchId::kDrums), 0);
    EXPECT_EQ(options.mute[9], 0);
    EXPECT_EQ(options.mute[10], 1);
    EXPECT_EQ(switches.changes, std::vector<std::string>{"171 off quietly"});
}

TEST_F(SongOptionsLogic, UnmutingAGuitarChannelReleasesTheGuitarSwitch) {
    Parts(PartKind::kGuitar, {4});
    switches.Click(SwitchId::kGuitar);
    switches.Click(Mute(4));
    EXPECT_FALSE(options.minusGuitar);
    EXPECT_EQ(switches.State(SwitchId::kGuitar), 0);
}

TEST_F(SongOptionsLogic, UnmutingChannel2Or4ReleasesBassOrMelody) {
    switches.Click(SwitchId::kBass);
    switches.Click(SwitchId::kMelody);
    switches.Click(Mute(1));
    EXPECT_FALSE(options.minusBass);
    EXPECT_TRUE(options.minusMelody);
    switches.Click(Mute(3));
    EXPECT_FALSE(options.minusMelody);
    EXPECT_EQ(switches.State(SwitchId::kMelody), 0);
}

TEST_F(SongOptionsLogic, BassAndMelodyFollowTheSongsBassAndNamedMelody) {
    options.channelUsed[1] = options.channelUsed[2] = options.channelUsed[3] = options.channelUsed[5] = 1;
    Parts(PartKind::kGuitar, {1});  // a clean guitar on channel 2
    Parts(PartKind::kBass, {2});    // the bass on channel 3
    Parts(PartKind::kMelody, {5});
    switches.Click(SwitchId::kBass);
    switches.Click(SwitchId::kMelody);
    switches.Click(SwitchId::kGuitar);
    EXPECT_EQ(options.mute[2], 1);
    EXPECT_EQ(options.mute[5], 1);
    EXPECT_EQ(options.mute[1], 1);  // by GUITAR
    EXPECT_EQ(options.mute[3], 0);
    switches.Click(Mute(2));  // the bass back: BASS is released, the others stay
    EXPECT_FALSE(options.minusBass);
    EXPECT_EQ(switches.State(SwitchId::kBass), 0);
    EXPECT_TRUE(options.minusMelody);
    EXPECT_TRUE(options.minusGuitar);
    switches.Click(Mute(5));
    EXPECT_FALSE(options.minusMelody);
}

TEST_F(SongOptionsLogic, UnmutingAChannelOfNoPartChangesNoPartSwitch) {
    switches.Click(SwitchId::kBass);
    switches.Click(Mute(0));  // on
    switches.changes.clear();
    switches.Click(Mute(0));  // off
    EXPECT_TRUE(options.minusBass);
    EXPECT_TRUE(switches.changes.empty());
}

TEST_F(SongOptionsLogic, ARightButtonToggleCountsByItsLowBit) {
    switches.Click(SwitchId::kBass, kRightButton);
    EXPECT_TRUE(options.minusBass);
    EXPECT_EQ(options.mute[1], 1);
    switches.Click(SwitchId::kBass, kRightButton);
    EXPECT_FALSE(options.minusBass);
    EXPECT_EQ(options.mute[1], 0);

    switches.Click(SwitchId::kFirstVolumeDown + 5, kRightButton);
    EXPECT_EQ(options.volumeDown[5], 1);
    switches.Click(SwitchId::kFirstVolumeDown + 5, kRightButton);
    EXPECT_EQ(options.volumeDown[5], 0);
    switches.Click(SwitchId::kPreCount, kRightButton);  // on by default: the click turns it off
    EXPECT_FALSE(options.preCount);
}

TEST_F(SongOptionsLogic, TurningAMuteOffWithTheRightButtonReleasesItsPartLikeTheLeft) {
    switches.Click(SwitchId::kDrums);
    switches.Click(Mute(9), kRightButton);
    EXPECT_EQ(options.mute[9], 0);
    EXPECT_FALSE(options.minusDrums);
    EXPECT_EQ(switches.State(SwitchId::kDrums), 0);
}

TEST_F(SongOptionsLogic, VolumeDownAndPreCountAreStoredAndLoadAndConvertAreLeftToTheWindow) {
    switches.Click(SwitchId::kFirstVolumeDown + 15);
    EXPECT_EQ(options.volumeDown[15], 1);
    switches.Click(SwitchId::kPreCount);
    EXPECT_FALSE(options.preCount);
    EXPECT_EQ(switches.Click(SwitchId::kLoad), SwitchCommand::kOpenSong);
    EXPECT_EQ(switches.Click(SwitchId::kConvert), SwitchCommand::kConvertSong);
    const SongOptions before = options;
    EXPECT_EQ(switches.Click(126), SwitchCommand::kNone);
    EXPECT_EQ(switches.Click(146), SwitchCommand::kNone);
    EXPECT_EQ(options.volumeDown, before.volumeDown);
    EXPECT_EQ(options.mute, before.mute);
}

TEST_F(SongOptionsLogic, ChannelSwitchesAreEnabledForUsedChannelsAndPartSwitchesThatRemoveSomething) {
    options.channelUsed[0] = 1;
    options.channelUsed[9] = 1;
    Parts(PartKind::kMelody, {0});
    switches.Disable(SwitchId::kMelody);
    EnableChannelSwitches(options, switches);
    for (int ch = 0; ch < kMidiChannels; ++ch) {
        const bool used = ch == 0 || ch == 9;
        EXPECT_EQ(switches.Enabled(SwitchId::kFirstVolumeDown + ch), used) << ch;
        EXPECT_EQ(switches.Enabled(Mute(ch)), used) << ch;
    }
    EXPECT_TRUE(switches.Enabled(SwitchId::kMelody));
    EXPECT_TRUE(switches.Enabled(SwitchId::kDrums));
    EXPECT_FALSE(switches.Enabled(SwitchId::kBass));  // channel 2 is not used
    EXPECT_FALSE(switches.Enabled(SwitchId::kGuitar));
}

}  // namespace
