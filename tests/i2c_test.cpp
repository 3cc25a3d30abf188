#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "i2c.h"
#include "main.h"

namespace {

std::vector<BYTE> Bytes(const BYTE* buffer, size_t count)
{
    return std::vector<BYTE>(buffer, buffer + count);
}

std::string Split(const char* src, int* count)
{
    std::vector<char> buffer(5 * std::string(src).size() + 1, '#');
    char* dest = buffer.data();
    *count = split_into_bytes(src, &dest);
    return std::string(buffer.data());
}

}  // namespace

TEST(I2cBuffer, BuildsMostSignificantByteFirst)
{
    BYTE buffer[8] = {};
    DWORD count = 99;
    EXPECT_EQ(I2cBuildBuffer(buffer, 8, 0x12345678, &count), 0);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(buffer[0], 0x78);
    EXPECT_EQ(I2cBuildBuffer(buffer, 16, 0x0102, &count), 0);
    EXPECT_EQ(Bytes(buffer, count), (std::vector<BYTE>{0x01, 0x02}));
    EXPECT_EQ(I2cBuildBuffer(buffer, 24, 0x12345678, &count), 0);
    EXPECT_EQ(Bytes(buffer, count), (std::vector<BYTE>{0x34, 0x56, 0x78}));
    EXPECT_EQ(I2cBuildBuffer(buffer, 32, 0x12345678, &count), 0);
    EXPECT_EQ(Bytes(buffer, count), (std::vector<BYTE>{0x12, 0x34, 0x56, 0x78}));
}

TEST(I2cBuffer, BuildRejectsOddWidthsAndNoAddressWritesNothing)
{
    BYTE buffer[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    DWORD count = 7;
    EXPECT_EQ(I2cBuildBuffer(buffer, 0, 0x1234, &count), 0);
    EXPECT_EQ(count, 0u);
    count = 7;
    EXPECT_EQ(I2cBuildBuffer(buffer, 12, 0x1234, &count), 2);
    EXPECT_EQ(I2cBuildBuffer(buffer, 64, 0x1234, &count), 2);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(Bytes(buffer, 4), (std::vector<BYTE>{0xAA, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(I2cBuildBuffer(buffer, 8, 0x12, nullptr), 1);
}

TEST(I2cBuffer, RebuildReadsMostSignificantByteFirst)
{
    BYTE buffer[4] = {0x12, 0x34, 0x56, 0x78};
    DWORD value = 0;
    EXPECT_EQ(I2cRebuildValue(buffer, 8, &value), 0);
    EXPECT_EQ(value, 0x12u);
    EXPECT_EQ(I2cRebuildValue(buffer, 16, &value), 0);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(I2cRebuildValue(buffer, 24, &value), 0);
    EXPECT_EQ(value, 0x123456u);
    EXPECT_EQ(I2cRebuildValue(buffer, 32, &value), 0);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(I2cRebuildValue(buffer, 12, &value), 0);
    EXPECT_EQ(value, 0u);
    value = 5;
    EXPECT_EQ(I2cRebuildValue(buffer, 0, &value), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(I2cRebuildValue(buffer, 8, nullptr), 1);
}

TEST(I2cBitField, MaskSpansMsbDownToLsb)
{
    EXPECT_EQ(I2cFieldMask(4, 5), 0x30u);
    EXPECT_EQ(I2cFieldMask(0, 7), 0xFFu);
    EXPECT_EQ(I2cFieldMask(3, 3), 0x08u);
    EXPECT_EQ(I2cFieldMask(0, 31), 0xFFFFFFFFu);
    EXPECT_EQ(I2cFieldMask(31, 31), 0x80000000u);
    // Bits that would land above bit 31 are lost; shifts of 32 or more leave nothing.
    EXPECT_EQ(I2cFieldMask(30, 40), 0xC0000000u);
    EXPECT_EQ(I2cFieldMask(32, 33), 0u);
    EXPECT_EQ(I2cFieldMask(5, 4), 0u);
    EXPECT_EQ(I2cFieldMask(0, 40), 0u);
}

TEST(I2cBitField, MergeReplacesOnlyTheField)
{
    EXPECT_EQ(I2cMergeField(0x81, 3, 4, 5), 0xB1u);
    EXPECT_EQ(I2cMergeField(0x81, 7, 4, 5), 0xB1u);  // value bits beyond the field are dropped
    EXPECT_EQ(I2cMergeField(0xFF, 2, 4, 5), 0xEFu);
    EXPECT_EQ(I2cMergeField(0xFF, 0, 0, 2), 0xF8u);  // a mask of 0x05 spans bits 2..0
    EXPECT_EQ(I2cMergeField(0x00, 1, 7, 7), 0x80u);
    EXPECT_EQ(I2cMergeField(0x5A, 1, 5, 4), 0x5Au);
}

// Everything below runs with no bus node open, as the transport is after I2cClose.
TEST(I2cTransport, RejectsBadFieldsBeforeAnyTransfer)
{
    EXPECT_EQ(I2cClose(), 0);
    // A transfer without an open node would fail with 1; 22 shows none was tried.
    EXPECT_EQ(I2cWriteBitRange(0x2d, 0x10, 1, 8, 8, 0, 8), 22);
    EXPECT_EQ(I2cWriteBitRange(0x2d, 0x10, 1, 8, 8, 5, 4), 22);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x100), 22);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x180), 22);

    testing::internal::CaptureStdout();
    int status = I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Invalid BitMask 0 to access PMU registers\n");
    EXPECT_EQ(status, 1);
}

TEST(I2cTransport, TransfersWithoutAnOpenNodeFailAfterRetrying)
{
    EXPECT_EQ(I2cClose(), 0);
    DWORD value = 0xDEAD;
    EXPECT_EQ(I2cRead(0x2d, 0x10, &value, 8, 8), 1);
    EXPECT_EQ(value, 0xDEADu);
    EXPECT_EQ(I2cReadBitRange(0x2d, 0x10, &value, 8, 8, 0, 3), 1);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(I2cWrite(0x2d, 0x10, 0x12, 8, 8), 1);
    EXPECT_EQ(I2cWriteMasked(0x2d, 0x10, 1, 8, 8, 0x05), 1);
}

TEST(I2cSplitIntoBytes, CutsPairsAfterAnOptionalPrefix)
{
    int count = -1;
    EXPECT_EQ(Split("0x7000F404", &count), "0x70 0x00 0xF4 0x04 ");
    EXPECT_EQ(count, 4);
    EXPECT_EQ(Split("0X1a", &count), "0x1a ");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Split("1122", &count), "0x11 0x22 ");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Split("zz", &count), "0xzz ");  // no test on the characters
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Split("0x", &count), "");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Split("", &count), "");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Split("0x123", &count), "0x12 0x3");  // a lone last digit still counts
    EXPECT_EQ(count, 2);
}
