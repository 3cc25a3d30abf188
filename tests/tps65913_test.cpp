#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/tps65913.h"

namespace {

const std::string kBelkList =
    "SMPS12               AUTO   1200mV\n"
    "SMPS123              AUTO   1200mV\n"
    "SMPS3                 OFF      0mV\n"
    "SMPS45               AUTO   1000mV\n"
    "SMPS457              AUTO   1000mV\n"
    "SMPS6                 ECO    900mV\n"
    "SMPS7                AUTO   1800mV\n"
    "SMPS8          FORCED_PWM   1200mV\n"
    "SMPS9                AUTO   1020mV\n"
    "LDO1                  OFF   1800mV\n"
    "LDO2                  OFF   2800mV\n"
    "LDO3                  OFF   3300mV\n"
    "LDO4                   ON   1000mV\n"
    "LDO5                   ON   1800mV\n"
    "LDO6                   ON   1200mV\n"
    "LDO7                   ON   1800mV\n"
    "LDO8                   ON   1000mV\n"
    "LDO9                  OFF   3300mV\n"
    "LDOLN                  ON   1800mV\n"
    "LDOUSB                 ON   3250mV\n";

}  // namespace

// Converters: 10 mV steps from 500 mV at 0x06 up to 1650 mV, then bit 7 selects 20 mV
// steps from 1000 mV; LDOs: 50 mV steps from 900 mV up to 3300 mV.
TEST(Tps65913Encoding, RangeEndsAndBetweenSteps)
{
    const DWORD smpsRead[][2] = {{0x00, 0},    {0x80, 0},    {0x01, 450},  {0x06, 500},  {0x79, 1650},
                                 {0x7A, 1650}, {0x86, 1000}, {0xAE, 1800}, {0xF9, 3300}, {0xFF, 3300}};
    for (const auto& [reg, millivolts] : smpsRead)
        EXPECT_EQ(tps65913_SmpsMillivolts(reg), millivolts) << reg;
    const DWORD smpsWrite[][2] = {{0, 0x06},    {500, 0x06},  {509, 0x06},  {510, 0x07},  {1650, 0x79},
                                  {1651, 0xA6}, {1819, 0xAE}, {1820, 0xAF}, {3300, 0xF9}, {0xFFFFFFFF, 0xF9}};
    for (const auto& [millivolts, reg] : smpsWrite)
        EXPECT_EQ(tps65913_SmpsRegister(millivolts), reg) << millivolts;
    const DWORD ldoRead[][2] = {{0, 0}, {1, 900}, {49, 3300}, {50, 3300}, {63, 3300}};
    for (const auto& [selector, millivolts] : ldoRead)
        EXPECT_EQ(tps65913_LdoMillivolts(selector), millivolts) << selector;
    const DWORD ldoWrite[][2] = {{0, 1}, {949, 1}, {950, 2}, {3300, 49}, {0xFFFFFFFF, 49}};
    for (const auto& [millivolts, selector] : ldoWrite)
        EXPECT_EQ(tps65913_LdoSelector(millivolts), selector) << millivolts;
}

TEST(Tps65913Command, ListsAndReadsAtTheSocsAddress)
{
    SimBoard belk("belk");
    EXPECT_EQ(belk.RigoOut({"-tps65913", "list"}), kBelkList);
    const Lines transfers = belk.Transfers();
    ASSERT_EQ(transfers.size(), 40u);
    EXPECT_EQ(transfers[0], "i2c-4 0x49 w 23 r 4c");
    EXPECT_EQ(transfers[1], "i2c-4 0x49 w 20 r 11");

    EXPECT_EQ(belk.RigoOut({"-tps65913", "smps8"}), "SMPS8          FORCED_PWM   1200mV\n");
    EXPECT_EQ(belk.Transfers(), (Lines{"i2c-4 0x49 w 37 r 4c", "i2c-4 0x49 w 34 r 33"}));
    belk.SetRegisters(4, 0x49, 0x33, {0xFF});
    EXPECT_EQ(belk.RigoOut({"-tps65913", "4", "0x49", "SMPS7"}), "SMPS7                AUTO   3300mV\n");
    // LDO selectors are bits 5-0; any state bit 4 reads ON.
    belk.SetRegisters(4, 0x49, 0x58, {0xEF, 0xD3});
    EXPECT_EQ(belk.RigoOut({"-tps65913", "LDO5"}), "LDO5                  OFF   1800mV\n");

    SimBoard corv("corv");
    EXPECT_EQ(corv.RigoOut({"-TPS65913", "LIST"}), kBelkList);
    EXPECT_EQ(corv.Transfers()[0], "i2c-4 0x58 w 23 r 4c");

    // No default on this SoC: only the explicit form works.
    SimBoard dern("dern");
    for (const Lines& args : {Lines{"-tps65913", "list"}, Lines{"-tps65913"}, Lines{"-tps65913", "4", "0", "SMPS6"}})
        EXPECT_EQ(dern.Rigo(args), (RunResult{1, "", HelpText()}));
    dern.SetRegisters(4, 0x49, 0x2F, {0x4C});
    EXPECT_EQ(dern.RigoOut({"-tps65913", "list", "4", "0x49"}).substr(5 * 35, 35),
              "SMPS6                 OFF   1200mV\n");
}

TEST(Tps65913Command, SetsAndSwitchesKeepingTheOtherBits)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6", "1200"}), "SMPS6                 ECO   1200mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x49 w 2f r 2e", "i2c-4 0x49 w 2f 4c", "i2c-4 0x49 w 2f r 4c",
                                        "i2c-4 0x49 w 2c r 21"}));
    EXPECT_EQ(board.Pauses(50000), 4);

    // Converters take the whole register, LDOs bits 5-0 (bits 7 and 6 stay); the two
    // names of a pair are one register set.
    board.SetRegisters(4, 0x49, 0x59, {0xC1});
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS8", "1215"}), "SMPS8          FORCED_PWM   1210mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x37), 0x4D);
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS8", "0x4B0"}), "SMPS8          FORCED_PWM   1200mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x37), 0x4C);
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS123", "1000"}), "SMPS123              AUTO   1000mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x23), 0x38);
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO5", "1800"}), "LDO5                   ON   1800mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x59), 0xD3);
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS12"}), "SMPS12               AUTO   1000mV\n");

    board.SetRegisters(4, 0x49, 0x20, {0x32});
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS12", "ON"}), "SMPS12         FORCED_PWM   1000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x49 w 20 r 32", "i2c-4 0x49 w 20 31", "i2c-4 0x49 w 23 r 38",
                                        "i2c-4 0x49 w 20 r 31"}));
    board.Rigo({"-tps65913", "SMPS123", "off"});
    EXPECT_EQ(board.Register(4, 0x49, 0x20), 0x30);
    // LDOs switch bit 0; the state shown is bit 4, which the chip sets itself.
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDOUSB", "OFF"}), "LDOUSB                 ON   3250mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x64), 0x10);
    board.SetRegisters(4, 0x49, 0x50, {0xE0});
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO1", "On"}), "LDO1                  OFF   1800mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x50), 0xE1);
}

TEST(Tps65913Command, RefusedValuesAndUnknownRails)
{
    SimBoard board("belk");
    // Values below 10 mV are refused, before the rail name is looked at.
    for (const auto& [rail, value] : {std::pair{"SMPS6", "5"}, std::pair{"SMPS6", "abc"}, std::pair{"SMPS6", "9.9"},
                                      std::pair{"NOPE", "0"}}) {
        EXPECT_EQ(board.Rigo({"-tps65913", rail, value}),
                  (RunResult{1, "[VALUE] is not valid [" + std::string(value) + "]\n", ""}));
        EXPECT_TRUE(board.Transfers().empty());
    }
    const std::pair<Lines, const char*> unknown[] = {
        {{"-tps65913", "LDO10"}, "Failed to get voltage [ERR CODE: 2]\n"},
        {{"-tps65913", "LDO10", "1200"}, "Failed to set voltage [ERR CODE: 2]\n"},
        {{"-tps65913", "LDO10", "ON"}, "Failed to turn output ON [ERR CODE: 2]\n"},
        {{"-tps65913", "4", "0x49", "list", "OFF"}, "Failed to turn output OFF [ERR CODE: 2]\n"},
    };
    for (const auto& [args, failure] : unknown) {
        EXPECT_EQ(board.RigoOut(args),
                  "Valid Voltage names: \nSMPS12, SMPS123, SMPS3, SMPS45, SMPS457, SMPS6, SMPS7, SMPS8, "
                  "SMPS9, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, LDOLN, LDOUSB, \n" +
                      std::string(failure));
        EXPECT_TRUE(board.Transfers().empty());
    }
}

TEST(Tps65913Command, AccessFailuresReportTheirCodes)
{
    SimBoard board("belk");
    auto expectOut = [&board](const Lines& args, const std::string& out) {
        EXPECT_EQ(board.RigoOut(args), out);
    };
    // Bus 0 is refused by the accessors: reads report 2, writes 1, the list nothing.
    expectOut({"-tps65913", "0", "0x49", "SMPS6"}, "Failed to get voltage [ERR CODE: 2]\n");
    expectOut({"-tps65913", "0", "0x49", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 1]\n");
    expectOut({"-tps65913", "0", "0x49", "LDO1", "ON"}, "Failed to turn output ON [ERR CODE: 1]\n");
    expectOut({"-tps65913", "list", "0", "0x49"}, "");
    EXPECT_TRUE(board.Transfers().empty());

    board.Fault("i2c open bus=4");
    expectOut({"-tps65913", "SMPS6"}, "Failed to get voltage [ERR CODE: 2]\n");
    expectOut({"-tps65913", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 3]\n");
    expectOut({"-tps65913", "LDO1", "OFF"}, "Failed to turn output OFF [ERR CODE: 3]\n");

    board.SetFault("i2c nack bus=4 addr=0x49");
    expectOut({"-tps65913", "SMPS6"}, "Failed to get voltage [ERR CODE: 2]\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    expectOut({"-tps65913", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 4]\n");
    expectOut({"-tps65913", "LDO1", "ON"}, "Failed to turn output ON [ERR CODE: 4]\n");
    board.SetFault("i2c nack bus=4 addr=0x49 dir=write");
    expectOut({"-tps65913", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 4]\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x2F), 0x2E);

    // Voltage read but state not: the state word is UNKNOWN.
    board.SetFault("i2c nack bus=4 addr=0x49 after=1");
    expectOut({"-tps65913", "SMPS6"}, "SMPS6             UNKNOWN    900mV\n");
    // A rail whose voltage cannot be read is left out of the list.
    board.SetFault("i2c nack bus=4 addr=0x49 count=10");
    expectOut({"-tps65913", "list"}, kBelkList.substr(35));
}
