// The used channels that --list prints, with the part switch that removes
// each, as the window's switches decide it.
#include "app/options/channel_listing.h"
#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "app/song/switch_board.h"
#include "module_fixture.h"

namespace {

class ChannelListingTest : public ModuleTest {};

TEST_F(ChannelListingTest, ListsDrumsOnChannel10AndTheGuitarProgramsChannel) {
    Open(WriteSong("song.mid", PracticeSong()));
    // Without a tone library a program change names nothing; the others keep the default name.
    EXPECT_EQ(ChannelListing(dlg.m_songOptions), (std::vector<std::string>{
                                                     "1\t-\t-\tPiano 1",
                                                     "2\t-\tbass\tPiano 1",
                                                     "4\t-\tmelody\tPiano 1",
                                                     "5\t-\tguitar\t",
                                                     "10\tdrum\tdrums\tStandard Set",
                                                 }));
}

TEST(SwitchBoardTest, EveryChannelBelongsToOnePartAtMost) {
    SongOptions options;
    ResetSongOptions(options);
    options.channelUsed[3] = 1;
    options.drumChannel[3] = 1;  // channel 4 marked as a drum channel: drums, not the melody
    options.channelUsed[2] = 1;
    options.program[2] = 30;
    EXPECT_EQ(PartSwitchesOfChannel(options, 3), (std::vector<int>{SwitchId::kDrums}));
    EXPECT_EQ(PartSwitchesOfChannel(options, 2), (std::vector<int>{SwitchId::kGuitar}));
    options.program[1] = 27;  // a guitar program on channel 2 of a song without a bass instrument is bass
    EXPECT_EQ(PartSwitchesOfChannel(options, 1), (std::vector<int>{SwitchId::kBass}));
    options.channelUsed[1] = 1;
    options.channelUsed[4] = 1;
    options.program[4] = 34;  // a bass elsewhere: channel 2 is a guitar again
    EXPECT_EQ(PartSwitchesOfChannel(options, 4), (std::vector<int>{SwitchId::kBass}));
    EXPECT_EQ(PartSwitchesOfChannel(options, 1), (std::vector<int>{SwitchId::kGuitar}));
}

TEST(SwitchBoardTest, OptionsOnUnusedChannelsChangeNothingButARemovedPartStillMutes) {
    SongOptions options;
    ResetSongOptions(options);
    options.channelUsed[0] = 1;
    ConversionRequest request;
    request.mute[5] = true;        // channel 6 is not used: its switch is disabled
    request.volumeDown[0] = true;  // channel 1 is used
    request.removedParts = {SwitchId::kBass};
    request.preCount = false;
    request.tempoPercent = 80;
    ApplyRequestedOptions(request, options);
    EXPECT_EQ(options.mute[5], 0);
    EXPECT_EQ(options.volumeDown[0], 1);
    EXPECT_EQ(options.mute[1], 1);  // as ApplyMinusOne sets it, used or not
    EXPECT_TRUE(options.minusBass);
    EXPECT_FALSE(options.preCount);
    EXPECT_EQ(options.tempoPercent, 80);
}

}  // namespace
