#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "bus/i2c.h"

TEST(I2cTransport, BuffersAreMostSignificantByteFirstAtEveryWidth)
{
    const BYTE wire[4] = {0x12, 0x34, 0x56, 0x78};
    const struct {
        BYTE width;
        DWORD value;
    } widths[] = {{8, 0x78}, {16, 0x5678}, {24, 0x345678}, {32, 0x12345678}};
    for (const auto& w : widths) {
        BYTE buffer[4] = {};
        DWORD count = 0;
        EXPECT_EQ(I2cBuildBuffer(buffer, w.width, 0x12345678, &count), 0);
        EXPECT_EQ(std::vector<BYTE>(buffer, buffer + count), std::vector<BYTE>(wire + 4 - w.width / 8, wire + 4));
        DWORD value = 0;
        EXPECT_EQ(I2cRebuildValue(buffer, w.width, &value), 0);
        EXPECT_EQ(value, w.value) << int(w.width);
    }
    // No register address writes nothing; widths that are not whole bytes are refused.
    DWORD count = 7;
    BYTE buffer[8] = {};
    EXPECT_EQ(I2cBuildBuffer(buffer, 0, 0x1234, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(I2cBuildBuffer(buffer, 12, 0x1234, &count), 2);
    EXPECT_EQ(I2cBuildBuffer(buffer, 64, 0x1234, &count), 2);
    EXPECT_EQ(I2cBuildBuffer(buffer, 8, 0x12, nullptr), 1);
    EXPECT_EQ(I2cRebuildValue(buffer, 8, nullptr), 1);
}

// With no bus node open a transfer fails with 1 after its retries; 22 shows that a bad
// field was refused before any transfer was tried.
TEST(I2cTransport, BadFieldsAndClosedNode)
{
    EXPECT_EQ(I2cClose(), 0);
    EXPECT_EQ(I2cWriteBitRange(0x2d, 0x10, 1, 8, 8, 0, 8), 22);
    EXPECT_EQ(I2cWriteBitRange(0x2d, 0x10, 1, 8, 8, 5, 4), 22);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x100), 22);
    testing::internal::CaptureStdout();
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0), 1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid BitMask 0 to access PMU registers\n");

    DWORD value = 0xDEAD;
    EXPECT_EQ(I2cRead(0x2d, 0x10, &value, 8, 8), 1);
    EXPECT_EQ(value, 0xDEADu);
    EXPECT_EQ(I2cReadBitRange(0x2d, 0x10, &value, 8, 8, 0, 3), 1);
    EXPECT_EQ(I2cWrite(0x2d, 0x10, 0x12, 8, 8), 1);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x05), 1);
}
