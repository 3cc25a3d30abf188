// The rail-description helpers every driver builds on; the drivers' own tests cover the
// values, these the edges between steps and between ranges.
#include <gtest/gtest.h>

#include "pmic/rail.h"

TEST(LinearRanges, SelectorsAndVoltagesAgreeAndRoundUpBetweenRanges)
{
    EXPECT_EQ((RegisterField{0x22, 2, 6}.Set(0xFF, 0x20)), 0x83u);  // bits beyond the width are dropped
    constexpr LinearRange range = {600000, 1, 90, 10000};             // 600 mV .. 1.49 V in 10 mV steps
    for (DWORD selector = range.firstSelector; selector <= range.lastSelector; ++selector) {
        ASSERT_EQ(range.SelectorAtOrBelow(range.Voltage(selector)), selector);
        ASSERT_EQ(range.SelectorAtOrAbove(range.Voltage(selector)), selector);
    }
    EXPECT_EQ(range.SelectorAtOrBelow(605000), 1u);
    EXPECT_EQ(range.SelectorAtOrAbove(605000), 2u);

    // 12.5 mV steps to 1.4 V, 25 mV to 2.6 V, 50 mV to 3.35 V.
    const LinearRange ranges[] = {{612500, 1, 64, 12500}, {1425000, 65, 112, 25000}, {2650000, 113, 127, 50000}};
    DWORD selector = 0;
    ASSERT_TRUE(RangesSelectorAtOrAbove(ranges, 1400001, &selector));
    EXPECT_EQ(selector, 65u);
    EXPECT_FALSE(RangesSelectorAtOrAbove(ranges, 3350001, &selector));
}
