// Meter normalisation, the key byte and the pre-count choice.
#include <gtest/gtest.h>

#include "import/time_signature.h"

namespace {

std::uint8_t Byte(int numerator, int power) { return TimeSignatureByte(Meter{numerator, power}); }

TEST(TimeSignatureByte, NormalisesAndRefusesAsTheMeasureTrackNeeds) {
    EXPECT_EQ(Byte(6, 3), 0x57);
    EXPECT_EQ(Byte(3, 2), 0x23);
    EXPECT_EQ(Byte(12, 5), 0x5F) << "12/32 becomes 6/16";
    EXPECT_EQ(Byte(8, 2), 0x33) << "8/4 is refused";
    EXPECT_EQ(Byte(17, 4), 0x33) << "17/16 is refused";
    EXPECT_EQ(Byte(1, 0), 0x00);
    EXPECT_EQ(Byte(3, 6), 0x33) << "3/64 cannot be reduced";
    EXPECT_EQ(Byte(0, 2), 0x33) << "a numerator of 0 is refused";
    EXPECT_EQ(Byte(1, 255), 0x33) << "an absurd denominator is refused";
}

TEST(KeyByte, ClampsSharpsAndFlatsAndSetsTheMinorBit) {
    EXPECT_EQ(KeyByte(0, false), 7);
    EXPECT_EQ(KeyByte(-7, true), 0x80);
    EXPECT_EQ(KeyByte(-100, false), 0);
    EXPECT_EQ(KeyByte(100, false), 14);
}

TEST(PreCountChoice, AMeterWithoutClocksKeepsTheDefaults) {
    std::deque<TimeSigEntry> history;
    RecordTimeSignature(history, Meter{4, 2}, 0, 0);
    const PreCount p = ComputePreCount(history, 1920 * 8);
    EXPECT_EQ(p.clickTicks, 480);
    EXPECT_EQ(p.clicksPerMeasure, 4);
}

TEST(PreCountChoice, AMeterWithAZeroLengthMeasureCountsNoMeasures) {
    std::deque<TimeSigEntry> history;
    RecordTimeSignature(history, Meter{0, 2}, 24, 0);
    RecordTimeSignature(history, Meter{3, 2}, 24, 1920);
    EXPECT_EQ(history[0].measures, 0);
    const PreCount p = ComputePreCount(history, 1920 + 1440 * 2);
    EXPECT_EQ(p.clickTicks, 480);
    EXPECT_EQ(p.clicksPerMeasure, 3);
}

TEST(PreCountChoice, TheFirstOfEquallyLongMetersIsChosen) {
    std::deque<TimeSigEntry> history;
    RecordTimeSignature(history, Meter{3, 2}, 24, 0);
    RecordTimeSignature(history, Meter{2, 2}, 12, 1440 * 2);
    const PreCount p = ComputePreCount(history, 1440 * 2 + 960 * 2);
    EXPECT_EQ(p.clickTicks, 480);
    EXPECT_EQ(p.clicksPerMeasure, 3);
}

}  // namespace
