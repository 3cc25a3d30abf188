#include <gtest/gtest.h>

#include "common.h"
#include "mem.h"

TEST(Common, StricmpIgnoresCaseAndComparesUnsignedBytes)
{
    EXPECT_EQ(stricmp("-tps65913", "-TPS65913"), 0);
    EXPECT_EQ(stricmp("", ""), 0);
    EXPECT_LT(stricmp("abc", "ABD"), 0);
    EXPECT_GT(stricmp("ABD", "abc"), 0);
    EXPECT_EQ(stricmp("-RD", "-RD8"), -'8');
    EXPECT_EQ(stricmp("-RD8", "-rd"), '8');
    EXPECT_GT(stricmp("\xe9", "Z"), 0);  // bytes above 127 are not negative
    EXPECT_NE(stricmp("-rd[", "-RD{"), 0);
}

TEST(Common, ModulusUsesATruncatedQuotient)
{
    EXPECT_DOUBLE_EQ(modulus(1212.5, 12.5), 0.0);
    EXPECT_DOUBLE_EQ(modulus(1000, 12.5), 0.0);
    EXPECT_DOUBLE_EQ(modulus(1201, 12.5), 1.0);
    EXPECT_DOUBLE_EQ(modulus(-7, 2), -1.0);
    EXPECT_DOUBLE_EQ(modulus(7.5, -2), 1.5);
}

TEST(Common, BitsToShiftFindsTheLowestSetBit)
{
    EXPECT_EQ(BitsToShift(0), 0);
    EXPECT_EQ(BitsToShift(1), 0);
    EXPECT_EQ(BitsToShift(0x0C), 2);
    EXPECT_EQ(BitsToShift(0x00F0), 4);
    EXPECT_EQ(BitsToShift(0x0000FF00), 8);
    EXPECT_EQ(BitsToShift(0x80000000), 31);
    EXPECT_EQ(BitsToShift(0xFFFFFFFF), 0);
}

TEST(Common, ParseNumberReadsAsThe32BitTargetDoes)
{
    EXPECT_EQ(ParseNumber("0x7000F404"), 0x7000F404u);
    EXPECT_EQ(ParseNumber("0x7000f404"), 0x7000F404u);
    EXPECT_EQ(ParseNumber("0X1f"), 31u);
    EXPECT_EQ(ParseNumber("1200"), 1200u);
    EXPECT_EQ(ParseNumber("010"), 8u);
    EXPECT_EQ(ParseNumber("09"), 0u);
    EXPECT_EQ(ParseNumber("12abc"), 12u);
    EXPECT_EQ(ParseNumber("abc"), 0u);
    EXPECT_EQ(ParseNumber(""), 0u);
    EXPECT_EQ(ParseNumber("0x"), 0u);
    EXPECT_EQ(ParseNumber("  42"), 42u);
    EXPECT_EQ(ParseNumber("+7"), 7u);
    // Saturation and negation as strtoul does it with a 32-bit unsigned long.
    EXPECT_EQ(ParseNumber("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("4294967296"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("0x1FFFFFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("99999999999999999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("-0x10"), 0xFFFFFFF0u);
    EXPECT_EQ(ParseNumber("-4294967295"), 1u);
    EXPECT_EQ(ParseNumber("-4294967296"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("--1"), 0u);
}
