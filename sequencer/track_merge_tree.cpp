// Tournament tree over the track slots. Nodes are stored level by level:
// leaves 0..511, then each level of inner nodes, the root at the end.
#include "sequencer/track_merge_tree.h"

#include <algorithm>

void TrackMergeTree::FinishAll() {
    for (int leaf = 0; leaf < kLeaves; ++leaf) nodes_[leaf] = MergeNode{kFinishedTime, 0, -1};
    // Every inner node holds the winner of two finished children.
    for (int node = kLeaves; node < kNodes; ++node) nodes_[node] = MergeNode{kFinishedTime, 0, -1};
}

void TrackMergeTree::SetLeaf(int leaf, std::int32_t time, std::int32_t offset, std::int32_t slot) {
    nodes_[leaf] = MergeNode{time, offset, slot};
    UpdatePath(leaf);
}

void TrackMergeTree::Advance(int leaf, int step, int offset) {
    MergeNode& node = nodes_[leaf];
    const long long grid = static_cast<long long>(node.time) - node.offset;
    const long long next = grid + step;
    const long long due = next + offset;
    if (due < node.time) {
        node.offset = static_cast<std::int32_t>(node.time - next);
    } else {
        // Kept below kFinishedTime so that a live leaf never looks finished.
        node.time = static_cast<std::int32_t>(std::min<long long>(due, kFinishedTime - 1));
        node.offset = offset;
    }
    UpdatePath(leaf);
}

void TrackMergeTree::UpdatePath(int leaf) {
    int levelStart = 0;
    int levelSize = kLeaves;
    int node = leaf;
    while (levelSize > 1) {
        const int first = levelStart + ((node - levelStart) & ~1);
        const MergeNode& left = nodes_[first];
        const MergeNode& right = nodes_[first + 1];
        const bool rightWins = left.slot < 0 || right.time < left.time;
        const int parent = levelStart + levelSize + (node - levelStart) / 2;
        nodes_[parent] = rightWins ? right : left;
        node = parent;
        levelStart += levelSize;
        levelSize /= 2;
    }
}
