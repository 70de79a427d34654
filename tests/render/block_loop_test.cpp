// The block loop writes a block only after the next step shows that the
// song goes on.
#include "render/block_loop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Runs the loop over scripted step results; each step fills the block with
// its own number. Returns the numbers of the written blocks.
std::vector<int> WrittenBlocks(const std::vector<int>& results, std::vector<int>* progress = nullptr,
                               int failingWrite = -1) {
    std::vector<std::uint8_t> block(8);
    std::size_t steps = 0;
    std::vector<int> written;
    RunBlockLoop(
        block,
        [&](std::span<std::uint8_t> out) {
            std::fill(out.begin(), out.end(), static_cast<std::uint8_t>(steps + 1));
            return results.at(steps++);
        },
        [&](std::span<const std::uint8_t> frames) {
            if (static_cast<int>(written.size()) == failingWrite) return false;
            written.push_back(frames[0]);
            return true;
        },
        [&](int elapsed) {
            if (progress) progress->push_back(elapsed);
        });
    return written;
}

TEST(BlockLoop, TheFirstBlockIsWrittenOnlyAfterTheSecondStep) {
    std::vector<int> progress;
    EXPECT_EQ(WrittenBlocks({11, 22, 34, 0}, &progress), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(progress, (std::vector<int>{11, 22, 34, 0}));
}

TEST(BlockLoop, ASongOverAtTheFirstStepWritesNothing) {
    EXPECT_TRUE(WrittenBlocks({0}).empty());
}

TEST(BlockLoop, AFailedWriteStopsTheLoop) {
    std::vector<int> progress;
    EXPECT_EQ(WrittenBlocks({11, 22, 34, 45, 0}, &progress, 2), (std::vector<int>{1, 2}));
    EXPECT_EQ(progress, (std::vector<int>{11, 22, 34}));
}

}  // namespace
