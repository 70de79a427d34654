// What a child process made by ChildProcess shares with the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/child_process.h"

namespace {

// The child's answer: what it wrote into the message pipe until its end.
std::string Answer(ChildProcess& child) {
    std::string answer;
    while (!child.PipesClosed()) {
        WaitForReadable({child.MessageFd(), child.ErrorFd()}, std::chrono::milliseconds(1000));
        child.ReadMessages(answer);
        std::string ignored;
        child.ReadErrors(ignored);
    }
    child.Wait();
    return answer;
}

TEST(ChildProcess, TheChildAllocatesNoneOfTheBlocksTheProgramHasFreed) {
    // A block the program has just freed is the one its allocator hands out
    // next for that size; the child must take its memory elsewhere, or it
    // would copy the program's pages that hold the freed blocks.
    void* freed = std::malloc(200);
    const auto address = reinterpret_cast<std::uintptr_t>(freed);
    std::free(freed);
    ChildProcess child = ChildProcess::Start([address](int fd) {
        void* block = std::malloc(200);
        const std::string same = reinterpret_cast<std::uintptr_t>(block) == address ? "same" : "other";
        std::free(block);
        return WriteAllBytes(fd, same) ? 0 : 1;
    });
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(Answer(child), "other");
    // In the program the freed block is still the next one.
    void* again = std::malloc(200);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(again), address);
    std::free(again);
}

}  // namespace

namespace {

// A reader that asks for a few bytes gets no more, and the rest stays in
// the pipe for the next read, up to the end of the pipe.
TEST(ChildProcess, ReadingSomeMessagesTakesNoMoreThanAsked) {
    ChildProcess child = ChildProcess::StartWithInput([](int out, int) {
        return WriteAllBytes(out, std::string("abcdefghij")) ? 0 : 1;
    });
    ASSERT_TRUE(child.Started());
    std::string got;
    while (got.size() < 3 && child.MessageFd() >= 0) {
        WaitForReadable({child.MessageFd()}, std::chrono::milliseconds(1000));
        child.ReadSomeMessages(got, 3 - got.size());
    }
    EXPECT_EQ(got, "abc");
    while (child.MessageFd() >= 0) {
        WaitForReadable({child.MessageFd()}, std::chrono::milliseconds(1000));
        const std::size_t before = got.size();
        child.ReadSomeMessages(got, 4);
        EXPECT_LE(got.size() - before, 4u);
    }
    EXPECT_EQ(got, "abcdefghij");
    child.ReadSomeMessages(got, 4);  // at the end: nothing, and no harm
    EXPECT_EQ(got, "abcdefghij");
    std::string ignored;
    while (child.ErrorFd() >= 0) {
        WaitForReadable({child.ErrorFd()}, std::chrono::milliseconds(1000));
        child.ReadErrors(ignored);
    }
    EXPECT_EQ(child.Wait().code, 0);
}

}  // namespace
