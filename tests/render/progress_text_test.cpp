// The percentage text beside the progress bar.
#include "render/progress_text.h"

#include <gtest/gtest.h>

TEST(ProgressPercentText, ShowsTheTruncatedPercentageOfTheRange) {
    EXPECT_EQ(ProgressPercentText(0, 0, 20000), "0%");
    EXPECT_EQ(ProgressPercentText(11, 0, 20000), "0%");
    EXPECT_EQ(ProgressPercentText(9999, 0, 20000), "49%");
    EXPECT_EQ(ProgressPercentText(20000, 0, 20000), "100%");
    EXPECT_EQ(ProgressPercentText(150, 100, 200), "50%");
}

TEST(ProgressPercentText, WrapsPastTheEndOfTheRange) {
    EXPECT_EQ(ProgressPercentText(21000, 0, 20000), "5%");
    EXPECT_EQ(ProgressPercentText(40000, 0, 20000), "0%");
    EXPECT_EQ(ProgressPercentText(2000000000, 0, 1), "0%");
}

TEST(ProgressPercentText, AnEmptyRangeOrAPositionBelowItShowsOneHundred) {
    EXPECT_EQ(ProgressPercentText(0, 0, 0), "100%");
    EXPECT_EQ(ProgressPercentText(11, 0, 0), "100%");
    EXPECT_EQ(ProgressPercentText(-500, 0, 1000), "100%");
}
