#include <gtest/gtest.h>

#include "e2e.h"
#include "pmic/tps65913.h"

// Converters: 10 mV steps from 500 mV at 0x06 to 1650 mV, bit 7 doubles; LDOs: 50 mV steps
// from 900 mV to 3300 mV. Writes round down and clamp.
TEST(Tps65913Encoding, RangeEnds)
{
    const DWORD smpsRead[][2] = {{0x00, 0},    {0x01, 450},  {0x06, 500},  {0x79, 1650}, {0x7F, 1650},
                                 {0x80, 0},    {0x86, 1000}, {0xF9, 3300}, {0xFF, 3300}};
    for (const auto& [reg, millivolts] : smpsRead)
        EXPECT_EQ(tps65913_SmpsMillivolts(reg), millivolts) << reg;
    const DWORD smpsWrite[][2] = {{0, 0x06},    {509, 0x06},  {510, 0x07},  {1650, 0x79}, {1651, 0xA6},
                                  {1819, 0xAE}, {1820, 0xAF}, {3300, 0xF9}, {0xFFFFFFFF, 0xF9}};
    for (const auto& [millivolts, reg] : smpsWrite)
        EXPECT_EQ(tps65913_SmpsVoltageRegister(millivolts), reg) << millivolts;
    const DWORD ldoRead[][2] = {{0, 0}, {1, 900}, {49, 3300}, {50, 3300}, {63, 3300}};
    for (const auto& [selector, millivolts] : ldoRead)
        EXPECT_EQ(tps65913_LdoMillivolts(selector), millivolts) << selector;
    const DWORD ldoWrite[][2] = {{0, 1}, {949, 1}, {950, 2}, {3300, 49}, {0xFFFFFFFF, 49}};
    for (const auto& [millivolts, selector] : ldoWrite)
        EXPECT_EQ(tps65913_LdoSelector(millivolts), selector) << millivolts;
}

// Converters show their mode (control bits 5-4) and switch bits 1-0 with the whole voltage
// register; LDOs show bit 4, switch bit 0 and set bits 5-0. SMPS12 and SMPS123 are one rail.
TEST(Tps65913Command, FieldsOfTheSharedRegisterMap)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS8"}), "SMPS8          FORCED_PWM   1200mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x49 w 37 r 4c", "i2c-4 0x49 w 34 r 33"}));
    board.SetRegisters(4, 0x49, 0x58, {0xEF, 0xD3});
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO5"}), "LDO5                  OFF   1800mV\n");

    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS123", "1820"}), "SMPS123              AUTO   1820mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x23), 0xAF);
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS12", "1000"}), "SMPS12               AUTO   1000mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x23), 0x38);
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO5", "900"}), "LDO5                  OFF    900mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x59), 0xC1);

    board.SetRegisters(4, 0x49, 0x20, {0x32});
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS12", "ON"}), "SMPS12         FORCED_PWM   1000mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x20), 0x31);
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO5", "OFF"}), "LDO5                  OFF    900mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x58), 0xEE);
}

TEST(Tps65913Command, AccessFailuresReportTheirCodes)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65913", "0", "0x49", "SMPS6"}), "Failed to get voltage [ERR CODE: 2]\n");
    EXPECT_EQ(board.RigoOut({"-tps65913", "0", "0x49", "LDO1", "ON"}), "Failed to turn output ON [ERR CODE: 1]\n");
    board.Fault("i2c open bus=4");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6"}), "Failed to get voltage [ERR CODE: 2]\n");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6", "1200"}), "Failed to set voltage [ERR CODE: 3]\n");
    board.SetFault("i2c nack bus=4 addr=0x49 dir=write");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6", "1200"}), "Failed to set voltage [ERR CODE: 4]\n");

    // A state that cannot be read shows UNKNOWN; a voltage that cannot be read drops the line.
    board.SetFault("i2c nack bus=4 addr=0x49 after=1");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6"}), "SMPS6             UNKNOWN    900mV\n");
    board.SetFault("i2c nack bus=4 addr=0x49 count=10");
    EXPECT_TRUE(board.RigoOut({"-tps65913", "list"}).starts_with("SMPS123              AUTO   1200mV\n"));
}
