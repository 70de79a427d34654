// Normalizing a finished song: the peak lands on the asked level, silence
// stays silence, and the whole conversion writes the scaled samples.
#include <gtest/gtest.h>

#include <vector>

#include "render/normalize.h"

namespace {

std::vector<std::uint8_t> Samples(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) {
        const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(bits));
        bytes.push_back(static_cast<std::uint8_t>(bits >> 8));
    }
    return bytes;
}

TEST(Normalize, BringsThePeakToTheLevelAskedFor) {
    auto bytes = Samples({1000, -2000, 500, 0});
    EXPECT_EQ(PeakMagnitude(bytes), 2000);
    ScaleSamples(bytes, NormalizeGain(PeakMagnitude(bytes), -1.0));
    // -1 dBFS of 32767 is 29204.
    EXPECT_EQ(bytes, Samples({14602, -29204, 7301, 0}));
    EXPECT_EQ(PeakMagnitude(Samples({-32768})), 32768);
    auto full = Samples({-32768, 16384});
    ScaleSamples(full, NormalizeGain(PeakMagnitude(full), 0.0));
    EXPECT_EQ(full, Samples({-32767, 16384}));
}

TEST(Normalize, SilenceStaysSilence) {
    auto bytes = Samples({0, 0, 0});
    EXPECT_DOUBLE_EQ(NormalizeGain(PeakMagnitude(bytes), -1.0), 1.0);
    ScaleSamples(bytes, NormalizeGain(PeakMagnitude(bytes), -1.0));
    EXPECT_EQ(bytes, Samples({0, 0, 0}));
}

TEST(Normalize, ScaledSamplesRoundToTheNearestValueAndStayInRange) {
    auto bytes = Samples({3, -3, 5, -5, 30000, -30000});
    ScaleSamples(bytes, 0.5);
    // Halves round away from zero, as the nearest value does for them.
    EXPECT_EQ(bytes, Samples({2, -2, 3, -3, 15000, -15000}));
    auto loud = Samples({7, -7, 30000, -30000});
    ScaleSamples(loud, 1.3);
    EXPECT_EQ(loud, Samples({9, -9, 32767, -32768}));  // 9.1 is 9; the rest is held at the ends
}

}  // namespace
