// The path length limit: 259 bytes and the terminator fit the 260-byte
// buffer; 260 bytes do not.
#include <gtest/gtest.h>

#include <string>

#include "app/song/path_limits.h"

namespace {

TEST(PathLimits, APathFitsUpTo259BytesAndNotFrom260) {
    EXPECT_TRUE(FitsPathBuffer(""));
    EXPECT_TRUE(FitsPathBuffer("/" + std::string(258, 'p')));
    EXPECT_FALSE(FitsPathBuffer("/" + std::string(259, 'p')));
    EXPECT_FALSE(FitsPathBuffer("/" + std::string(260, 'p')));
}

}  // namespace
