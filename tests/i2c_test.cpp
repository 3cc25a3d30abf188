// The transfers themselves are checked end to end; here what never reaches a bus.
#include <gtest/gtest.h>

#include <vector>

#include "bus/i2c.h"

// 22: a bad field is refused before any transfer; 1: the transfer failed (no node open).
TEST(I2cTransport, BadFieldsAndClosedNode)
{
    BYTE buffer[8] = {};
    DWORD count = 7;
    EXPECT_EQ(I2cBuildBuffer(buffer, 12, 0x1234, &count), 2);  // not whole bytes
    // Wider register addresses and data go most significant byte first.
    EXPECT_EQ(I2cBuildBuffer(buffer, 24, 0x12345678, &count), 0);
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 4), (std::vector<BYTE>{0x34, 0x56, 0x78, 0x00}));
    EXPECT_EQ(count, 3u);
    I2cBuildBuffer(buffer, 32, 0x12345678, &count);
    DWORD rebuilt = 0;
    I2cRebuildValue(buffer, 32, &rebuilt);
    EXPECT_EQ(rebuilt, 0x12345678u);
    EXPECT_EQ(I2cClose(), 0);
    EXPECT_EQ(I2cWriteBitRange(0x2d, 0x10, 1, 8, 8, 5, 4), 22);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x100), 22);
    DWORD value = 0xDEAD;
    EXPECT_EQ(I2cRead(0x2d, 0x10, &value, 8, 8), 1);
    EXPECT_EQ(value, 0xDEADu);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x05), 1);
}
