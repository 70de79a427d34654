// Freed memory given back to the system.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/process_memory.h"

namespace {

// The process's resident memory in bytes.
long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

TEST(ProcessMemory, SmallBlocksFreedInTheMiddleOfTheHeapLeaveTheProcess) {
    constexpr std::size_t kBlocks = 40000;
    constexpr std::size_t kBlockBytes = 1000;  // small enough for the heap itself
    std::vector<char*> blocks;
    blocks.reserve(kBlocks);
    for (std::size_t i = 0; i < kBlocks; ++i) {
        blocks.push_back(static_cast<char*>(std::malloc(kBlockBytes)));
        for (std::size_t at = 0; at < kBlockBytes; at += 64) blocks.back()[at] = 1;
    }
    // The last block stays, so that the freed ones are not at the heap's end.
    for (std::size_t i = 0; i + 1 < kBlocks; ++i) std::free(blocks[i]);
    const long before = ResidentBytes();
    ReturnFreedMemory();
    const long after = ResidentBytes();
    std::free(blocks.back());
    EXPECT_GT(before - after, 30L * 1000 * 1000) << before << " -> " << after;
}

}  // namespace
