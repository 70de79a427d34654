// Filling in printf-style formats of any length; text made valid UTF-8.
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

TEST(WithValidUtf8, KeepsValidTextAndReplacesEveryStrayByte) {
    EXPECT_EQ(WithValidUtf8("Morning Waltz"), "Morning Waltz");
    EXPECT_EQ(WithValidUtf8("\xE6\x9C\x9D\xE3\x81\xAE\xE6\xAD\x8C"), "\xE6\x9C\x9D\xE3\x81\xAE\xE6\xAD\x8C");  // UTF-8 Japanese
    // Latin-1 "Café", Shift_JIS "\x89\xCC" (a song), an overlong "/", a
    // surrogate, a sequence cut at the end.
    EXPECT_EQ(WithValidUtf8("Caf\xE9"), "Caf\xEF\xBF\xBD");
    EXPECT_EQ(WithValidUtf8("\x89\xCC"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(WithValidUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(WithValidUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(WithValidUtf8("a\xE3\x81"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(WithValidUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}
