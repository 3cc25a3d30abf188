#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/tps80036.h"

namespace {

const char kReferenceList[] =
    "SMPS12       AUTO       1000.0mV\n"
    "SMPS3        AUTO       1200.0mV\n"
    "SMPS6        AUTO       1800.0mV\n"
    "SMPS7        ECO        1100.0mV\n"
    "SMPS8        FORCE_PWM  1350.0mV\n"
    "SMPS9        OFF        2800.0mV\n"
    "LDO1         ON         1800.0mV\n"
    "LDO2         ON         2800.0mV\n"
    "LDO3         ON         1800.0mV\n"
    "LDO4         OFF        1200.0mV\n"
    "LDO5         OFF        2800.0mV\n"
    "LDO6         ON         1200.0mV\n"
    "LDO7         OFF        2800.0mV\n"
    "LDO8         ON         1000.0mV\n"
    "LDO9         ON         3300.0mV\n"
    "LDO10        OFF        1800.0mV\n"
    "LDO11        OFF        3300.0mV\n"
    "LDO12        ON         1800.0mV\n"
    "LDO13        OFF        2500.0mV\n"
    "LDO14        OFF        1800.0mV\n"
    "LDOLN        ON         1800.0mV\n"
    "LDOUSB       ON         3300.0mV\n";

}  // namespace

TEST(Tps80036Encoding, RangeFlagHalvingAndSteps)
{
    // Converters: 10 mV steps from 500 mV at selector 6; the range flag (bit 7) doubles
    // every step, the 500 mV floor included.
    const std::pair<DWORD, double> smps[] = {{0x00, 0.0},    {0x01, 500.0},  {0x05, 500.0},  {0x07, 510.0},
                                             {0x79, 1650.0}, {0x7F, 1710.0}, {0x80, 0.0},    {0x83, 1000.0},
                                             {0xB8, 2000.0}, {0xFF, 3420.0}};
    for (const auto& [reg, millivolts] : smps)
        EXPECT_DOUBLE_EQ(tps80036_SmpsMillivolts(reg), millivolts) << reg;
    EXPECT_EQ(tps80036_SmpsSelector(500, 1), 6u);
    EXPECT_EQ(tps80036_SmpsSelector(1009, 1), 56u);
    EXPECT_EQ(tps80036_SmpsSelector(1650, 1), 121u);
    EXPECT_EQ(tps80036_SmpsSelector(2019, 2), 56u);
    EXPECT_EQ(tps80036_SmpsSelector(3300, 2), 121u);

    // LDOs: 50 mV steps from 900 mV clamped at 3300 mV, but LDO7's top selector is 5 V;
    // halving (bit 3 of the flag register) applies to LDO4, LDO5 and LDO9 while they are on.
    const DWORD on = 0x10, off = 0x00, halving = 0x08;
    const struct {
        DWORD id, reg, ctrl, flags;
        double millivolts;
    } ldo[] = {
        {0, 0x00, on, 0, 0.0},         {0, 0x01, on, 0, 900.0},         {0, 0x32, on, 0, 3300.0},
        {6, 0x3E, off, 0, 3300.0},     {0, 0x3F, off, 0, 3300.0},       {8, 0x13, on, halving, 900.0},
        {3, 0x37, on, 0xF7, 3300.0},   {2, 0x37, on, halving, 3300.0},
    };
    for (const auto& l : ldo)
        EXPECT_DOUBLE_EQ(tps80036_LdoMillivolts(l.id, l.reg, l.ctrl, l.flags), l.millivolts) << l.id << " " << l.reg;
    EXPECT_EQ(tps80036_LdoSelector(1849, 1), 19u);
    EXPECT_EQ(tps80036_LdoSelector(3300, 1), 49u);
    EXPECT_EQ(tps80036_LdoSelector(900, 2), 19u);
    EXPECT_EQ(tps80036_LdoSelector(3300, 2), 115u);
}

TEST(Tps80036Command, ListsAndReadsPerChip)
{
    SimBoard dern("dern");
    EXPECT_EQ(dern.RigoOut({"-tps80036", "list"}), kReferenceList);

    // A converter reads control then voltage; an LDO the halving flag, control, voltage.
    EXPECT_EQ(dern.RigoOut({"-tps80036", "smps12"}), "SMPS12       AUTO       1000.0mV\n");
    EXPECT_EQ(dern.Transfers(), (Lines{"i2c-4 0x58 w 20 r 11", "i2c-4 0x58 w 23 r 38"}));
    EXPECT_EQ(dern.Pauses(50000), 2);
    EXPECT_EQ(dern.RigoOut({"-TPS80036", "4", "0x58", "LDOLN"}), "LDOLN        ON         1800.0mV\n");
    EXPECT_EQ(dern.Transfers(), (Lines{"i2c-4 0x58 w 6a r 00", "i2c-4 0x58 w 62 r 11", "i2c-4 0x58 w 63 r 13"}));

    dern.SetRegisters(4, 0x58, 0x20, {0x33, 0x00, 0x00, 0x83});
    EXPECT_EQ(dern.RigoOut({"-tps80036", "SMPS12"}), "SMPS12       FORCE_PWM  1000.0mV\n");
    dern.SetRegisters(4, 0x58, 0x5D, {0x3F});
    EXPECT_EQ(dern.RigoOut({"-tps80036", "LDO7"}), "LDO7         OFF        5000.0mV\n");
    dern.SetRegisters(4, 0x58, 0x6A, {0x08});
    dern.SetRegisters(4, 0x58, 0x56, {0x11, 0x13});
    EXPECT_EQ(dern.RigoOut({"-tps80036", "LDO4"}), "LDO4         ON          900.0mV\n");
    EXPECT_EQ(dern.RigoOut({"-tps80036", "LDO5"}), "LDO5         OFF        2800.0mV\n");
    EXPECT_EQ(dern.RigoOut({"-tps80036", "LDO3"}), "LDO3         ON         1800.0mV\n");

    // Unknown rails list the names.
    for (const Lines& args : {Lines{"-tps80036", "SMPS1", "ON"}, Lines{"-tps80036", "4", "0x58", "list"}}) {
        EXPECT_EQ(dern.RigoOut(args),
                  "Valid Voltage names: \nSMPS12, SMPS3, SMPS6, SMPS7, SMPS8, SMPS9, LDO1, LDO2, LDO3, "
                  "LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, LDO10, LDO11, LDO12, LDO13, LDO14, LDOLN, LDOUSB, \n");
        EXPECT_TRUE(dern.Transfers().empty());
    }

    SimBoard corv("corv");
    EXPECT_EQ(corv.RigoOut({"-tps80036", "list"}), kReferenceList);
    EXPECT_EQ(corv.Transfers().front(), "i2c-4 0x48 w 20 r 11");
    SimBoard avin("avin");
    EXPECT_EQ(avin.Rigo({"-tps80036", "list"}), (RunResult{1, "", HelpText()}));
}

TEST(Tps80036Command, SetWritesSelectorSwitchesOnAndReadsBack)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x20, {0x20, 0x00, 0x00, 0x05});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "1000"}), "SMPS12       ECO        1000.0mV\n");
    // Flag read, then two read-modify-writes, then the read-back.
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 23 r 05", "i2c-4 0x58 w 23 r 05", "i2c-4 0x58 w 23 38",
                                        "i2c-4 0x58 w 20 r 20", "i2c-4 0x58 w 20 21", "i2c-4 0x58 w 20 r 21",
                                        "i2c-4 0x58 w 23 r 38"}));
    EXPECT_EQ(board.Pauses(50000), 7);

    // With the range flag set the steps double and the flag stays; the value is read with
    // atoi (the fraction goes); LDO selectors go into bits 5-0, bits 7-6 and the state bit
    // stay; the halving flag doubles an LDO request.
    board.SetRegisters(4, 0x58, 0x23, {0x80});
    board.SetRegisters(4, 0x58, 0x27, {0x00});
    board.SetRegisters(4, 0x58, 0x54, {0x10, 0xC0});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "2000"}), "SMPS12       ECO        2000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x23), 0xB8);
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "1000"}), "SMPS12       ECO        1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x23), 0x86);
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS3", "1212.5"}), "SMPS3        AUTO       1210.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x27), 77);
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO3", "1800"}), "LDO3         ON         3300.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x55), 0xD3);
    EXPECT_EQ(board.Register(4, 0x58, 0x54), 0x11);
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    board.SetRegisters(4, 0x58, 0x56, {0x10});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO4", "1800"}), "LDO4         ON         1650.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x58, 0x56, 2), (std::vector<uint8_t>{0x11, 55}));

    // ON and OFF write only the request bits and print nothing.
    board.SetRegisters(4, 0x58, 0x38, {0x00});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS9", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 38 r 00", "i2c-4 0x58 w 38 01"}));
    EXPECT_EQ(board.RigoOut({"-tps80036", "4", "0x58", "LDO1", "OFF"}), "");
    EXPECT_EQ(board.Register(4, 0x58, 0x50), 0x10);
}

TEST(Tps80036Command, RefusesValuesOutsideTheRange)
{
    SimBoard board("dern");
    const std::pair<Lines, const char*> refused[] = {
        {{"SMPS12", "499"}, "Wrong volt 499, valid range is [500, 1650]\n"},
        {{"SMPS12", "1651"}, "Wrong volt 1651, valid range is [500, 1650]\n"},
        {{"SMPS12", "0x4B0"}, "Wrong volt 0, valid range is [500, 1650]\n"},
        {{"SMPS12", "-5"}, "Wrong volt -5, valid range is [500, 1650]\n"},
        {{"SMPS12", "99999999999"}, "Wrong volt 2147483647, valid range is [500, 1650]\n"},
        {{"SMPS6", "999"}, "Wrong volt 999, valid range is [1000, 3300]\n"},
        {{"SMPS6", "3301"}, "Wrong volt 3301, valid range is [1000, 3300]\n"},
        {{"LDO1", "899"}, "Wrong volt 899, valid range is [900, 3300]\n"},
        {{"LDO1", "3301"}, "Wrong volt 3301, valid range is [900, 3300]\n"},
    };
    const std::vector<uint8_t> before = board.Registers(4, 0x58, 0x00, 256);
    for (const auto& [args, message] : refused) {
        EXPECT_EQ(board.RigoOut({"-tps80036", args[0], args[1]}), message);
        EXPECT_EQ(board.Transfers().size(), 1u) << args[1];  // the flag read only
    }
    // LDO limits do not move with the halving flag.
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO1", "3301"}), "Wrong volt 3301, valid range is [900, 3300]\n");
    board.SetRegisters(4, 0x58, 0x6A, {0x00});
    EXPECT_EQ(board.Registers(4, 0x58, 0x00, 256), before);
}

TEST(Tps80036Command, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x58");
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12"}),
              "Failed to read the SMPS output!\nSMPS12       UNKNOWN       0.0mV\n");
    EXPECT_EQ(board.Pauses(5000), 10);  // stops at the control register
    // Every converter reports its failure; the LDOs show UNKNOWN silently.
    const std::string list = board.RigoOut({"-tps80036", "list"});
    EXPECT_NE(list.find("Failed to read the SMPS output!\nSMPS9        UNKNOWN       0.0mV\n"
                         "LDO1         UNKNOWN       0.0mV\nLDO2         UNKNOWN       0.0mV\n"),
              std::string::npos)
        << list;
    EXPECT_TRUE(list.ends_with("LDOUSB       UNKNOWN       0.0mV\n")) << list;
    for (const char* value : {"1000", "ON"})
        EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", value}), "");

    // Writes refused while reads pass: the selector write fails, the rail is not
    // switched on, and the read-back shows the rail unchanged.
    board.SetFault("i2c nack bus=4 addr=0x58 dir=write");
    board.SetRegisters(4, 0x58, 0x38, {0x00});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS9", "1000"}), "SMPS9        OFF        2800.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS9", "ON"}), "");
    EXPECT_EQ(board.Register(4, 0x58, 0x38), 0x00);

    board.SetFault("i2c open bus=4");
    for (const Lines& args : {Lines{"-tps80036", "LDO7"}, Lines{"-tps80036", "LDO7", "1800"},
                              Lines{"-tps80036", "LDO7", "ON"}}) {
        EXPECT_EQ(board.RigoOut(args), "Failed to open the I2C device!\n");
        EXPECT_TRUE(board.Transfers().empty());
    }
    std::string all;
    for (int i = 0; i < 22; ++i)
        all += "Failed to open the I2C device!\n";
    EXPECT_EQ(board.RigoOut({"-tps80036", "list"}), all);
}
