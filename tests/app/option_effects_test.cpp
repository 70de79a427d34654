// What each option of the option command line does to the messages the
// module receives: the options are set as the window's switches set them,
// and the song is converted in-process so that the module's call log can be
// read.
#include <algorithm>

#include "app/options/option_command_line.h"
#include "app/options/requested_options.h"
#include "module_fixture.h"
#include "render/conversion_ui.h"
#include "render/convert_song.h"

namespace {

constexpr std::uint32_t kNoteOn = 0x90;
constexpr std::uint32_t kControlChange = 0xB0;
constexpr int kClickKey = 37;

std::uint32_t Status(const QnsTestCall& call) { return call.message & 0xFF; }
int Data1(const QnsTestCall& call) { return (call.message >> 8) & 0xFF; }
int Data2(const QnsTestCall& call) { return (call.message >> 16) & 0xFF; }
bool IsNoteOn(const QnsTestCall& call, int channel) {
    return call.function == QNSTEST_SEND_SHORT && Status(call) == (kNoteOn | (channel - 1)) && Data2(call) > 0;
}

class OptionEffects : public ModuleTest {
protected:
    // Converts the practice song with the options of `arguments`; returns the module's calls.
    std::vector<QnsTestCall> Convert(std::vector<std::string> arguments, int quarters = 1) {
        arguments.push_back("song.mid");
        const ParsedCommandLine parsed = ParseOptionCommandLine(arguments);
        EXPECT_EQ(parsed.error, "");
        Open(WriteSong("song.mid", PracticeSong(quarters)));
        ApplyRequestedOptions(parsed.request, dlg.m_songOptions);
        probe->Reset();
        HeadlessConversionUi ui;
        CollectingReport report;
        ConvertSongToWav(dlg.ConversionInput(), render, dir.path() + "/song.wav", ui, report);
        EXPECT_TRUE(report.lines.empty());
        return probe->Calls();
    }
    int NoteOns(const std::vector<QnsTestCall>& calls, int channel) {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [channel](const QnsTestCall& c) { return IsNoteOn(c, channel); }));
    }
    // The block in which the last note starts.
    int LastNoteBlock(const std::vector<QnsTestCall>& calls) {
        int block = -1;
        for (const QnsTestCall& call : calls) {
            if (call.function == QNSTEST_SEND_SHORT && (Status(call) & 0xF0) == kNoteOn && Data2(call) > 0) block = call.block;
        }
        return block;
    }
};

TEST_F(OptionEffects, AMutedChannelSendsNoNotesButStillItsExclusiveMessage) {
    const auto calls = Convert({"--no-precount", "--mute", "2"});
    EXPECT_EQ(NoteOns(calls, 2), 0);
    EXPECT_EQ(NoteOns(calls, 1), 2);
    const auto exclusive = std::find_if(calls.begin(), calls.end(), [](const QnsTestCall& c) { return c.function == QNSTEST_SEND_LONG; });
    ASSERT_NE(exclusive, calls.end());
    EXPECT_EQ(probe->CallData(static_cast<int>(exclusive - calls.begin())),
              (std::vector<std::uint8_t>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

TEST_F(OptionEffects, VolumeDownHalvesTheChannelsVolume) {
    for (const auto& [arguments, volume] : {std::pair{std::vector<std::string>{"--no-precount"}, 100},
                                            std::pair{std::vector<std::string>{"--no-precount", "--volume-down=2"}, 50}}) {
        const auto calls = Convert(arguments);
        const auto cc7 = std::find_if(calls.begin(), calls.end(), [](const QnsTestCall& c) {
            return c.function == QNSTEST_SEND_SHORT && Status(c) == (kControlChange | 1) && Data1(c) == 7;
        });
        ASSERT_NE(cc7, calls.end());
        EXPECT_EQ(Data2(*cc7), volume);
    }
}

TEST_F(OptionEffects, EachRemovedPartLosesItsNotesAndOnlyThose) {
    const std::vector<std::pair<std::string, int>> parts = {{"bass", 2}, {"melody", 4}, {"guitar", 5}, {"drums", 10}};
    for (const auto& [part, channel] : parts) {
        const auto calls = Convert({"--no-precount", "--minus", part});
        for (const auto& [other, otherChannel] : parts) {
            EXPECT_EQ(NoteOns(calls, otherChannel), otherChannel == channel ? 0 : 1) << part << " removed, channel " << otherChannel;
        }
        EXPECT_EQ(NoteOns(calls, 1), 2);
    }
}

TEST_F(OptionEffects, HalfTempoDoublesTheTimeToTheLastNote) {
    const int full = LastNoteBlock(Convert({"--no-precount"}));
    const int half = LastNoteBlock(Convert({"--no-precount", "--tempo", "50"}));
    ASSERT_GT(full, 10);
    EXPECT_NEAR(half, 2 * full, 2);
}

TEST_F(OptionEffects, ThePreCountPutsFourClicksInFrontOnlyWhenOn) {
    const auto clicks = [](const std::vector<QnsTestCall>& calls) {
        return std::count_if(calls.begin(), calls.end(), [](const QnsTestCall& c) { return IsNoteOn(c, 10) && Data1(c) == kClickKey; });
    };
    EXPECT_EQ(clicks(Convert({"--precount", "off"})), 0);
    const auto calls = Convert({"--precount=on"});
    EXPECT_EQ(clicks(calls), 4);
    EXPECT_GT(LastNoteBlock(calls), LastNoteBlock(Convert({"--no-precount"})));
}

}  // namespace
