// The rail-description helpers every driver builds on.
#include <gtest/gtest.h>

#include "pmic/rail.h"

TEST(RegisterField, GetsAndSetsOnlyItsBits)
{
    constexpr RegisterField field = {0x22, 2, 6};
    EXPECT_EQ(field.Mask(), 0x7Cu);
    EXPECT_EQ(field.Get(0xFF), 0x1Fu);
    EXPECT_EQ(field.Get(0x83), 0u);
    EXPECT_EQ(field.Set(0x83, 0x1F), 0xFFu);
    EXPECT_EQ(field.Set(0xFF, 0x20), 0x83u);  // bits beyond the width are dropped
    EXPECT_EQ((RegisterField{0, 0, 7}.Mask()), 0xFFu);
}

TEST(LinearRange, BothDirectionsAgreeAtTheEndsAndRoundAsAsked)
{
    constexpr LinearRange range = {600000, 1, 90, 10000};  // 600 mV .. 1.49 V in 10 mV steps
    EXPECT_EQ(range.Maximum(), 1490000u);
    EXPECT_EQ(range.Voltage(1), 600000u);
    EXPECT_EQ(range.Voltage(90), 1490000u);
    EXPECT_TRUE(range.HoldsSelector(90));
    EXPECT_FALSE(range.HoldsSelector(0));
    EXPECT_FALSE(range.HoldsSelector(91));
    for (DWORD selector = range.firstSelector; selector <= range.lastSelector; ++selector) {
        ASSERT_EQ(range.SelectorAtOrBelow(range.Voltage(selector)), selector);
        ASSERT_EQ(range.SelectorAtOrAbove(range.Voltage(selector)), selector);
    }
    EXPECT_EQ(range.SelectorAtOrBelow(605000), 1u);
    EXPECT_EQ(range.SelectorAtOrAbove(605000), 2u);
    EXPECT_EQ(range.SelectorAtOrAbove(0), 1u);
    EXPECT_EQ(range.SelectorAtOrBelow(5000000), 90u);
}

TEST(LinearRanges, AscendingRangesFindTheirSelectors)
{
    // 12.5 mV steps to 1.4 V, 25 mV to 2.6 V, 50 mV to 3.35 V.
    const LinearRange ranges[] = {{612500, 1, 64, 12500}, {1425000, 65, 112, 25000}, {2650000, 113, 127, 50000}};
    DWORD voltage = 0;
    ASSERT_TRUE(RangesVoltage(ranges, 64, &voltage));
    EXPECT_EQ(voltage, 1400000u);
    ASSERT_TRUE(RangesVoltage(ranges, 65, &voltage));
    EXPECT_EQ(voltage, 1425000u);
    ASSERT_TRUE(RangesVoltage(ranges, 127, &voltage));
    EXPECT_EQ(voltage, 3350000u);
    EXPECT_FALSE(RangesVoltage(ranges, 0, &voltage));
    EXPECT_FALSE(RangesVoltage(ranges, 128, &voltage));

    DWORD selector = 0;
    ASSERT_TRUE(RangesSelectorAtOrAbove(ranges, 1400001, &selector));
    EXPECT_EQ(selector, 65u);
    ASSERT_TRUE(RangesSelectorAtOrAbove(ranges, 2600001, &selector));
    EXPECT_EQ(selector, 113u);
    ASSERT_TRUE(RangesSelectorAtOrAbove(ranges, 50000, &selector));
    EXPECT_EQ(selector, 1u);
    EXPECT_FALSE(RangesSelectorAtOrAbove(ranges, 3350001, &selector));
}
