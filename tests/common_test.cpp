#include <gtest/gtest.h>

#include <cmath>

#include "common.h"

TEST(Common, StricmpAndModulus)
{
    EXPECT_EQ(stricmp("-RD", "-RD8"), -'8');  // a prefix sorts first, by the next byte
    EXPECT_GT(stricmp("\xe9", "Z"), 0);       // bytes above 127 are not negative
    EXPECT_NE(stricmp("-rd[", "-RD{"), 0);
    EXPECT_DOUBLE_EQ(modulus(-7, 2), -1.0);  // truncated quotient
}

TEST(Common, NumbersConvertAsOnThe32BitTarget)
{
    const struct {
        const char* text;
        DWORD value;
    } numbers[] = {
        {"0X1f", 31}, {"010", 8}, {"09", 0}, {"12abc", 12}, {"0x", 0}, {"--1", 0},
        // strtoul with a 32-bit unsigned long: saturation, and negation of the magnitude.
        {"4294967296", 0xFFFFFFFF}, {"0x1FFFFFFFF", 0xFFFFFFFF}, {"-0x10", 0xFFFFFFF0},
        {"-4294967295", 1}, {"-4294967296", 0xFFFFFFFF},
    };
    for (const auto& n : numbers)
        EXPECT_EQ(ParseNumber(n.text), n.value) << '"' << n.text << '"';
    EXPECT_EQ(DoubleToDword(-5.0), 0u);
    EXPECT_EQ(DoubleToDword(1e12), 0xFFFFFFFFu);
    EXPECT_EQ(DoubleToDword(NAN), 0u);
}
