#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "tps80036.h"

namespace {

using Lines = std::vector<std::string>;

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

const char kValidNames[] =
    "Valid Voltage names: \n"
    "SMPS12, SMPS3, SMPS6, SMPS7, SMPS8, SMPS9, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, "
    "LDO10, LDO11, LDO12, LDO13, LDO14, LDOLN, LDOUSB, \n";

// Every converter reports its failure; the LDOs show UNKNOWN silently.
const char kUnreadableList[] =
    "Failed to read the SMPS output!\nSMPS12       UNKNOWN       0.0mV\n"
    "Failed to read the SMPS output!\nSMPS3        UNKNOWN       0.0mV\n"
    "Failed to read the SMPS output!\nSMPS6        UNKNOWN       0.0mV\n"
    "Failed to read the SMPS output!\nSMPS7        UNKNOWN       0.0mV\n"
    "Failed to read the SMPS output!\nSMPS8        UNKNOWN       0.0mV\n"
    "Failed to read the SMPS output!\nSMPS9        UNKNOWN       0.0mV\n"
    "LDO1         UNKNOWN       0.0mV\nLDO2         UNKNOWN       0.0mV\n"
    "LDO3         UNKNOWN       0.0mV\nLDO4         UNKNOWN       0.0mV\n"
    "LDO5         UNKNOWN       0.0mV\nLDO6         UNKNOWN       0.0mV\n"
    "LDO7         UNKNOWN       0.0mV\nLDO8         UNKNOWN       0.0mV\n"
    "LDO9         UNKNOWN       0.0mV\nLDO10        UNKNOWN       0.0mV\n"
    "LDO11        UNKNOWN       0.0mV\nLDO12        UNKNOWN       0.0mV\n"
    "LDO13        UNKNOWN       0.0mV\nLDO14        UNKNOWN       0.0mV\n"
    "LDOLN        UNKNOWN       0.0mV\nLDOUSB       UNKNOWN       0.0mV\n";

std::string Repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

}  // namespace

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

TEST(Tps80036Command, ListsAndReadsTheReferenceBoards)
{
    SimBoard dern("dern");
    RunResult r = dern.Rigo({"-tps80036", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kReferenceList);
    EXPECT_EQ(r.err, "");

    // A converter reads control then voltage; the line carries the table's name.
    r = dern.Rigo({"-tps80036", "smps12"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SMPS12       AUTO       1000.0mV\n");
    EXPECT_EQ(dern.Transfers(), (Lines{"i2c-4 0x58 w 20 r 11", "i2c-4 0x58 w 23 r 38"}));
    EXPECT_EQ(dern.Pauses(50000), 2);

    // An LDO reads the halving flag, then control, then voltage.
    r = dern.Rigo({"-TPS80036", "4", "0x58", "LDOLN"});
    EXPECT_EQ(r.out, "LDOLN        ON         1800.0mV\n");
    EXPECT_EQ(dern.Transfers(), (Lines{"i2c-4 0x58 w 6a r 00", "i2c-4 0x58 w 62 r 11", "i2c-4 0x58 w 63 r 13"}));

    SimBoard corv("corv");
    r = corv.Rigo({"-tps80036", "list"});
    EXPECT_EQ(r.out, kReferenceList);
    EXPECT_EQ(corv.Transfers().front(), "i2c-4 0x48 w 20 r 11");
}

TEST(Tps80036Command, ReadDecodesRangeFlagAndLdoQuirks)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x23, {0x83});
    EXPECT_EQ(board.Rigo({"-tps80036", "SMPS12"}).out, "SMPS12       AUTO       1000.0mV\n");
    board.SetRegisters(4, 0x58, 0x20, {0x33});
    board.SetRegisters(4, 0x58, 0x23, {0x00});
    EXPECT_EQ(board.Rigo({"-tps80036", "SMPS12"}).out, "SMPS12       FORCE_PWM     0.0mV\n");

    board.SetRegisters(4, 0x58, 0x5D, {0x3F});
    board.SetRegisters(4, 0x58, 0x51, {0x3F});
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO7"}).out, "LDO7         OFF        5000.0mV\n");
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO1"}).out, "LDO1         ON         3300.0mV\n");

    // Halving shows on LDO4, LDO5 and LDO9 while they are on.
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    board.SetRegisters(4, 0x58, 0x56, {0x11, 0x13});
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO4"}).out, "LDO4         ON          900.0mV\n");
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO5"}).out, "LDO5         OFF        2800.0mV\n");
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO3"}).out, "LDO3         ON         1800.0mV\n");
}

TEST(Tps80036Command, SetWritesSelectorSwitchesOnAndReadsBack)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x20, {0x20});
    board.SetRegisters(4, 0x58, 0x23, {0x05});
    RunResult r = board.Rigo({"-tps80036", "SMPS12", "1000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SMPS12       ECO        1000.0mV\n");
    // Flag read, then two read-modify-writes, then the read-back.
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 23 r 05", "i2c-4 0x58 w 23 r 05", "i2c-4 0x58 w 23 38",
                                        "i2c-4 0x58 w 20 r 20", "i2c-4 0x58 w 20 21", "i2c-4 0x58 w 20 r 21",
                                        "i2c-4 0x58 w 23 r 38"}));
    EXPECT_EQ(board.Pauses(50000), 7);

    // With the range flag set the steps double and the flag stays.
    board.SetRegisters(4, 0x58, 0x23, {0x80});
    EXPECT_EQ(board.Rigo({"-tps80036", "SMPS12", "2000"}).out, "SMPS12       ECO        2000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x23), 0xB8);
    board.Rigo({"-tps80036", "4", "0x58", "SMPS12", "1000"});
    EXPECT_EQ(board.Register(4, 0x58, 0x23), 0x86);

    // The value is read with atoi: the fraction goes, hexadecimal reads as 0.
    board.SetRegisters(4, 0x58, 0x27, {0x00});
    EXPECT_EQ(board.Rigo({"-tps80036", "SMPS3", "1212.5"}).out, "SMPS3        AUTO       1210.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x27), 77);

    // LDO selectors go into bits 5-0; bits 7-6 and the state bit stay.
    board.SetRegisters(4, 0x58, 0x54, {0x10, 0xC0});
    r = board.Rigo({"-tps80036", "LDO3", "1800"});
    EXPECT_EQ(r.out, "LDO3         ON         3300.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x58, 0x54, 2), (std::vector<uint8_t>{0x11, 0xD3}));

    board.SetRegisters(4, 0x58, 0x55, {0x00});
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO3", "1800"}).out, "LDO3         ON         1800.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x55), 19);
}

TEST(Tps80036Command, HalvingFlagDoublesTheLdoRequest)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO3", "1800"}).out, "LDO3         ON         3300.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x55), 55);
    board.SetRegisters(4, 0x58, 0x56, {0x10});
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO4", "1800"}).out, "LDO4         ON         1650.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x58, 0x56, 2), (std::vector<uint8_t>{0x11, 55}));
}

TEST(Tps80036Command, RefusesValuesOutsideTheRange)
{
    SimBoard board("dern");
    const struct {
        const char* rail;
        const char* typed;
        const char* message;
    } refused[] = {
        {"SMPS12", "499", "Wrong volt 499, valid range is [500, 1650]\n"},
        {"SMPS12", "1651", "Wrong volt 1651, valid range is [500, 1650]\n"},
        {"SMPS12", "0x4B0", "Wrong volt 0, valid range is [500, 1650]\n"},
        {"SMPS12", "-5", "Wrong volt -5, valid range is [500, 1650]\n"},
        {"SMPS12", "99999999999", "Wrong volt 2147483647, valid range is [500, 1650]\n"},
        {"SMPS6", "999", "Wrong volt 999, valid range is [1000, 3300]\n"},
        {"SMPS6", "3301", "Wrong volt 3301, valid range is [1000, 3300]\n"},
        {"LDO1", "899", "Wrong volt 899, valid range is [900, 3300]\n"},
        {"LDO1", "3301", "Wrong volt 3301, valid range is [900, 3300]\n"},
    };
    const std::vector<uint8_t> before = board.Registers(4, 0x58, 0x00, 256);
    for (const auto& c : refused) {
        RunResult r = board.Rigo({"-tps80036", c.rail, c.typed});
        EXPECT_EQ(r.status, 0) << c.typed;
        EXPECT_EQ(r.out, c.message) << c.typed;
        EXPECT_EQ(board.Transfers().size(), 1u) << c.typed;  // the flag read only
    }
    // LDO limits do not move with the halving flag.
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    EXPECT_EQ(board.Rigo({"-tps80036", "LDO1", "3301"}).out, "Wrong volt 3301, valid range is [900, 3300]\n");
    board.SetRegisters(4, 0x58, 0x6A, {0x00});
    EXPECT_EQ(board.Registers(4, 0x58, 0x00, 256), before);
}

TEST(Tps80036Command, OnOffWritesOnlyTheRequestBitsAndPrintsNothing)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-tps80036", "SMPS9", "ON"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 38 r 00", "i2c-4 0x58 w 38 01"}));
    board.Rigo({"-tps80036", "smps12", "off"});
    EXPECT_EQ(board.Register(4, 0x58, 0x20), 0x10);
    board.Rigo({"-tps80036", "LDO4", "On"});
    EXPECT_EQ(board.Register(4, 0x58, 0x56), 0x01);
    r = board.Rigo({"-tps80036", "4", "0x58", "LDO1", "OFF"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x58, 0x50), 0x10);
}

TEST(Tps80036Command, UnknownRailListsTheNames)
{
    SimBoard board("dern");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-tps80036", "SMPS1"}, {"-tps80036", "SMPS1", "1000"},
          {"-tps80036", "SMPS1", "ON"}, {"-tps80036", "4", "0x58", "list"}}) {
        RunResult r = board.Rigo(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, kValidNames);
        EXPECT_TRUE(board.Transfers().empty());
    }
}

TEST(Tps80036Command, DeviceThatDoesNotAnswer)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x58");
    RunResult r = board.Rigo({"-tps80036", "SMPS12"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed to read the SMPS output!\nSMPS12       UNKNOWN       0.0mV\n");
    EXPECT_EQ(board.Pauses(5000), 10);  // stops at the control register

    r = board.Rigo({"-tps80036", "LDO1"});
    EXPECT_EQ(r.out, "LDO1         UNKNOWN       0.0mV\n");

    r = board.Rigo({"-tps80036", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kUnreadableList);

    for (const char* value : {"1000", "ON"}) {
        r = board.Rigo({"-tps80036", "SMPS12", value});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
    }

    // Writes refused while reads pass: the selector write fails, the rail is not
    // switched on, and the read-back shows the rail unchanged.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x58 dir=write");
    board.SetRegisters(4, 0x58, 0x38, {0x00});
    r = board.Rigo({"-tps80036", "SMPS9", "1000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SMPS9        OFF        2800.0mV\n");
    EXPECT_EQ(board.Register(4, 0x58, 0x38), 0x00);
    r = board.Rigo({"-tps80036", "SMPS9", "ON"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x58, 0x38), 0x00);
}

TEST(Tps80036Command, BusThatCannotBeOpened)
{
    SimBoard board("dern");
    board.Fault("i2c open bus=4");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-tps80036", "LDO7"}, {"-tps80036", "LDO7", "1800"}, {"-tps80036", "LDO7", "ON"}}) {
        RunResult r = board.Rigo(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "Failed to open the I2C device!\n");
        EXPECT_TRUE(board.Transfers().empty());
    }
    RunResult r = board.Rigo({"-tps80036", "list"});
    EXPECT_EQ(r.out, Repeated("Failed to open the I2C device!\n", 22));
}

TEST(Tps80036Command, DefaultsPerChip)
{
    SimBoard avin("avin");
    RunResult r = avin.Rigo({"-tps80036", "list"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, HelpText());

    // Belk carries its TPS8003x at 0x48, the TPS80036 default there.
    SimBoard belk("belk");
    belk.Rigo({"-tps80036", "SMPS12"});
    EXPECT_EQ(belk.Transfers().front().rfind("i2c-4 0x48 w 20 r ", 0), 0u);

    SimBoard early("0x13");
    r = early.Rigo({"-tps80036", "SMPS12"});
    EXPECT_EQ(r.out, "SMPS12       AUTO       1000.0mV\n");
}
