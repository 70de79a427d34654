// Which exclusive messages the module handles itself, byte by byte.

#include "module/fluid/exclusive_message.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Kind = ExclusiveAction::Kind;

ExclusiveAction Classify(const std::vector<std::uint8_t>& bytes) { return ClassifyExclusive(bytes.data(), bytes.size()); }

// F0 41 10 42 12 <address> <value> <checksum> F7 with a correct checksum.
std::vector<std::uint8_t> GsDataSet(std::uint8_t a1, std::uint8_t a2, std::uint8_t a3, std::uint8_t value) {
    const std::uint8_t checksum = (128 - ((a1 + a2 + a3 + value) & 0x7F)) & 0x7F;
    return {0xF0, 0x41, 0x10, 0x42, 0x12, a1, a2, a3, value, checksum, 0xF7};
}

TEST(ExclusiveMessageTest, TheGsResetResets) {
    EXPECT_EQ(Classify({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}).kind, Kind::kReset);
}

TEST(ExclusiveMessageTest, GmAndGm2SystemOnReset) {
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).kind, Kind::kReset);
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x7F, 0x09, 0x03, 0xF7}).kind, Kind::kReset);
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x10, 0x09, 0x01, 0xF7}).kind, Kind::kReset);  // any device
}

TEST(ExclusiveMessageTest, GmSystemOffAndXgOnGoToTheSynthesizer) {
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7}).kind, Kind::kPassOn);
    EXPECT_EQ(Classify({0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}).kind, Kind::kPassOn);
}

TEST(ExclusiveMessageTest, TheRhythmPartMessageNamesItsChannelByGsPartNumber) {
    // Part nibble 0 is channel 10; 1-9 are channels 1-9; 10-15 are 11-16.
    const int expected[16] = {9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};
    for (int part = 0; part < 16; ++part) {
        const ExclusiveAction action = Classify(GsDataSet(0x40, static_cast<std::uint8_t>(0x10 | part), 0x15, 0x01));
        ASSERT_EQ(action.kind, Kind::kSetRhythmPart) << part;
        EXPECT_EQ(action.channel, expected[part]) << part;
        EXPECT_TRUE(action.drum) << part;
    }
}

TEST(ExclusiveMessageTest, RhythmPartValueZeroMakesANormalPartAndAnyOtherADrumPart) {
    EXPECT_FALSE(Classify(GsDataSet(0x40, 0x12, 0x15, 0x00)).drum);
    EXPECT_TRUE(Classify(GsDataSet(0x40, 0x12, 0x15, 0x01)).drum);
    EXPECT_TRUE(Classify(GsDataSet(0x40, 0x12, 0x15, 0x02)).drum);
}

TEST(ExclusiveMessageTest, AGsMessageWithAWrongChecksumIsPassedOnUnhandled) {
    std::vector<std::uint8_t> reset = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x40, 0xF7};
    EXPECT_EQ(Classify(reset).kind, Kind::kPassOn);
    std::vector<std::uint8_t> rhythm = GsDataSet(0x40, 0x12, 0x15, 0x01);
    rhythm[9] ^= 0x01;
    EXPECT_EQ(Classify(rhythm).kind, Kind::kPassOn);
}

TEST(ExclusiveMessageTest, OtherGsParametersArePassedOn) {
    EXPECT_EQ(Classify(GsDataSet(0x40, 0x11, 0x02, 0x40)).kind, Kind::kPassOn);  // part 1 receive channel
    EXPECT_EQ(Classify(GsDataSet(0x40, 0x01, 0x30, 0x04)).kind, Kind::kPassOn);  // reverb macro
    EXPECT_EQ(Classify(GsDataSet(0x40, 0x00, 0x7F, 0x01)).kind, Kind::kPassOn);  // reset address, other value
}

TEST(ExclusiveMessageTest, SomethingThatIsNotAWholeExclusiveMessageIsIgnored) {
    EXPECT_EQ(Classify({}).kind, Kind::kIgnore);
    EXPECT_EQ(Classify({0xF0}).kind, Kind::kIgnore);
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x7F, 0x09, 0x01}).kind, Kind::kIgnore);        // no F7
    EXPECT_EQ(Classify({0x90, 0x3C, 0x40, 0xF7}).kind, Kind::kIgnore);              // no F0
    EXPECT_EQ(Classify({0xF0, 0x7E, 0x90, 0x09, 0x01, 0xF7}).kind, Kind::kIgnore);  // status byte inside
    EXPECT_EQ(ClassifyExclusive(nullptr, 6).kind, Kind::kIgnore);
}

TEST(ExclusiveMessageTest, TheEmptyExclusiveMessageIsPassedOn) {
    EXPECT_EQ(Classify({0xF0, 0xF7}).kind, Kind::kPassOn);
}

}  // namespace
