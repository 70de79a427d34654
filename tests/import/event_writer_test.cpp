// The event writer: note pairing, splitting of long notes, the grid and the
// message kinds it stores.
#include <gtest/gtest.h>

#include "sequencer/event_writer.h"
#include "smf_test_support.h"

namespace {

using smftest::Ev;

constexpr int kPart = kFirstPartSlot;

// A writer with a cursor on part slot 8 of a fresh song.
class EventWriterTest : public ::testing::Test {
protected:
    EventWriterTest() : cursor_(song_, kPart), tempo_(song_, kTempoSlot) {
        writer_.SetCursor(kPart, &cursor_.Get());
        writer_.SetCursor(kTempoSlot, &tempo_.Get());
    }
    ~EventWriterTest() override { writer_.ForgetCursors(); }

    void On(int time, int key, int velocity = 100) {
        writer_.WriteMessage(WriterMessage::Channel(0x90, key, velocity, kPart), time);
    }
    void Off(int time, int key) { writer_.WriteMessage(WriterMessage::Channel(0x80, key, 0, kPart), time); }
    std::vector<Ev> Notes() {
        std::vector<Ev> notes;
        for (const Ev& e : smftest::Events(song_, kPart))
            if (e.event.IsNote()) notes.push_back(e);
        return notes;
    }
    static bool Open(const Ev& e) { return (e.event.U16(8) & kNoteOpenBits) != 0; }

    SongContainer song_{1};
    CursorGuard cursor_;
    CursorGuard tempo_;
    ToQ2 writer_;
};

TEST_F(EventWriterTest, ANoteOnAndItsNoteOffBecomeOneNoteWithTheGateBetweenThem) {
    writer_.SetExactMode(true);
    On(100, 60, 90);
    Off(580, 60);
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].tick, 100);
    EXPECT_EQ(notes[0].Kind(), 60);
    EXPECT_EQ(notes[0].Gate(), 480);
    EXPECT_EQ(notes[0].event.Velocity(), 90);
    EXPECT_FALSE(Open(notes[0]));
    EXPECT_EQ(notes[0].event.U8(10), 1);
}

TEST_F(EventWriterTest, ANoteHeld5000TicksIsSplitIntoTiedPiecesOfAMeasure) {
    writer_.SetExactMode(true);
    On(0, 60);
    Off(5000, 60);
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].tick, 0);
    EXPECT_EQ(notes[0].Gate(), 1921);
    EXPECT_EQ(notes[1].tick, 1920);
    EXPECT_EQ(notes[1].Gate(), 1921);
    EXPECT_EQ(notes[2].tick, 3840);
    EXPECT_EQ(notes[2].Gate(), 1160);
    for (const Ev& n : notes) EXPECT_FALSE(Open(n));
}

TEST_F(EventWriterTest, TwoNoteOnsOfOneKeyAtOneTickMakeOneNoteThatNeedsTwoNoteOffs) {
    writer_.SetExactMode(true);
    On(0, 64, 50);
    On(0, 64, 110);
    Off(240, 64);
    auto notes = Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].event.Velocity(), 110);
    EXPECT_TRUE(Open(notes[0])) << "the first note-off only lowers the nesting";
    Off(480, 64);
    notes = Notes();
    EXPECT_EQ(notes[0].Gate(), 480);
    EXPECT_FALSE(Open(notes[0]));
}

TEST_F(EventWriterTest, ARestruckKeyClosesTheSoundingNoteAndStartsANewOne) {
    writer_.SetExactMode(true);
    On(0, 64);
    On(100, 64, 70);
    Off(200, 64);  // nesting 2: lowered only
    Off(300, 64);
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].Gate(), 100);
    EXPECT_EQ(notes[1].tick, 100);
    EXPECT_EQ(notes[1].Gate(), 200);
    EXPECT_EQ(notes[1].event.Velocity(), 70);
}

TEST_F(EventWriterTest, ANoteOffWithoutPendingNoteIsIgnored) {
    Off(100, 60);
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(writer_.PendingNotes(), 0);
}

TEST_F(EventWriterTest, EveryKeyOfEverySlotCanBeHeldAtOnce) {
    writer_.SetExactMode(true);
    CursorGuard second(song_, kPart + 1);
    writer_.SetCursor(kPart + 1, &second.Get());
    for (int slot : {kPart, kPart + 1})
        for (int key = 0; key < 128; ++key) writer_.WriteMessage(WriterMessage::Channel(0x90, key, 100, slot), key);
    EXPECT_EQ(writer_.PendingNotes(), 256);
    for (int key = 127; key >= 0; --key) Off(1000, key);
    EXPECT_EQ(writer_.PendingNotes(), 128);
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 128u);
    for (const Ev& n : notes) {
        EXPECT_EQ(n.Gate(), 1000 - n.tick) << n.Kind();
        EXPECT_FALSE(Open(n));
    }
    On(1100, 5);  // a freed entry is taken again
    EXPECT_EQ(writer_.PendingNotes(), 129);
    writer_.ForgetCursors();
}

TEST_F(EventWriterTest, EventsPastTheLimitAreRefusedAndHeldNotesNoLongerSplit) {
    writer_.SetExactMode(true);
    writer_.SetEventLimit(3);
    On(0, 60);
    On(0, 62);
    EXPECT_FALSE(writer_.EventLimitReached());
    writer_.SetCurrentTime(100000);
    writer_.FlushHeldNotes(100000);  // would be 100 pieces
    EXPECT_TRUE(writer_.EventLimitReached());
    EXPECT_EQ(Notes().size(), 3u);
}

TEST_F(EventWriterTest, EventsAreStoredOnTheGridWithTheRemainderAsOffset) {
    writer_.SetGrid(60);
    writer_.WriteMessage(WriterMessage::Channel(0xC0, 5, 255, kPart), 31);
    writer_.WriteMessage(WriterMessage::Channel(0xC0, 6, 255, kPart), 90);  // half a grid: rounds down
    const auto events = smftest::Sounding(song_, kPart);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].tick, 60);
    EXPECT_EQ(events[0].event.Offset(), -29);
    EXPECT_EQ(events[1].tick, 60);
    EXPECT_EQ(events[1].event.Offset(), 30);
}

TEST_F(EventWriterTest, ATickAtHalfTheGridRoundsDown) {
    writer_.SetGrid(60);
    writer_.WriteMessage(WriterMessage::Channel(0xD0, 1, 255, kPart), 30);
    const auto events = smftest::Sounding(song_, kPart);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].tick, 0);
    EXPECT_EQ(events[0].event.Offset(), 30);
}

TEST_F(EventWriterTest, ExactModeKeepsEveryTickWithTheExactOffset) {
    writer_.SetGrid(60);
    writer_.SetExactMode(true);
    writer_.WriteMessage(WriterMessage::Channel(0xE0, 0x10, 0x40, kPart), 31);
    const auto events = smftest::Sounding(song_, kPart);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].tick, 31);
    EXPECT_EQ(events[0].event.Offset(), 0);
    EXPECT_EQ(events[0].Kind(), 0xE0);
    EXPECT_EQ(events[0].event.U8(4), 0x10);
    EXPECT_EQ(events[0].event.U8(5), 0x40);
}

TEST_F(EventWriterTest, PositionsStayBelowTheTimeLimit) {
    writer_.SetTimeLimit(1000);
    writer_.WriteMessage(WriterMessage::Channel(0xC0, 1, 255, kPart), 1200);
    const auto events = smftest::Sounding(song_, kPart);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].tick, 999);
    EXPECT_EQ(events[0].event.Offset(), static_cast<std::int8_t>(201));
}

TEST_F(EventWriterTest, ChannelModeControllersAreDroppedAndOthersStored) {
    writer_.SetExactMode(true);
    writer_.WriteMessage(WriterMessage::Channel(0xB0, 7, 100, kPart), 0);
    writer_.WriteMessage(WriterMessage::Channel(0xB0, 122, 0, kPart), 0);
    writer_.WriteMessage(WriterMessage::Channel(0xB0, 123, 0, kPart), 0);
    writer_.WriteMessage(WriterMessage::Channel(0xB0, 127, 0, kPart), 0);
    const auto events = smftest::Sounding(song_, kPart);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].event.U8(4), 7);
    EXPECT_EQ(events[0].event.U8(5), 100);
    EXPECT_EQ(events[1].event.U8(4), 122);
}

TEST_F(EventWriterTest, ExclusiveAndTempoMessagesCarryTheirValues) {
    writer_.SetExactMode(true);
    writer_.WriteMessage(WriterMessage::Exclusive(17, kPart), 0);
    writer_.WriteMessage(WriterMessage::Tempo(13050), 480);
    const auto part = smftest::Sounding(song_, kPart);
    ASSERT_EQ(part.size(), 1u);
    EXPECT_EQ(part[0].Kind(), EventKind::kExclusive);
    EXPECT_EQ(part[0].event.U16(4), 17);
    const auto tempo = smftest::Sounding(song_, kTempoSlot);
    ASSERT_EQ(tempo.back().Kind(), EventKind::kTempo);
    EXPECT_EQ(tempo.back().tick, 480);
    EXPECT_EQ(tempo.back().event.I32(4), 13050);
}

TEST_F(EventWriterTest, MessagesForSlotsWithoutCursorAreIgnored) {
    writer_.WriteMessage(WriterMessage::Channel(0xC0, 1, 255, kPart + 1), 0);
    EXPECT_EQ(song_.SlotTrack(kPart + 1), nullptr);
}

TEST_F(EventWriterTest, CloseHeldNotesEndsEveryPendingNoteAtTheCurrentTimePlusOne) {
    writer_.SetExactMode(true);
    On(0, 60);
    On(100, 62);
    writer_.SetCurrentTime(1000);
    writer_.CloseHeldNotes();
    const auto notes = Notes();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].Gate(), 1001);
    EXPECT_EQ(notes[1].Gate(), 901);
    EXPECT_FALSE(Open(notes[0]));
    EXPECT_EQ(writer_.PendingNotes(), 2) << "entries stay until the next BeginWriting";
    writer_.BeginWriting();
    EXPECT_EQ(writer_.PendingNotes(), 0);
}

TEST_F(EventWriterTest, ARestruckKeyDoesNotDelayTheSplittingOfNotesStruckBeforeIt) {
    writer_.SetExactMode(true);
    On(0, 60);
    On(100, 62);
    On(500, 60);   // restrike: the newest note now
    On(2100, 64);  // 62 is due at 2020 and must be split before this
    Off(2600, 64);
    const auto notes = Notes();
    std::vector<int> ticksOf62;
    for (const Ev& n : notes)
        if (n.Kind() == 62) ticksOf62.push_back(n.tick);
    EXPECT_EQ(ticksOf62, (std::vector<int>{100, 2020}));
    for (const Ev& n : notes) {
        if (n.Kind() == 64) {
            EXPECT_EQ(n.Gate(), 500);
        }
    }
}

TEST_F(EventWriterTest, AMessageWrittenBeforeAPendingNoteKeepsThatNoteTracked) {
    writer_.SetExactMode(true);
    On(1000, 60);
    writer_.WriteMessage(WriterMessage::Channel(0xC0, 9, 255, kPart), 500);  // lands before the note
    Off(1500, 60);
    const auto events = smftest::Sounding(song_, kPart);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Kind(), 0xC0);
    EXPECT_EQ(events[0].event.U8(4), 9) << "the program change is not overwritten";
    EXPECT_EQ(events[1].Kind(), 60);
    EXPECT_EQ(events[1].Gate(), 500);
    EXPECT_FALSE(Open(events[1]));
}

}  // namespace
