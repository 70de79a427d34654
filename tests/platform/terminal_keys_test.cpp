// Keys as a terminal sends them: single bytes and escape sequences, an
// escape sequence cut off between two reads, unknown keys skipped.
#include <gtest/gtest.h>

#include "platform/terminal_keys.h"

namespace {

using Keys = std::vector<TerminalKey>;

TEST(TerminalKeys, TheKeysOfPlaybackAreRead) {
    std::string bytes = " +-=q\x03\x04Q";
    EXPECT_EQ(TakeTerminalKeys(bytes), (Keys{TerminalKey::kSpace, TerminalKey::kPlus, TerminalKey::kMinus,
                                             TerminalKey::kPlus, TerminalKey::kQuit, TerminalKey::kQuit,
                                             TerminalKey::kQuit, TerminalKey::kQuit}));
    EXPECT_TRUE(bytes.empty());
}

TEST(TerminalKeys, ArrowsAndHomeComeAsEscapeSequences) {
    // Right, Left (cursor mode and application mode), Home in its four spellings.
    std::string bytes = "\x1b[C\x1b[D\x1bOC\x1b[H\x1bOH\x1b[1~\x1b[7~";
    EXPECT_EQ(TakeTerminalKeys(bytes), (Keys{TerminalKey::kRight, TerminalKey::kLeft, TerminalKey::kRight,
                                             TerminalKey::kHome, TerminalKey::kHome, TerminalKey::kHome,
                                             TerminalKey::kHome}));
}

TEST(TerminalKeys, ASequenceCutOffWaitsForTheRestAndUnknownOnesAreSkipped) {
    std::string bytes = " \x1b[";
    EXPECT_EQ(TakeTerminalKeys(bytes), Keys{TerminalKey::kSpace});
    EXPECT_EQ(bytes, "\x1b[");
    bytes += "1;5C";  // Ctrl+Right: still Right
    EXPECT_EQ(TakeTerminalKeys(bytes), Keys{TerminalKey::kRight});
    bytes = "\x1b[5~x\x1b[A\x1bxq";  // Page Up, a letter, Up, Alt+x: none of ours
    EXPECT_EQ(TakeTerminalKeys(bytes), Keys{TerminalKey::kQuit});
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
