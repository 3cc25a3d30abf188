#include <gtest/gtest.h>

#include <vector>

#include "e2e.h"
#include "pmic/tps80036.h"

// Converters: 10 mV steps from 500 mV at selector 6, which the range flag (bit 7) doubles;
// below 6 the floor, above 1650 mV the slope runs on. LDOs: 50 mV steps from 900 mV to
// 3300 mV, the whole register read as the selector.
TEST(Tps80036Encoding, RangeEnds)
{
    const DWORD smpsRead[][2] = {{0x00, 0},    {0x05, 500},  {0x06, 500},  {0x79, 1650}, {0x7F, 1710},
                                 {0x80, 0},    {0x81, 1000}, {0xF9, 3300}, {0xFF, 3420}};
    for (const auto& [reg, millivolts] : smpsRead)
        EXPECT_EQ(tps80036_SmpsMillivolts(reg), millivolts) << reg;
    const DWORD smpsWrite[][3] = {{500, 0, 6},   {509, 0, 6},   {510, 0, 7},    {1650, 0, 121},
                                  {1000, 1, 6},  {1019, 1, 6},  {1020, 1, 7},   {3300, 1, 121}};
    for (const auto& [millivolts, doubled, selector] : smpsWrite)
        EXPECT_EQ(tps80036_SmpsSelector(millivolts, doubled != 0), selector) << millivolts;
    const DWORD ldoRead[][2] = {{0, 0}, {1, 900}, {49, 3300}, {50, 3300}, {0xFF, 3300}};
    for (const auto& [reg, millivolts] : ldoRead)
        EXPECT_EQ(tps80036_LdoMillivolts(reg), millivolts) << reg;
    // With the halving flag the request is doubled and not clamped.
    const DWORD ldoWrite[][3] = {{900, 0, 1}, {949, 0, 1}, {950, 0, 2}, {3300, 0, 49}, {900, 1, 19}, {3300, 1, 115}};
    for (const auto& [millivolts, halving, selector] : ldoWrite)
        EXPECT_EQ(tps80036_LdoSelector(millivolts, halving != 0), selector) << millivolts;
}

TEST(Tps80036Command, ReadsWholeRegistersWithItsLdoExceptions)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x20, {0x33, 0x00, 0x00, 0x83});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12"}), "SMPS12       FORCE_PWM  1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 20 r 33", "i2c-4 0x58 w 23 r 83"}));
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDOLN"}), "LDOLN        ON         1800.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 6a r 00", "i2c-4 0x58 w 62 r 11", "i2c-4 0x58 w 63 r 13"}));

    board.SetRegisters(4, 0x58, 0x5D, {0x3F});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO7"}), "LDO7         OFF        5000.0mV\n");
    // The halving flag halves LDO4, LDO5 and LDO9 while they are on, and no other LDO.
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    board.SetRegisters(4, 0x58, 0x54, {0x11, 0x13, 0x11, 0x13, 0x11, 0x13});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO3"}), "LDO3         ON         1800.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO4"}), "LDO4         ON          900.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO5"}), "LDO5         ON          900.0mV\n");
    board.SetRegisters(4, 0x58, 0x56, {0x01, 0xD3});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO4"}), "LDO4         OFF        3300.0mV\n");
}

TEST(Tps80036Command, SetChecksTheRangeWritesTheSelectorSwitchesOnAndReadsBack)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x20, {0x20, 0x00, 0x00, 0x85});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "2000"}), "SMPS12       ECO        2000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 23 r 85", "i2c-4 0x58 w 23 r 85", "i2c-4 0x58 w 23 b8",
                                        "i2c-4 0x58 w 20 r 20", "i2c-4 0x58 w 20 21", "i2c-4 0x58 w 20 r 21",
                                        "i2c-4 0x58 w 23 r b8"}));
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "999"}), "Wrong volt 999, valid range is [1000, 3300]\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO1", "3301"}), "Wrong volt 3301, valid range is [900, 3300]\n");
    EXPECT_EQ(board.Transfers().size(), 1u);

    // The halving flag doubles an LDO request; bits 7-6 and the state bit stay.
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    board.SetRegisters(4, 0x58, 0x56, {0x10, 0xC0});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO4", "1800"}), "LDO4         ON         1650.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x58, 0x56, 2), (std::vector<uint8_t>{0x11, 0xF7}));
}

TEST(Tps80036Command, FailuresSayWhatFailed)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x58");
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12"}), "Failed to read the SMPS output!\nSMPS12       UNKNOWN       0.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO1"}), "LDO1         UNKNOWN       0.0mV\n");

    // A refused selector write leaves the rail off, as the read-back shows.
    board.SetFault("i2c nack bus=4 addr=0x58 dir=write");
    board.SetRegisters(4, 0x58, 0x38, {0x00});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS9", "1000"}), "SMPS9        OFF        2800.0mV\n");

    board.SetFault("i2c open bus=4");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO7", "ON"}), "Failed to open the I2C device!\n");
}
