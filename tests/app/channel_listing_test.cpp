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
                                                     "1\t-\t-\tPiano 1\t-",
                                                     "2\t-\tbass\tPiano 1\tlowest line, median E2",
                                                     "4\t-\tmelody\tPiano 1\ttop line, median C5",
                                                     "5\t-\tguitar\t\tguitar instrument",
                                                     "10\tdrum\tdrums\tStandard Set\tdrum channel",
                                                 }));
}

TEST(SwitchBoardTest, EveryChannelBelongsToOnePartAtMost) {
    SongOptions options;
    ResetSongOptions(options);
    options.channelUsed[0] = options.channelUsed[1] = options.channelUsed[2] = options.channelUsed[3] = 1;
    options.partChannels[PartKind::kDrums] = 1u << 3;
    options.partChannels[PartKind::kGuitar] = 1u << 2;
    options.partChannels[PartKind::kBass] = 1u << 1;
    EXPECT_EQ(PartSwitchesOfChannel(options, 3), (std::vector<int>{SwitchId::kDrums}));
    EXPECT_EQ(PartSwitchesOfChannel(options, 2), (std::vector<int>{SwitchId::kGuitar}));
    EXPECT_EQ(PartSwitchesOfChannel(options, 1), (std::vector<int>{SwitchId::kBass}));
    EXPECT_EQ(PartSwitchesOfChannel(options, 0), (std::vector<int>{}));
}

TEST(SwitchBoardTest, OptionsOnUnusedChannelsChangeNothingButARemovedPartStillMutes) {
    SongOptions options;
    ResetSongOptions(options);
    options.channelUsed[0] = 1;
    options.partChannels[PartKind::kBass] = (1u << 0) | (1u << 1);  // a used and an unused channel
    ConversionRequest request;
    request.mute[5] = true;        // channel 6 is not used: its switch is disabled
    request.volumeDown[0] = true;  // channel 1 is used
    request.removedParts = {SwitchId::kBass};
    request.preCount = false;
    request.tempoPercent = 80;
    ApplyRequestedOptions(request, options);
    EXPECT_EQ(options.mute[5], 0);
    EXPECT_EQ(options.volumeDown[0], 1);
    EXPECT_EQ(options.mute[0], 1);
    EXPECT_EQ(options.mute[1], 1);  // as ApplyMinusOne sets it, used or not
    EXPECT_TRUE(options.minusBass);
    EXPECT_FALSE(options.preCount);
    EXPECT_EQ(options.tempoPercent, 80);
}

}  // namespace
