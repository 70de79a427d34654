// The merge tree's winner rule and the leaf-advance rule with timing offsets.
#include <gtest/gtest.h>

#include "sequencer/track_merge_tree.h"

namespace {

TEST(TrackMergeTree, AnAllFinishedTreeHasNoWinner) {
    TrackMergeTree tree;
    EXPECT_EQ(tree.Root().slot, -1);
    EXPECT_EQ(tree.Root().time, TrackMergeTree::kFinishedTime);
}

TEST(TrackMergeTree, TheEarliestLeafWins) {
    TrackMergeTree tree;
    tree.SetLeaf(3, 100, 0, 3);
    tree.SetLeaf(300, 99, 0, 300);
    EXPECT_EQ(tree.Root().slot, 300);
    EXPECT_EQ(tree.Root().time, 99);
}

TEST(TrackMergeTree, EqualTimesGoToTheLowerSlot) {
    TrackMergeTree tree;
    tree.SetLeaf(263, 480, 0, 263);
    tree.SetLeaf(9, 480, 0, 9);
    tree.SetLeaf(8, 480, 0, 8);
    EXPECT_EQ(tree.Root().slot, 8);
    tree.Finish(8);
    EXPECT_EQ(tree.Root().slot, 9);
}

TEST(TrackMergeTree, ALiveLeafAtTheFarthestTimeBeatsFinishedLeaves) {
    TrackMergeTree tree;
    tree.SetLeaf(1, 0x7FFFFFFF, 0, 1);
    EXPECT_EQ(tree.Root().slot, 1);
}

TEST(TrackMergeTree, AdvancingAddsTheStepAndTheNextEventsOffset) {
    TrackMergeTree tree;
    tree.SetLeaf(8, 0, 0, 8);
    tree.Advance(8, 480, 30);  // next event stored at 480, due 30 ticks later
    EXPECT_EQ(tree.Leaf(8).time, 510);
    EXPECT_EQ(tree.Leaf(8).offset, 30);
    tree.Advance(8, 480, -29);  // grid 480 + 480 = 960, due at 931
    EXPECT_EQ(tree.Leaf(8).time, 931);
    EXPECT_EQ(tree.Leaf(8).offset, -29);
}

TEST(TrackMergeTree, ALeafNeverMovesBack) {
    TrackMergeTree tree;
    tree.SetLeaf(8, 130, 10, 8);  // grid 120, due at 130
    tree.Advance(8, 0, -20);      // same grid tick, due at 100: kept at 130
    EXPECT_EQ(tree.Leaf(8).time, 130);
    EXPECT_EQ(tree.Leaf(8).offset, 10);
    tree.Advance(8, 60, 0);  // the grid is still 120: next at 180
    EXPECT_EQ(tree.Leaf(8).time, 180);
    EXPECT_EQ(tree.Leaf(8).offset, 0);
}

}  // namespace
