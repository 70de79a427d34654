// The SMF reader: header checks, the prefix, divisions, running status,
// chunk-to-part mapping, home channels, exclusive messages.
#include <gtest/gtest.h>

#include "smf_test_support.h"

namespace {

using smftest::Bytes;
using smftest::Chunk;
using smftest::Imported;
using smftest::Smf;

constexpr int kSlot0 = kFirstPartSlot;

std::vector<int> Ticks(const std::vector<smftest::Ev>& events) {
    std::vector<int> ticks;
    for (const auto& e : events) ticks.push_back(e.tick);
    return ticks;
}

TEST(SmfHeader, AMissingFileIsReportedAsFileNotFound) {
    Imported im;
    im.load = LoadMidiFile("/nonexistent/folder/song.mid", im.song, im.report);
    EXPECT_EQ(im.load.result, ImportResult::kFileNotFound);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"FileNotFound"});
}

TEST(SmfHeader, AFolderNamedLikeAMidiFileIsReportedAsFileNotFound) {
    const auto folder = std::filesystem::path(smftest::WriteTempFile({})).replace_extension("folder.mid");
    std::filesystem::create_directory(folder);
    Imported im;
    im.load = LoadMidiFile(folder.string(), im.song, im.report);
    std::filesystem::remove(folder);
    EXPECT_EQ(im.load.result, ImportResult::kFileNotFound);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"FileNotFound"});
}

TEST(SmfHeader, AFileWithoutMThdIsNotSmf) {
    Imported im;
    smftest::ImportBytes(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, im);
    EXPECT_EQ(im.load.result, ImportResult::kNoHeader);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
}

TEST(SmfHeader, AFileWithoutAnyMTrkIsNotSmf) {
    Bytes bytes = Smf(0, 480, {Chunk("XFIH").End(), Chunk("JUNK").End()});
    Imported im;
    smftest::ImportBytes(bytes, im);
    EXPECT_EQ(im.load.result, ImportResult::kNoTrack);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
}

TEST(SmfHeader, AnUnknownChunkRightAfterTheHeaderIsSkipped) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk("JUNK").Raw({1, 2, 3}), Chunk().Text(0, 0x03, "Song").At(0, {0xC0, 1}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(im.song.infoStrings[InfoString::kTitle], "Song") << "the lead-in scan reads the first track chunk";
    EXPECT_EQ(smftest::Sounding(im.song, kSlot0).size(), 1u);
}

TEST(SmfHeader, AHeaderCutShortIsMissingItsTrackChunk) {
    // 16: inside the first chunk's identifier; 18 to 21: inside its length.
    for (std::size_t length : {9u, 13u, 16u, 18u, 19u, 21u}) {
        Bytes bytes = Smf(0, 480, {Chunk().End()});
        bytes.resize(length);
        Imported im;
        smftest::ImportBytes(bytes, im);
        EXPECT_EQ(im.load.result, ImportResult::kNoTrack) << length << " bytes";
        EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
    }
}

TEST(SmfHeader, ADivisionOfZeroIsNotSmf) {
    Imported im;
    smftest::ImportBytes(Smf(0, 0, {Chunk().NoteOn(0, 0, 60, 100).End()}), im);
    EXPECT_LT(im.load.result, 0);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
    EXPECT_EQ(im.song.SlotTrack(kSlot0), nullptr);
}

TEST(SmfHeader, AFileBehindA128BytePrefixImportsLikeTheSameFileWithoutIt) {
    const Bytes plain = Smf(0, 480, {Chunk().Text(0, 0x03, "Song").NoteOn(0, 0, 60, 100).NoteOff(480, 0, 60).End()});
    Bytes prefixed(128, 0xAA);
    prefixed.insert(prefixed.end(), plain.begin(), plain.end());
    Imported a, b;
    smftest::ImportBytes(plain, a);
    smftest::ImportBytes(prefixed, b);
    ASSERT_EQ(b.load.result, 0);
    EXPECT_EQ(b.song.infoStrings[InfoString::kTitle], "Song");
    const auto ea = smftest::Events(a.song, kSlot0);
    const auto eb = smftest::Events(b.song, kSlot0);
    ASSERT_EQ(ea.size(), eb.size());
    for (std::size_t i = 0; i < ea.size(); ++i) EXPECT_EQ(ea[i].event, eb[i].event);
}

// A RIFF "RMID" file around `smf`, with an "INFO" list before and after.
Bytes Rmid(const Bytes& smf) {
    auto le32 = [](std::size_t n) {
        return Bytes{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
                     static_cast<std::uint8_t>(n >> 24)};
    };
    Bytes body{'R', 'M', 'I', 'D'};
    const Bytes list{'L', 'I', 'S', 'T', 5, 0, 0, 0, 'I', 'N', 'F', 'O', 'x', 0};  // odd length, padded
    body.insert(body.end(), list.begin(), list.end());
    const Bytes data{'d', 'a', 't', 'a'};
    body.insert(body.end(), data.begin(), data.end());
    const Bytes size = le32(smf.size());
    body.insert(body.end(), size.begin(), size.end());
    body.insert(body.end(), smf.begin(), smf.end());
    body.insert(body.end(), list.begin(), list.end());
    Bytes file{'R', 'I', 'F', 'F'};
    const Bytes total = le32(body.size());
    file.insert(file.end(), total.begin(), total.end());
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

TEST(SmfHeader, ARiffRmidFileImportsLikeTheMidiFileInItsDataChunk) {
    const Bytes plain = Smf(1, 96, {Chunk().Text(0, 0x03, "Song").Tempo(0, 600000).End(),
                                    Chunk().NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).End(),
                                    Chunk().At(0, {0xC1, 5}).End(192)});
    Imported a, b;
    smftest::ImportBytes(plain, a);
    smftest::ImportBytes(Rmid(plain), b);
    ASSERT_EQ(b.load.result, 0);
    EXPECT_EQ(b.song.infoStrings[InfoString::kTitle], "Song");
    for (int slot : {kTempoSlot, PartSlot(0), PartSlot(1), PartSlot(2)}) {
        const auto ea = smftest::Events(a.song, slot);
        const auto eb = smftest::Events(b.song, slot);
        ASSERT_EQ(ea.size(), eb.size()) << slot;
        for (std::size_t i = 0; i < ea.size(); ++i) EXPECT_EQ(ea[i].event, eb[i].event) << slot;
    }
}

TEST(SmfHeader, ARiffFileWithoutMidiDataIsNotSmf) {
    Bytes wave = Rmid(Smf(0, 480, {Chunk().End()}));
    wave[8] = 'W';  // "WMID": another form
    Imported im;
    smftest::ImportBytes(wave, im);
    EXPECT_EQ(im.load.result, ImportResult::kNoHeader);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
}

// A file with the header's length field set to `length`: the header's data
// is padded with zeros to that length.
Bytes WithHeaderLength(Bytes bytes, std::uint8_t length) {
    bytes[7] = length;
    if (length > kHeaderDataBytes)
        bytes.insert(bytes.begin() + kChunkHeaderBytes + kHeaderDataBytes, length - kHeaderDataBytes, 0);
    return bytes;
}

TEST(SmfHeader, AHeaderLongerThanSixBytesImportsLikeItsSixByteTwin) {
    const Bytes twin = Smf(1, 96, {Chunk().Tempo(0, 600000).End(), Chunk().NoteOn(0, 2, 60, 100).NoteOff(96, 2, 60).End()});
    Imported six;
    Imported ten;
    smftest::ImportBytes(twin, six);
    smftest::ImportBytes(WithHeaderLength(twin, 10), ten);
    ASSERT_EQ(ten.load.result, 0);
    EXPECT_EQ(smftest::Sounding(ten.song, kTempoSlot).size(), 1u) << "the first chunk starts behind the header";
    const auto notes = smftest::Sounding(ten.song, kSlot0);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].Gate(), 480);
    EXPECT_EQ(Ticks(smftest::Events(ten.song, kSlot0)), Ticks(smftest::Events(six.song, kSlot0)));
}

TEST(SmfHeader, AHeaderShorterThanSixBytesIsNotSmf) {
    Imported im;
    smftest::ImportBytes(WithHeaderLength(Smf(0, 480, {Chunk().At(0, {0xC0, 1}).End()}), 5), im);
    EXPECT_EQ(im.load.result, ImportResult::kNoHeader);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
}

TEST(SmfHeader, AHeaderLengthRunningPastTracksRightBehindSixBytesReadsThoseTracks) {
    // The header says 100 bytes, but its track chunk starts at byte 14 and
    // nothing stands at byte 108: the length field is wrong, not the file.
    Bytes bytes = Smf(0, 480, {Chunk().NoteOn(0, 2, 60, 100).NoteOff(480, 2, 60).End()});
    bytes[7] = 100;
    Imported im;
    smftest::ImportBytes(bytes, im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(2)).size(), 1u);
    // A header whose stated length does lead to a track chunk is read there.
    Imported padded;
    smftest::ImportBytes(WithHeaderLength(Smf(0, 480, {Chunk().At(0, {0xC1, 1}).End()}), 12), padded);
    ASSERT_EQ(padded.load.result, 0);
    EXPECT_EQ(smftest::Sounding(padded.song, PartSlot(1)).size(), 1u);
}

TEST(SmfTicks, Division96ScalesTicksTo480PerQuarter) {
    Imported im;
    smftest::ImportBytes(Smf(0, 96, {Chunk().At(5, {0xC0, 1}).End()}), im);
    EXPECT_EQ(Ticks(smftest::Sounding(im.song, kSlot0)), std::vector<int>{25});
}

TEST(SmfTicks, TruncationIsTakenFromTheAccumulatedRawCount) {
    Imported im;
    smftest::ImportBytes(Smf(0, 1000, {Chunk().At(1, {0xC0, 1}).At(1, {0xC0, 2}).At(1, {0xC0, 3}).End()}), im);
    EXPECT_EQ(Ticks(smftest::Sounding(im.song, kSlot0)), (std::vector<int>{0, 0, 1}));
}

TEST(SmfTicks, ASmpteDivisionCountsFramesPlayedAtTheDefault120Bpm) {
    // 25 frames of 40 ticks: 1000 ticks a second; a second is 960 song ticks.
    const int division = 0xE728;
    Imported im;
    smftest::ImportBytes(
        Smf(0, division, {Chunk().Tempo(0, 1000000).At(1000, {0xC0, 1}).At(180000, {0xC0, 2}).End()}), im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(Ticks(smftest::Sounding(im.song, kSlot0)), (std::vector<int>{960, 181 * 960}));
    EXPECT_TRUE(smftest::Sounding(im.song, kTempoSlot).empty()) << "the file's tempo is not used";
}

TEST(SmfTicks, ADropFrameSmpteDivisionCounts2997FramesIn100Seconds) {
    const int division = 0xE364;  // 29.97 frames of 100 ticks
    Imported im;
    smftest::ImportBytes(Smf(0, division, {Chunk().At(2997, {0xC0, 1}).End()}), im);
    EXPECT_EQ(Ticks(smftest::Sounding(im.song, kSlot0)), std::vector<int>{960});
}

TEST(SmfTicks, ASmpteDivisionWithoutTicksPerFrameIsNotSmf) {
    Imported im;
    smftest::ImportBytes(Smf(0, 0xE700, {Chunk().At(0, {0xC0, 1}).End()}), im);
    EXPECT_EQ(im.load.result, ImportResult::kNoHeader);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is not SMF"});
}

TEST(SmfTicks, HugeDeltaTimesStopAtTheImportLimit) {
    Imported im;
    smftest::ImportBytes(Smf(0, 1, {Chunk().At(0x0FFFFFFF, {0xC0, 1}).End()}), im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(Ticks(smftest::Sounding(im.song, kSlot0)), std::vector<int>{kMaxImportTick});
}

TEST(SmfEvents, RunningStatusCarriesAcrossAMetaEvent) {
    Imported im;
    smftest::ImportBytes(
        Smf(0, 480, {Chunk().NoteOn(0, 3, 60, 100).Text(0, 0x06, "x").At(0, {62, 100}).End(480)}), im);
    const auto notes = smftest::Sounding(im.song, PartSlot(3));
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].Kind(), 60);
    EXPECT_EQ(notes[1].Kind(), 62);
}

TEST(SmfEvents, AMetaEventWhoseLengthTakesTwoBytesIsSkippedWhole) {
    // 130 data bytes: the length is the two bytes 0x81 0x02. Read as the one
    // byte 0x81, the event would end two bytes early, on "0x00 0x95": a
    // note-on on channel 6 that the chunk does not hold.
    Bytes data(128, 0);
    data.push_back(0x00);
    data.push_back(0x95);
    for (const int type : {0x51, 0x58, 0x59, 0x21}) {
        Imported im;
        smftest::ImportBytes(Smf(1, 480, {Chunk().Meta(0, type, data).Text(0, 0x03, "Song").NoteOn(0, 0, 50, 90).NoteOff(480, 0, 50).End(),
                                          Chunk().Meta(0, type, data).NoteOn(0, 1, 60, 100).NoteOff(480, 1, 60).End()}),
                             im);
        ASSERT_EQ(im.load.result, 0) << type;
        EXPECT_EQ(im.song.infoStrings[InfoString::kTitle], "Song") << "the lead-in scan, meta type " << type;
        EXPECT_EQ(im.song.partChannel[1], 0x01) << "meta type " << type;
        const auto notes = smftest::Sounding(im.song, PartSlot(1));
        ASSERT_EQ(notes.size(), 1u) << type;
        EXPECT_EQ(notes[0].Kind(), 60) << type;
    }
}

TEST(SmfEvents, EveryChunkStartsWithoutRunningStatus) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC4, 1}).End(), Chunk().At(0, {5}).At(0, {0xC5, 2}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0)).size(), 1u);
    EXPECT_TRUE(smftest::Sounding(im.song, PartSlot(1)).empty()) << "a data byte first ends the second chunk";
}

// One bar of one note in a conductor chunk and a note chunk, as the header
// counts them, then a chunk the header does not count: a sequencer's own
// data (read as a long delta time) and zeros.
Bytes OneBarWithTrailingZeroChunk() {
    Bytes bytes = Smf(1, 480, {Chunk().TimeSig(0, 4, 2).Tempo(0, 500000).End(1920),
                               Chunk().NoteOn(0, 0, 60, 100).NoteOff(1920, 0, 60).End(),
                               Chunk().Raw({0x8F, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00})});
    bytes[11] = 2;
    return bytes;
}

TEST(SmfChunks, ZerosInAChunkPastTheHeadersCountAddNothing) {
    Imported im;
    smftest::ImportBytes(OneBarWithTrailingZeroChunk(), im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(SongLengthTicks(im.song), 1920);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0)).size(), 1u);
    EXPECT_EQ(smftest::Events(im.song, PartSlot(0)).back().tick, 1920);
}

TEST(SmfChunks, MusicInChunksPastTheHeadersCountIsRead) {
    Bytes bytes = Smf(1, 480, {Chunk().At(0, {0xC0, 1}).End(), Chunk().At(0, {0xC1, 2}).End()});
    bytes[11] = 1;
    Imported im;
    smftest::ImportBytes(bytes, im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u);
}

// A scale of C major on channel 1 in one running status, with `system` (a
// one-byte system message and its data bytes) after the third note, behind a
// conductor chunk that has the same message in front of its title.
Bytes ScaleWith(const Bytes& system) {
    const std::uint8_t keys[] = {60, 62, 64, 65, 67, 69, 71, 72};
    Chunk scale;
    scale.At(0, {0x91, keys[0], 100}).At(240, {keys[0], 0});
    for (int i = 1; i < 8; ++i) {
        if (i == 3) scale.At(0, {}).Raw(system);
        scale.At(0, {keys[i], 100}).At(240, {keys[i], 0});
    }
    Chunk conductor;
    conductor.At(0, {}).Raw(system);
    return Smf(1, 480, {conductor.Text(0, 0x03, "Scale").Tempo(0, 500000).End(), scale.End()});
}

TEST(SmfEvents, OneByteSystemMessagesAreSkippedWithTheirDataBytesKeepingRunningStatus) {
    const std::vector<Bytes> messages = {{0xF1, 0x10}, {0xF2, 0x20, 0x01}, {0xF3, 0x02}, {0xF4}, {0xF5},
                                         {0xF6},       {0xF8},             {0xF9},       {0xFA}, {0xFB},
                                         {0xFC},       {0xFD},             {0xFE}};
    for (const Bytes& message : messages) {
        Imported im;
        smftest::ImportBytes(ScaleWith(message), im);
        ASSERT_EQ(im.load.result, 0);
        const auto notes = smftest::Sounding(im.song, PartSlot(0));
        ASSERT_EQ(notes.size(), 8u) << std::hex << int{message[0]};
        EXPECT_EQ(notes[7].Kind(), 72);
        EXPECT_EQ(notes[7].tick, 7 * 240);
        EXPECT_EQ(im.song.partChannel[0] & 0x0F, 1);
        EXPECT_EQ(im.song.infoStrings[InfoString::kTitle], "Scale") << std::hex << int{message[0]};
        EXPECT_EQ(smftest::Sounding(im.song, kTempoSlot).size(), 1u);
    }
}

TEST(SmfEvents, ProgramChangeAndChannelPressureTakeOneDataByte) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().At(0, {0xC0, 5}).At(0, {0xD0, 9}).At(0, {0xB0, 7, 99}).End()}), im);
    const auto events = smftest::Sounding(im.song, kSlot0);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Kind(), 0xC0);
    EXPECT_EQ(events[0].event.U8(4), 5);
    EXPECT_EQ(events[1].Kind(), 0xD0);
    EXPECT_EQ(events[1].event.U8(4), 9);
    EXPECT_EQ(events[2].event.U8(5), 99);
}

TEST(SmfEvents, DataBytesWithTheTopBitSetKeepOnlyTheirLowSevenBits) {
    Imported im;
    smftest::ImportBytes(
        Smf(0, 480, {Chunk().At(0, {0x90, 0xBC, 0xE4}).At(0, {0xC0, 0xF5}).At(0, {0xB0, 0x87, 0xFF}).End(10)}), im);
    const auto events = smftest::Sounding(im.song, kSlot0);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Kind(), 0x3C);
    EXPECT_EQ(events[0].event.Velocity(), 0x64);
    EXPECT_EQ(events[1].event.U8(4), 0x75);
    EXPECT_EQ(events[2].event.U8(4), 7);
    EXPECT_EQ(events[2].event.U8(5), 0x7F);
}

TEST(SmfEvents, AnEscapeEventIsSkippedAndLeavesNoTrace) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().At(0, {0xF7, 2, 0x43, 0x10}).At(0, {0xC0, 1}).End()}), im);
    const auto events = smftest::Sounding(im.song, kSlot0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Kind(), 0xC0);
}

TEST(SmfEvents, ADataByteBeforeAnyStatusEndsTheChunk) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().At(0, {60, 100}).At(0, {0xC0, 1}).End()}), im);
    EXPECT_EQ(im.load.result, 0);
    EXPECT_TRUE(smftest::Sounding(im.song, kSlot0).empty());
}

TEST(SmfEvents, NotesOfAFileArePairedAndLongOnesSplit) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().NoteOn(0, 0, 60, 100).NoteOff(5000, 0, 60).End()}), im);
    const auto notes = smftest::Sounding(im.song, kSlot0);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(Ticks(notes), (std::vector<int>{0, 1920, 3840}));
    EXPECT_EQ(notes[2].Gate(), 1160);
}

TEST(SmfEvents, ADensePassageOfAFormat0FileKeepsEveryHeldNote) {
    // 100 notes held at once over four channels, then released together.
    Chunk chunk;
    for (int i = 0; i < 100; ++i) chunk.NoteOn(0, i % 4, 20 + i, 90);
    chunk.At(480, {0xC0, 1});
    for (int i = 0; i < 100; ++i) chunk.NoteOff(0, i % 4, 20 + i);
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {chunk.End()}), im);
    int notes = 0;
    for (int part = 0; part < 4; ++part)
        for (const auto& e : smftest::Sounding(im.song, PartSlot(part)))
            if (e.event.IsNote()) {
                ++notes;
                EXPECT_EQ(e.Gate(), 480);
            }
    EXPECT_EQ(notes, 100);
}

TEST(SmfEvents, ANoteStillHeldAtTheChunkEndIsClosedThere) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().NoteOn(0, 0, 60, 100).End(300)}), im);
    const auto events = smftest::Events(im.song, kSlot0);
    EXPECT_EQ(events.front().Gate(), 301);
    EXPECT_TRUE(events.back().event.IsEnd());
    EXPECT_EQ(events.back().tick, 300) << "the track reaches the chunk's end";
}

TEST(SmfChunks, BytesAfterTheEndOfTrackEventUpToTheDeclaredEndAreSkipped) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).End().Raw({0, 0, 0, 0}),
                                      Chunk().At(0, {0xC1, 2}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0)).size(), 1u);
    ASSERT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u) << "the second chunk is read";
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1))[0].event.U8(4), 2);
}

TEST(SmfChunks, AChunkWithoutEndOfTrackEndsAtItsDeclaredLength) {
    // Without the length, "MTrk" of the next header would be read as running
    // status data: program changes 0x4D, 0x72, ...
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).NoteOn(0, 0, 60, 90).NoteOff(480, 0, 60),
                                      Chunk().At(0, {0xC1, 2}).End(960)}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    const auto first = smftest::Sounding(im.song, PartSlot(0));
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1].Gate(), 480);
    EXPECT_EQ(smftest::Events(im.song, PartSlot(0)).back().tick, 480) << "no events invented after it";
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u);
    EXPECT_EQ(smftest::Events(im.song, PartSlot(1)).back().tick, 960);
}

TEST(SmfChunks, AnExclusiveLengthPastTheChunkEndDoesNotSwallowTheNextChunk) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).At(0, {0xF0, 0x7F, 0x41, 0x10, 0xF7}),
                                      Chunk().At(0, {0xC1, 2}).End(480)}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(im.song.exclusiveTable->lengths[0], 0) << "the cut-off message is not stored";
    EXPECT_EQ(smftest::Events(im.song, PartSlot(0)).back().tick, 0);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u);
}

TEST(SmfChunks, ADataByteWithoutRunningStatusEndsOnlyItsOwnChunk) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {60, 100}).At(0, {0xC0, 1}).End(),
                                      Chunk().At(0, {0xC1, 2}).End(), Chunk().At(0, {0xC2, 3}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    // The broken first chunk holds no channel message, so the next one is part 0.
    const auto part0 = smftest::Sounding(im.song, PartSlot(0));
    const auto part1 = smftest::Sounding(im.song, PartSlot(1));
    ASSERT_EQ(part0.size(), 1u);
    ASSERT_EQ(part1.size(), 1u);
    EXPECT_EQ(part0[0].event.U8(4), 2);
    EXPECT_EQ(part1[0].event.U8(4), 3);
}

TEST(SmfChunks, ALengthRunningPastTheFileIsReadUpToTheEndOfTrackEvent) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).End().DeclaredLength(0x7FFFFFFF),
                                      Chunk().At(0, {0xC1, 2}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0)).size(), 1u);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u);
}

TEST(SmfMapping, Format0PutsEachChannelIntoItsPart) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk()
                                          .Exclusive(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7})
                                          .At(0, {0xC0, 1})
                                          .At(0, {0xC1, 2})
                                          .At(0, {0xC9, 3})
                                          .End()}),
                         im);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0)).size(), 2u);  // exclusive and program
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0))[0].Kind(), EventKind::kExclusive);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(9)).size(), 1u);
    EXPECT_EQ(im.song.partChannel[9], 0x09);
}

TEST(SmfMapping, AConductorChunkDoesNotUseUpAPart) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().Tempo(0, 500000).TimeSig(0, 4, 2).Exclusive(0, {0x41, 0xF7}).End(),
                                      Chunk().At(0, {0xC0, 1}).End(),
                                      Chunk().At(0, {0xC1, 2}).End(),
                                      Chunk().At(0, {0xC2, 3}).End()}),
                         im);
    for (int part = 0; part < 3; ++part) {
        ASSERT_FALSE(smftest::Sounding(im.song, PartSlot(part)).empty()) << part;
        EXPECT_EQ(im.song.partChannel[part] & 0x0F, part);
    }
    const auto first = smftest::Sounding(im.song, PartSlot(0));
    EXPECT_EQ(first[0].Kind(), EventKind::kExclusive) << "the conductor's exclusive lands in the first part";
    EXPECT_EQ(im.song.SlotTrack(PartSlot(3)), nullptr);
}

TEST(SmfMapping, AChunkTakesTheChannelOfItsFirstMessageAsItsPartChannel) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC5, 1}).End(), Chunk().At(0, {0xCC, 2}).End()}), im);
    EXPECT_EQ(im.song.partChannel[0], 0x05);
    EXPECT_EQ(im.song.partChannel[1], 0x0C);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u);
}

TEST(SmfMapping, AMessageOnAnotherChunksHomeChannelGoesToThatChunksPart) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).End(), Chunk().At(0, {0xC1, 1}).End(),
                                      Chunk().At(0, {0xC2, 1}).End(), Chunk().At(0, {0xC3, 1}).End(),
                                      Chunk().At(0, {0xC3, 2}).At(10, {0xC1, 7}).End()}),
                         im);
    const auto part1 = smftest::Sounding(im.song, PartSlot(1));
    ASSERT_EQ(part1.size(), 2u);
    EXPECT_EQ(part1[1].event.U8(4), 7);
    EXPECT_EQ(part1[1].tick, 10);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(4)).size(), 1u);
}

TEST(SmfMapping, NotesCrossingIntoAnEarlierPartMergeInTimeOrderAndHeldOnesAreSplitThere) {
    // Chunk 1 sends on channel 0, the home of chunk 0: a note held over two
    // measures and a program change at a tick chunk 0 also uses.
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).At(480, {0xC0, 2}).At(3000, {0xC0, 3}).End(),
                                      Chunk()
                                          .At(0, {0xC1, 9})
                                          .NoteOn(0, 0, 60, 100)
                                          .At(480, {0xC0, 4})
                                          .NoteOff(4000, 0, 60)
                                          .End(500)}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    std::vector<std::pair<int, int>> part0;
    for (const auto& e : smftest::Sounding(im.song, PartSlot(0))) part0.emplace_back(e.tick, e.Kind());
    EXPECT_EQ(part0, (std::vector<std::pair<int, int>>{
                         {0, 0xC0}, {0, 60}, {480, 0xC0}, {480, 0xC0}, {1920, 60}, {3480, 0xC0}, {3840, 60}}));
    const auto events = smftest::Sounding(im.song, PartSlot(0));
    EXPECT_EQ(events[2].event.U8(4), 2) << "the part's own event first";
    EXPECT_EQ(events[3].event.U8(4), 4);
    EXPECT_EQ(events[6].Gate(), 4480 - 3840);
    EXPECT_EQ(smftest::Events(im.song, PartSlot(0)).back().tick, 4980) << "the part reaches the end of chunk 1";
    EXPECT_EQ(smftest::Events(im.song, PartSlot(1)).back().tick, 4980);
}

TEST(SmfMapping, XfChunksAreReadLikeTracksAndCountAsChunks) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).End(), Chunk("XFIH").Text(0, 0x05, "la").End(),
                                      Chunk("XFKM").End(), Chunk().At(0, {0xC3, 1}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, kLyricSlot).size(), 1u);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(3)).size(), 1u) << "the fourth chunk is part 3";
}

TEST(SmfMapping, UnknownChunksAreSkippedByTheirLengthAndUseNoPart) {
    // A 4-byte vendor chunk after the conductor chunk, and one before it.
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk("JUNK").Raw({1, 2, 3, 4, 5, 6}), Chunk().Tempo(0, 500000).End(),
                                      Chunk("Vend").Raw({0, 0, 0, 0}), Chunk().At(0, {0xC0, 1}).End(),
                                      Chunk("JUNK").At(0, {0xC5, 1}).End(), Chunk().At(0, {0xC2, 1}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, kTempoSlot).size(), 1u);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(0)).size(), 1u);
    ASSERT_EQ(smftest::Sounding(im.song, PartSlot(1)).size(), 1u) << "the last chunk is the second part";
    EXPECT_EQ(im.song.partChannel[1] & 0x0F, 2);
    EXPECT_EQ(im.song.SlotTrack(PartSlot(5)), nullptr) << "nothing of the unknown chunk is read";
}

TEST(SmfMapping, TheHomeChannelScanNumbersChunksLikeTheChunkLoop) {
    // Chunk 4 (slot 11 once the unknown and XF chunks are counted right)
    // sends on channel 1, the home of the second track chunk.
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(0, {0xC0, 1}).End(), Chunk("JUNK").Raw({9, 9}),
                                      Chunk().At(0, {0xC1, 1}).End(), Chunk("XFKM").Text(0, 0x05, "la").End(),
                                      Chunk().At(0, {0xC3, 2}).At(10, {0xC1, 7}).End()}),
                         im);
    ASSERT_EQ(im.load.result, 0);
    const auto part1 = smftest::Sounding(im.song, PartSlot(1));
    ASSERT_EQ(part1.size(), 2u);
    EXPECT_EQ(part1[1].event.U8(4), 7);
    EXPECT_EQ(smftest::Sounding(im.song, PartSlot(3)).size(), 1u);
}

TEST(SmfMapping, EventsOfSeveralChunksAtOneTickKeepTheChunksOrder) {
    // The first chunk sets the program of channel 1 at every beat; the second
    // (home of channel 2) plays the notes of channel 1 at the same ticks.
    Chunk programs;
    Chunk notes;
    notes.At(0, {0xC2, 0});
    for (int beat = 0; beat < 40; ++beat) {
        programs.At(beat == 0 ? 0 : 480, {0xC0, static_cast<std::uint8_t>(beat)});
        notes.NoteOn(beat == 0 ? 0 : 240, 0, 60, 100).NoteOff(240, 0, 60);
    }
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {programs.End(), notes.End()}), im);
    const auto part0 = smftest::Sounding(im.song, PartSlot(0));
    ASSERT_EQ(part0.size(), 80u);
    for (int beat = 0; beat < 40; ++beat) {
        EXPECT_EQ(part0[2 * beat].Kind(), EventKind::kProgram) << beat;
        EXPECT_EQ(part0[2 * beat].event.U8(4), beat);
        EXPECT_EQ(part0[2 * beat + 1].Kind(), 60) << beat;
        EXPECT_EQ(part0[2 * beat + 1].tick, beat * 480);
    }
}

TEST(SmfMapping, AChunkSteppingBackByOneTickIntoAnotherPartMergesInTimeOrder) {
    Imported im;
    smftest::ImportBytes(Smf(1, 480, {Chunk().At(480, {0xC0, 1}).End(),
                                      Chunk().At(0, {0xC1, 2}).NoteOn(479, 0, 60, 100).NoteOff(1, 0, 60).End()}),
                         im);
    const auto part0 = smftest::Sounding(im.song, PartSlot(0));
    ASSERT_EQ(part0.size(), 2u);
    EXPECT_EQ(Ticks(part0), (std::vector<int>{479, 480}));
    EXPECT_EQ(part0[0].Kind(), 60);
    EXPECT_EQ(smftest::Events(im.song, PartSlot(0)).back().tick, 480);
}

TEST(SmfMapping, ChunksBeyondTheLastPartAreIgnored) {
    std::vector<Chunk> chunks;
    for (int i = 0; i < 300; ++i) chunks.push_back(Chunk().At(0, {static_cast<std::uint8_t>(0xC0 | (i % 16)), 1}).End());
    Imported im;
    smftest::ImportBytes(Smf(1, 480, chunks), im);
    ASSERT_EQ(im.load.result, 0);
    EXPECT_EQ(smftest::Sounding(im.song, kLastPartSlot).size(), 1u);
}

TEST(SmfLimits, AFileWhoseHeldNotesWouldFillTheMemoryIsRefusedAndLeavesNothing) {
    // Every key of every channel held for the longest song: 2048 notes of
    // 8738 pieces each.
    Chunk chunk;
    chunk.Text(0, 0x03, "Organ").TimeSig(0, 3, 2);
    for (int c = 0; c < 16; ++c)
        for (int k = 0; k < 128; ++k) chunk.NoteOn(0, c, k, 100);
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {chunk.At(kMaxImportTick, {0xC0, 1}).End()}), im);
    EXPECT_EQ(im.load.result, ImportResult::kTooLarge);
    EXPECT_EQ(im.report.messages, std::vector<std::string>{"File is too large"});
    EXPECT_EQ(im.song.SlotTrack(PartSlot(0)), nullptr);
    EXPECT_EQ(im.song.SlotTrack(kMeasureSlot), nullptr);
    EXPECT_EQ(im.song.infoStrings[InfoString::kTitle], "");
}

TEST(SmfExclusive, MessagesAreStoredWithTheLeadingF0) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().Exclusive(0, {0x7E, 0x7F, 0x09, 0x01, 0xF7}).End()}), im);
    const ExclusiveTable& table = *im.song.exclusiveTable;
    ASSERT_EQ(table.lengths[0], 6);
    const std::uint8_t* bytes = table.handles[0].Peek();
    EXPECT_EQ(Bytes(bytes, bytes + 6), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

TEST(SmfExclusive, After512MessagesOneEmptyEntryFollowsAndTheRestAreSkipped) {
    Chunk chunk;
    for (int i = 0; i < 515; ++i) chunk.Exclusive(1, {static_cast<std::uint8_t>(i & 0x7F), 0xF7});
    chunk.At(0, {0xC0, 1}).End();
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {chunk}), im);
    const ExclusiveTable& table = *im.song.exclusiveTable;
    EXPECT_EQ(table.count, 512);
    EXPECT_EQ(table.lengths[511], 3);
    EXPECT_EQ(table.lengths[512], 0);
    int exclusiveEvents = 0;
    for (const auto& e : smftest::Sounding(im.song, kSlot0))
        if (e.Kind() == EventKind::kExclusive) ++exclusiveEvents;
    EXPECT_EQ(exclusiveEvents, 513);
    EXPECT_EQ(smftest::Sounding(im.song, kSlot0).back().Kind(), 0xC0) << "reading stays in step";
}

Bytes EntryBytes(const SongContainer& song, int index) {
    const ExclusiveTable& table = *song.exclusiveTable;
    const std::uint8_t* bytes = table.handles[index].Peek();
    return table.lengths[index] == 0 ? Bytes{} : Bytes(bytes, bytes + table.lengths[index]);
}

TEST(SmfExclusive, AMessageSplitIntoPacketsIsStoredAsOneMessageAtItsFirstTick) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk()
                                          .At(10, {0xF0, 0x03, 0x43, 0x12, 0x00})
                                          .At(200, {0xF7, 0x06, 0x43, 0x12, 0x00, 0x43, 0x12, 0x00})
                                          .At(100, {0xF7, 0x04, 0x43, 0x12, 0x00, 0xF7})
                                          .Exclusive(0, {0x41, 0xF7})
                                          .End()}),
                         im);
    EXPECT_EQ(EntryBytes(im.song, 0),
              (Bytes{0xF0, 0x43, 0x12, 0x00, 0x43, 0x12, 0x00, 0x43, 0x12, 0x00, 0x43, 0x12, 0x00, 0xF7}));
    EXPECT_EQ(EntryBytes(im.song, 1), (Bytes{0xF0, 0x41, 0xF7}));
    const auto events = smftest::Sounding(im.song, kSlot0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].tick, 10);
    EXPECT_EQ(events[0].event.U16(4), 0);
    EXPECT_EQ(events[1].tick, 310);
    EXPECT_EQ(events[1].event.U16(4), 1);
}

TEST(SmfExclusive, APacketedMessageEndsAtItsOwnClosingByteBeforeAnEscape) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk()
                                          .At(0, {0xF0, 0x03, 0x43, 0x12, 0x00})
                                          .At(10, {0xF7, 0x04, 0x43, 0x12, 0x00, 0xF7})
                                          .At(10, {0xF7, 0x01, 0xF6})  // a tune request as an escape
                                          .At(0, {0xC0, 1})
                                          .End()}),
                         im);
    EXPECT_EQ(EntryBytes(im.song, 0), (Bytes{0xF0, 0x43, 0x12, 0x00, 0x43, 0x12, 0x00, 0xF7}));
    EXPECT_EQ(im.song.exclusiveTable->count, 1);
    EXPECT_EQ(smftest::Sounding(im.song, kSlot0).size(), 2u);
}

TEST(SmfExclusive, AMessageWithoutItsClosingByteAndNoPacketsIsStoredAsItIs) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk().Exclusive(0, {0x41, 0x10}).At(0, {0xC0, 1}).End()}), im);
    EXPECT_EQ(EntryBytes(im.song, 0), (Bytes{0xF0, 0x41, 0x10}));
}

TEST(SmfExclusive, AnEscapeCarryingOneWholeMessageIsStoredAsThatMessage) {
    Imported im;
    smftest::ImportBytes(Smf(0, 480, {Chunk()
                                          .At(0, {0xC0, 1})
                                          .At(480, {0xF7, 0x06, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})
                                          .At(0, {0xF7, 0x03, 0xF0, 0xF8, 0xF7})  // not a message
                                          .End()}),
                         im);
    EXPECT_EQ(EntryBytes(im.song, 0), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    EXPECT_EQ(im.song.exclusiveTable->count, 1);
    const auto events = smftest::Sounding(im.song, kSlot0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].Kind(), EventKind::kExclusive);
    EXPECT_EQ(events[1].tick, 480);
}

TEST(SmfExclusive, AMessageCutOffByTheEndOfTheFileIsNotStored) {
    Bytes bytes = Smf(0, 480, {Chunk().At(0, {0xC0, 1}).At(0, {0xF0, 0x40, 0x43, 0x10})});
    Imported im;
    smftest::ImportBytes(bytes, im);
    EXPECT_EQ(im.load.result, 0);
    EXPECT_EQ(im.song.exclusiveTable->lengths[0], 0);
    EXPECT_EQ(smftest::Sounding(im.song, kSlot0).front().Kind(), 0xC0);
}

}  // namespace
