// Channel information of songs built in memory: drum channels, reset mode,
// program names and used channels.
#include "tone/channel_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/song_options.h"
#include "model/song_container.h"
#include "tests/tone/tone_test_folders.h"
#include "tone/tone_library.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kVendorReset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const Bytes kGmSystemOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
const Bytes kGm2SystemOn = {0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7};
const Bytes kOtherExclusive = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};

// The rhythm-part message for part byte `part` with `value`, checksum and F7.
Bytes RhythmPart(std::uint8_t part, std::uint8_t value) {
    const std::uint8_t sum = static_cast<std::uint8_t>(0x40 + part + 0x15 + value);
    return {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, part, 0x15, value, static_cast<std::uint8_t>((0x80 - (sum & 0x7F)) & 0x7F), 0xF7};
}

TrackEvent Note(std::uint8_t note) {
    TrackEvent event = MakeEvent(note);
    event.SetGate(240);
    event.SetU8(6, 100);
    return event;
}
TrackEvent Control(std::uint8_t controller, std::uint8_t value) {
    TrackEvent event = MakeEvent(EventKind::kControl);
    event.SetU8(4, controller);
    event.SetU8(5, value);
    return event;
}
TrackEvent Program(std::uint8_t program) {
    TrackEvent event = MakeEvent(EventKind::kProgram);
    event.SetU8(4, program);
    return event;
}

class ChannelInfo : public ::testing::Test {
protected:
    void SetUp() override {
        // QNS: melodic names on page 0 (columns are bank MSB 0 and 8), kits on drum page 0.
        TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.TNF"),
                               TempToneFolders::Join({"QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=1",
                                                      "PAGE=0\tMelodic", "KIND=0", "TONECOUNT=3", "titles",
                                                      "1\tPiano 1\t\t\t\t\t\t\t\tPiano 1w", "2\tPiano 2",
                                                      "3\tPiano 3"}));
        TempToneFolders::Write(temp.ProgramPath("TONE/QNS/QNS.DRF"),
                               TempToneFolders::Join({"QBX DRUMFILE Ver 2.0", "", "PAGECOUNT=1", "PAGE=0\tKits",
                                                      "TONECOUNT=26", "titles", "0\tStandard Set", "1", "2", "3", "4",
                                                      "5", "6", "7", "8\tRoom Set", "9", "10", "11", "12", "13", "14",
                                                      "15", "16", "17", "18", "19", "20", "21", "22", "23", "24",
                                                      "25\tAnalog Set"}));
        // GM2: melodic names on pages 0 and 121 (columns are bank LSB), kits on page 120.
        TempToneFolders::Write(temp.ProgramPath("TONE/GM2/GM2.TNF"),
                               TempToneFolders::Join({"QBX TONEFILE Ver 2.0", "", "BANKCONTROLCC#=0", "PAGECOUNT=3",
                                                      "PAGE=0\tGM", "KIND=0", "TONECOUNT=1", "titles",
                                                      "1\tAcoustic Grand Piano",
                                                      "PAGE=120\tDrums", "KIND=1", "TONECOUNT=1", "titles",
                                                      "1\tGM2 Standard Set",
                                                      "PAGE=121\tMelodic", "KIND=0", "TONECOUNT=2", "titles",
                                                      "1\tGM2 Grand Piano\tWide Acoustic Grand",
                                                      "2\tBright Acoustic Piano"}));
        library = BuildToneLibrary(temp.Folders());
        ResetSongOptions(options);
    }

    // Appends `events` to part `part`, one tick apart, and sets its channel byte.
    void AddPart(int part, std::uint8_t channelByte, const std::vector<TrackEvent>& events) {
        song.partChannel[part] = channelByte;
        CursorGuard cursor(song, PartSlot(part));
        int tick = 0;
        for (TrackEvent event : events) {
            event.SetStep(0);
            Seek(*cursor, tick++, 0);
            InsertAtTime(*cursor, event);
        }
    }
    void AddExclusive(int index, const Bytes& bytes) {
        ASSERT_EQ(ExclusiveStore(index, *song.exclusiveTable, static_cast<int>(bytes.size()), bytes.data()), 0);
    }
    void Run() { ChannelInfoPass(song, options, library.get()); }

    TempToneFolders temp;
    std::unique_ptr<ToneLibrary> library;
    SongContainer song{1};
    SongOptions options;
};

TEST_F(ChannelInfo, ASongWithoutExclusiveMessagesIsInVendorModeAndNamesKitsFromTheDrumPage) {
    AddPart(9, 9, {Program(25), Note(36)});
    AddPart(0, 0, {Control(0, 8), Program(0), Note(60)});
    Run();
    EXPECT_EQ(options.resetMode, 1);
    EXPECT_EQ(options.toneName[9], "Analog Set");
    EXPECT_EQ(options.program[9], 25);
    EXPECT_EQ(options.channelUsed[9], 1);
    EXPECT_EQ(options.toneName[0], "Piano 1w");  // bank MSB 8 is column 8
}

TEST_F(ChannelInfo, TheResetWhoseFirstOccurrenceComesLastDecidesTheMode) {
    struct Case {
        std::vector<std::pair<int, Bytes>> messages;
        int mode;
    };
    const Case cases[] = {
        {{{0, kVendorReset}, {3, kGmSystemOn}}, 0},
        {{{0, kGm2SystemOn}, {2, kVendorReset}}, 1},
        {{{4, kGm2SystemOn}}, 0},
        {{{1, kGmSystemOn}, {2, kGm2SystemOn}, {3, kVendorReset}, {5, kGmSystemOn}}, 1},
        {{{0, kVendorReset}, {1, kGmSystemOn}, {2, kGm2SystemOn}}, 0},
        {{{0, kOtherExclusive}}, 1},
    };
    for (const Case& c : cases) {
        ExclusiveClear(*song.exclusiveTable);
        for (const auto& [index, bytes] : c.messages) AddExclusive(index, bytes);
        ResetSongOptions(options);
        Run();
        EXPECT_EQ(options.resetMode, c.mode) << "first index " << c.messages.front().first;
    }
}

TEST_F(ChannelInfo, RhythmPartMessagesWithValues1And2MarkDrumChannels) {
    AddExclusive(0, RhythmPart(0x1A, 0x02));
    AddExclusive(1, RhythmPart(0x11, 0x01));
    AddExclusive(2, RhythmPart(0x1F, 0x00));  // value 0: a normal part
    Run();
    EXPECT_EQ(options.drumChannel[10], 1);
    EXPECT_EQ(options.drumChannel[0], 1);
    EXPECT_EQ(options.drumChannel[15], 0);
    EXPECT_EQ(options.drumChannel[9], 1);
    int marked = 0;
    for (const int flag : options.drumChannel) marked += flag;
    EXPECT_EQ(marked, 3);
}

TEST_F(ChannelInfo, RhythmPartValue0ClearsTheMarkTheLaterMessageWinning) {
    // An electric piano on channel 4 and a saxophone on channel 10 set to
    // normal parts; channel 5 set to drums and back, channel 6 the reverse.
    AddExclusive(0, RhythmPart(0x14, 0x00));
    AddExclusive(1, RhythmPart(0x10, 0x00));
    AddExclusive(2, RhythmPart(0x15, 0x01));
    AddExclusive(3, RhythmPart(0x15, 0x00));
    AddExclusive(4, RhythmPart(0x16, 0x00));
    AddExclusive(5, RhythmPart(0x16, 0x02));
    Run();
    EXPECT_EQ(options.drumChannel[3], 0);
    EXPECT_EQ(options.drumChannel[9], 0);
    EXPECT_EQ(options.drumChannel[4], 0);
    EXPECT_EQ(options.drumChannel[5], 1);
}

TEST_F(ChannelInfo, ARhythmPartMessageForPart10WithADrumMapChangesNothing) {
    AddExclusive(0, RhythmPart(0x10, 0x02));
    Run();
    SongOptions defaults;
    ResetSongOptions(defaults);
    EXPECT_EQ(options.drumChannel, defaults.drumChannel);
}

TEST_F(ChannelInfo, AShortenedRhythmPartMessageWithoutAPartMarksNothing) {
    AddExclusive(0, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0xF7});
    AddExclusive(1, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x13});  // cut off before its F7
    Run();
    int marked = 0;
    for (const int flag : options.drumChannel) marked += flag;
    EXPECT_EQ(marked, 1);
}

TEST_F(ChannelInfo, ADrumChannelFromARhythmPartMessageIsNamedFromTheDrumPage) {
    AddExclusive(0, RhythmPart(0x1A, 0x01));
    AddPart(10, 10, {Program(8), Note(38)});
    Run();
    EXPECT_EQ(options.toneName[10], "Room Set");
}

TEST_F(ChannelInfo, InGmModeBank120MakesADrumChannelNamedFromGm2Page120) {
    AddExclusive(0, kGmSystemOn);
    AddPart(3, 3, {Control(0, 120), Program(0), Note(36)});
    Run();
    EXPECT_EQ(options.resetMode, 0);
    EXPECT_EQ(options.drumChannel[3], 1);
    EXPECT_EQ(options.toneName[3], "GM2 Standard Set");
}

TEST_F(ChannelInfo, InVendorModeBank120IsJustABank) {
    AddPart(3, 3, {Control(0, 120), Program(0), Note(36)});
    Run();
    EXPECT_EQ(options.drumChannel[3], 0);
    EXPECT_EQ(options.toneName[3], "");  // column 120 of page 0 holds no name
}

TEST_F(ChannelInfo, InGmModeMelodicNamesComeFromThePageOfTheBankMsbAndTheColumnOfTheLsb) {
    AddExclusive(0, kGm2SystemOn);
    AddPart(0, 0, {Control(0, 121), Control(32, 1), Program(0), Note(60)});
    AddPart(1, 1, {Program(0), Note(40)});
    Run();
    EXPECT_EQ(options.toneName[0], "Wide Acoustic Grand");
    EXPECT_EQ(options.toneName[1], "Acoustic Grand Piano");
}

TEST_F(ChannelInfo, InGmModeTheDrumChannelWithoutABankSelectIsNamedFromTheDrumBank) {
    AddExclusive(0, kGmSystemOn);
    AddPart(9, 9, {Program(0), Note(36)});
    Run();
    EXPECT_EQ(options.toneName[9], "GM2 Standard Set");
}

TEST_F(ChannelInfo, AProgramChangeAfterTheFirstNoteDoesNotChangeTheName) {
    AddPart(0, 0, {Program(1), Note(60), Program(2)});
    Run();
    EXPECT_EQ(options.toneName[0], "Piano 2");
    EXPECT_EQ(options.program[0], 1);
}

TEST_F(ChannelInfo, APartStartingWithANoteKeepsTheDefaultNames) {
    AddPart(0, 0, {Note(60), Program(2)});
    AddPart(9, 9, {Note(36), Program(25)});
    Run();
    EXPECT_EQ(options.toneName[0], "Piano 1");
    EXPECT_EQ(options.toneName[9], "Standard Set");
    EXPECT_EQ(options.channelUsed[0], 1);
    EXPECT_EQ(options.channelUsed[9], 1);
}

TEST_F(ChannelInfo, APartWithoutNotesNamesItsChannelButDoesNotMarkItUsed) {
    AddPart(5, 5, {Program(2)});
    Run();
    EXPECT_EQ(options.toneName[5], "Piano 3");
    EXPECT_EQ(options.program[5], 2);
    EXPECT_EQ(options.channelUsed[5], 0);
}

TEST_F(ChannelInfo, AProgramWithoutANameGivesAnEmptyName) {
    AddPart(0, 0, {Program(100), Note(60)});
    Run();
    EXPECT_EQ(options.toneName[0], "");
    EXPECT_EQ(options.program[0], 100);
}

TEST_F(ChannelInfo, BanksAreTrackedPerPartAndTheLaterPartOnAChannelWins) {
    AddPart(0, 0, {Control(0, 8), Program(0), Note(60)});
    AddPart(16, 0, {Program(1), Note(62)});  // same channel, port 0, starts again from bank 0
    Run();
    EXPECT_EQ(options.toneName[0], "Piano 2");
}

TEST_F(ChannelInfo, PartsOnOtherPortsAreNotLookedAt) {
    AddPart(4, 0x14, {Program(1), Note(60)});
    Run();
    EXPECT_EQ(options.channelUsed[4], 0);
    EXPECT_EQ(options.toneName[4], "Piano 1");
}

TEST_F(ChannelInfo, WithoutALibraryNamesAreEmptyAndTheRestStillRuns) {
    AddPart(2, 2, {Program(1), Note(60)});
    ChannelInfoPass(song, options, nullptr);
    EXPECT_EQ(options.toneName[2], "");
    EXPECT_EQ(options.program[2], 1);
    EXPECT_EQ(options.channelUsed[2], 1);
}

}  // namespace
