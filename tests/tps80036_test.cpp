#include <gtest/gtest.h>

#include <string>

#include "e2e.h"
#include "tps80036.h"

TEST(Tps80036Encoding, ConverterModeWordIsControlBits5To4)
{
    EXPECT_STREQ(tps80036_SmpsModeWord(0x00), "OFF       ");
    EXPECT_STREQ(tps80036_SmpsModeWord(0x11), "AUTO      ");
    EXPECT_STREQ(tps80036_SmpsModeWord(0x2F), "ECO       ");
    EXPECT_STREQ(tps80036_SmpsModeWord(0xF0), "FORCE_PWM ");
}

TEST(Tps80036Encoding, ConverterVoltageDecodes)
{
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x00), 0.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x01), 500.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x05), 500.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x06), 500.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x07), 510.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x38), 1000.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x79), 1650.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x7F), 1710.0);
    // The range flag doubles every step, including the 500 mV floor.
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x80), 0.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0x83), 1000.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0xB8), 2000.0);
    EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(0xFF), 3420.0);
}

TEST(Tps80036Encoding, ConverterSelectorTruncatesBetweenSteps)
{
    EXPECT_EQ(tps80036_SmpsSelector(500, 1), 6u);
    EXPECT_EQ(tps80036_SmpsSelector(1000, 1), 56u);
    EXPECT_EQ(tps80036_SmpsSelector(1009, 1), 56u);
    EXPECT_EQ(tps80036_SmpsSelector(1650, 1), 121u);
    EXPECT_EQ(tps80036_SmpsSelector(1000, 2), 6u);
    EXPECT_EQ(tps80036_SmpsSelector(2000, 2), 56u);
    EXPECT_EQ(tps80036_SmpsSelector(2019, 2), 56u);
    EXPECT_EQ(tps80036_SmpsSelector(3300, 2), 121u);
}

TEST(Tps80036Encoding, LdoVoltageDecodesWithClampAndQuirks)
{
    const DWORD on = 0x10, off = 0x00, halving = 0x08;
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0x00, on, 0), 0.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0x01, on, 0), 900.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0x13, on, 0), 1800.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0x31, on, 0), 3300.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0x32, on, 0), 3300.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0xFF, on, 0), 3300.0);
    // LDO7's top selector is its 5 V setting; LDO1 clamps the same selector.
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(6, 0x3F, off, 0), 5000.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(6, 0x3E, off, 0), 3300.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(0, 0x3F, off, 0), 3300.0);
    // Halving applies to LDO4, LDO5 and LDO9 only, and only while they are on.
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(3, 0x37, on, halving), 1650.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(4, 0x13, on, 0xFF), 900.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(8, 0x13, on, halving), 900.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(3, 0x37, off, halving), 3300.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(3, 0x37, on, 0xF7), 3300.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(2, 0x37, on, halving), 3300.0);
    EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(6, 0x3F, on, halving), 5000.0);
}

TEST(Tps80036Encoding, LdoSelectorTruncatesBetweenSteps)
{
    EXPECT_EQ(tps80036_LdoSelector(900, 1), 1u);
    EXPECT_EQ(tps80036_LdoSelector(1800, 1), 19u);
    EXPECT_EQ(tps80036_LdoSelector(1849, 1), 19u);
    EXPECT_EQ(tps80036_LdoSelector(3300, 1), 49u);
    EXPECT_EQ(tps80036_LdoSelector(900, 2), 19u);
    EXPECT_EQ(tps80036_LdoSelector(1800, 2), 55u);
    EXPECT_EQ(tps80036_LdoSelector(3300, 2), 115u);
}
