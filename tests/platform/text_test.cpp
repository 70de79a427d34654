// Filling in printf-style formats of any length.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

TEST(Formatted, FillsInTheFormatWhateverItsLength) {
    EXPECT_EQ(Formatted("%s saved to %s", "Ombrix Converter [a.mid]", "/x/a.wav"),
              "Ombrix Converter [a.mid] saved to /x/a.wav");
    EXPECT_EQ(Formatted("(%.1f LUFS, not %.1f)", -14.26, -10.0), "(-14.3 LUFS, not -10.0)");
    EXPECT_EQ(Formatted("%s", ""), "");
    const std::string longPath(5000, 'p');
    EXPECT_EQ(Formatted("%s.wav", longPath.c_str()), longPath + ".wav");
}
