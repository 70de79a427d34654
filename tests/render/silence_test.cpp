// Telling silent samples from audible ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/silence.h"

namespace {

TEST(Silence, SamplesOfMagnitudeOneOrLessAreSilentAndTwoIsAudible) {
    // Little-endian 16-bit samples: 0, 1, -1, 0.
    const std::vector<std::uint8_t> quiet = {0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00};
    EXPECT_FALSE(HasAudibleSample(quiet));
    EXPECT_FALSE(HasAudibleSample({}));
    // 2 (-84 dBFS) and -2 sound, wherever they stand.
    EXPECT_TRUE(HasAudibleSample(std::vector<std::uint8_t>{0x00, 0x00, 0x02, 0x00}));
    EXPECT_TRUE(HasAudibleSample(std::vector<std::uint8_t>{0xFE, 0xFF, 0x00, 0x00}));
    // The high byte counts: 0x0100 is 256, and the full negative scale sounds.
    EXPECT_TRUE(HasAudibleSample(std::vector<std::uint8_t>{0x00, 0x01}));
    EXPECT_TRUE(HasAudibleSample(std::vector<std::uint8_t>{0x00, 0x80}));
    // A stray last byte is no sample.
    EXPECT_FALSE(HasAudibleSample(std::vector<std::uint8_t>{0x00, 0x00, 0x7F}));
}

}  // namespace
