// The merge tree that picks the track whose next event is due first: 512
// leaves (leaf i = track slot i) under 511 inner nodes, the root last. Of
// two siblings the right one wins only if the left is finished or the right
// is strictly earlier, so events of the same tick come in ascending slot order.
#pragma once

#include <array>
#include <cstdint>

struct MergeNode {
    std::int32_t time = 0;    // ticks
    std::int32_t offset = 0;  // timing offset already applied to `time`
    std::int32_t slot = -1;   // -1: finished
};

class TrackMergeTree {
public:
    static constexpr int kLeaves = 512;
    static constexpr int kNodes = 2 * kLeaves - 1;
    static constexpr std::int32_t kFinishedTime = 0x7FFFFFFF;

    TrackMergeTree() { FinishAll(); }

    // Marks every leaf finished.
    void FinishAll();
    // Sets leaf `leaf` and updates its path to the root.
    void SetLeaf(int leaf, std::int32_t time, std::int32_t offset, std::int32_t slot);
    // Marks a leaf finished and updates its path.
    void Finish(int leaf) { SetLeaf(leaf, kFinishedTime, 0, -1); }
    // Moves a leaf on by one event of step `step` whose successor has timing
    // offset `offset`, and updates its path. The leaf never moves back: an
    // offset that would put it earlier is kept as a smaller offset instead.
    void Advance(int leaf, int step, int offset);

    const MergeNode& Leaf(int leaf) const { return nodes_[leaf]; }
    // The winning leaf: the earliest, ties to the lower slot.
    const MergeNode& Root() const { return nodes_[kNodes - 1]; }

private:
    void UpdatePath(int leaf);

    std::array<MergeNode, kNodes> nodes_{};
};
