// What a worker wrote on standard error, read back as the user's explanation.
#include "platform/standard_error.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorLinesText, DropsTheProgramsNameAndEmptyLinesAndJoinsTheRest) {
    const std::string output = "ombrix: a.mid: cannot write\n\nnot our line\nombrix: disk full\n";
    EXPECT_EQ(ErrorLinesText(output, "; "), "a.mid: cannot write; not our line; disk full");
    EXPECT_EQ(ErrorLinesText(output, "\n"), "a.mid: cannot write\nnot our line\ndisk full");
    EXPECT_EQ(ErrorLinesText("ombrix: no newline at the end", "\n"), "no newline at the end");
    EXPECT_EQ(ErrorLinesText("", "\n"), "");
}

}  // namespace
