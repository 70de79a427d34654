// The note-off queue: time order, replacement of a pending key, a full queue.
#include <gtest/gtest.h>

#include <vector>

#include "sequencer/note_off_queue.h"

namespace {

std::vector<int> NotesInOrder(const NoteOffQueue& queue) {
    std::vector<int> notes;
    queue.ForEach([&](const NoteOffQueue::Entry& e) { notes.push_back(e.note); });
    return notes;
}

TEST(NoteOffQueue, EntriesComeOutInTimeOrderAndSameTimesInArrivalOrder) {
    NoteOffQueue queue;
    queue.Insert(60, 500, 8, 60, 100);
    queue.Insert(61, 100, 8, 61, 100);
    queue.Insert(62, 500, 8, 62, 100);
    queue.Insert(63, 300, 9, 63, 100);
    EXPECT_EQ(NotesInOrder(queue), (std::vector<int>{61, 63, 60, 62}));
    EXPECT_EQ(queue.Earliest()->time, 100);
    queue.RemoveEarliest();
    EXPECT_EQ(queue.Earliest()->note, 63);
}

TEST(NoteOffQueue, APendingKeyOfThePortIsReplacedAndItsNoteReturned) {
    NoteOffQueue queue;
    EXPECT_EQ(queue.Insert(60, 480, 8, 60, 100), NoteOffQueue::kNothingPending);
    EXPECT_EQ(queue.Insert(60, 900, 9, 60, 100), NoteOffQueue::kNothingPending);  // another port
    EXPECT_EQ(queue.Insert(60, 1440, 8, 60, 90), 60);
    EXPECT_EQ(NotesInOrder(queue), (std::vector<int>{60, 60}));
    EXPECT_EQ(queue.Earliest()->port, 9);
}

TEST(NoteOffQueue, A128thNoteFindsTheQueueFull) {
    NoteOffQueue queue;
    for (int i = 0; i < 127; ++i) {
        ASSERT_EQ(queue.Insert(static_cast<std::uint8_t>(i), i, static_cast<std::uint8_t>(8 + i / 100),
                               static_cast<std::uint8_t>(i), 100),
                  NoteOffQueue::kNothingPending);
    }
    EXPECT_EQ(queue.Insert(5, 1000, 200, 5, 100), NoteOffQueue::kQueueFull);
    EXPECT_EQ(NotesInOrder(queue).size(), 127u);
    // Replacing a pending key frees its entry first, so it still fits.
    EXPECT_EQ(queue.Insert(5, 1000, 8, 5, 100), 5);
}

TEST(NoteOffQueue, ClearingAndShiftingKeepTheIndexConsistent) {
    NoteOffQueue queue;
    queue.Insert(60, 100, 8, 60, 100);
    queue.Shift(50);
    EXPECT_EQ(queue.Earliest()->time, 150);
    queue.Clear();
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.Insert(60, 100, 8, 60, 100), NoteOffQueue::kNothingPending);
}

}  // namespace
