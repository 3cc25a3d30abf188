#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "rail.h"
#include "tps65911.h"

namespace {

using Lines = std::vector<std::string>;

enum RailId { kVio = 0, kVdd1 = 1, kVdd2 = 2, kVddCtrl = 3, kVddCtrlSr = 4, kLdo1 = 5, kLdo3 = 7, kLdo5 = 9, kLdo6 = 10 };

const char kBelkList[] =
    "VIO           ON 1800.0mV\n"
    "VDD1          ON 1200.0mV\n"
    "VDD2          ON 1500.0mV\n"
    "VDDCTRL      OFF 1000.0mV\n"
    "VDDCTRLSR    OFF 1000.0mV\n"
    "LDO1          ON 1050.0mV\n"
    "LDO2          ON 1050.0mV\n"
    "LDO3         OFF 1000.0mV\n"
    "LDO4          ON 1200.0mV\n"
    "LDO5         OFF 3300.0mV\n"
    "LDO6         OFF 1000.0mV\n"
    "LDO7          ON 1100.0mV\n"
    "LDO8          ON 1000.0mV\n";

// What every rail shows when no register can be read: state and selectors 0.
const char kUnreadableList[] =
    "VIO          OFF 1500.0mV\n"
    "VDD1         OFF    0.0mV\n"
    "VDD2         OFF    0.0mV\n"
    "VDDCTRL      OFF    0.0mV\n"
    "VDDCTRLSR    OFF    0.0mV\n"
    "LDO1         OFF 1000.0mV\n"
    "LDO2         OFF 1000.0mV\n"
    "LDO3         OFF 1000.0mV\n"
    "LDO4         OFF 1000.0mV\n"
    "LDO5         OFF 1000.0mV\n"
    "LDO6         OFF 1000.0mV\n"
    "LDO7         OFF 1000.0mV\n"
    "LDO8         OFF 1000.0mV\n";

const char kValidNames[] =
    "Valid Voltage names: \n"
    "VIO, VDD1, VDD2, VDDCTRL, VDDCTRLSR, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, \n";

const char kBypassLdo7Failed[] = "Error: Unable to bypass LDO7. You may need to restart your device.\n\n";

}  // namespace

namespace {

struct Case {
    RailId id;
    DWORD in;
    DWORD out;
};

}  // namespace

TEST(Tps65911Encoding, SelectorsDecodeWithoutClamping)
{
    const Case cases[] = {
        {kVio, 0, 1500},      {kVio, 1, 1800},     {kVio, 2, 2500},        {kVio, 3, 3300},
        {kVdd1, 0, 0},        {kVdd1, 1, 600},     {kVdd1, 3, 600},        {kVdd1, 4, 612},  // 612.5, half cut
        {kVdd1, 51, 1200},    {kVdd1, 52, 1212},   {kVdd2, 75, 1500},      {kVddCtrlSr, 127, 2150},
        {kLdo1, 0, 1000},     {kLdo1, 4, 1000},    {kLdo1, 5, 1050},       {kLdo1, 50, 3300},
        {kLdo1, 63, 3950},    {kLdo5, 1, 1000},    {kLdo5, 2, 1000},       {kLdo5, 3, 1100},
        {kLdo5, 25, 3300},    {kLdo6, 63, 7100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tps65911_SelectorToMillivolts(c.id, c.in), c.out) << c.id << " selector " << c.in;
}

TEST(Tps65911Encoding, MillivoltsClampAndRoundDownToASelector)
{
    const Case cases[] = {
        // VIO: the nearest level, half-way to the lower one.
        {kVio, 0, 0}, {kVio, 1650, 0}, {kVio, 1651, 1}, {kVio, 2150, 1}, {kVio, 2151, 2}, {kVio, 2900, 2},
        {kVio, 2901, 3}, {kVio, 90000, 3},
        // VDD1/VDD2: 600-1500 mV, or tenths of a millivolt from 2000 up.
        {kVdd1, 0, 3}, {kVdd1, 599, 3}, {kVdd1, 600, 3}, {kVdd1, 612, 3}, {kVdd1, 613, 4}, {kVdd1, 1201, 51},
        {kVdd1, 1212, 51}, {kVdd1, 1213, 52}, {kVdd2, 1500, 75}, {kVdd2, 1501, 75}, {kVdd2, 1999, 75},
        {kVdd2, 2000, 3}, {kVdd2, 5999, 3}, {kVdd2, 6000, 3}, {kVdd1, 12125, 52}, {kVdd1, 15000, 75},
        {kVdd1, 15001, 75},
        // VDDCTRL: can be set to 0, stops at 1400 mV.
        {kVddCtrl, 0, 0}, {kVddCtrl, 1, 3}, {kVddCtrl, 1213, 52}, {kVddCtrl, 1400, 67}, {kVddCtrl, 1401, 67},
        {kVddCtrl, 2000, 3}, {kVddCtrlSr, 0, 0}, {kVddCtrlSr, 14000, 67}, {kVddCtrlSr, 14001, 67},
        // LDOs: 1000-3300 mV.
        {kLdo1, 500, 4}, {kLdo1, 1049, 4}, {kLdo1, 1050, 5}, {kLdo1, 3300, 50}, {kLdo1, 3301, 50},
        {kLdo5, 999, 2}, {kLdo5, 1099, 2}, {kLdo5, 1100, 3}, {kLdo5, 3300, 25}, {kLdo3, 5000, 25},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tps65911_MillivoltsToSelector(c.id, c.in), c.out) << c.id << " at " << c.in << " mV";
}

TEST(Tps65911Encoding, LineShowsTheHalfMillivoltOfThe12_5Steps)
{
    EXPECT_DOUBLE_EQ(ShownMillivolts(1212, 12.5), 1212.5);
    EXPECT_DOUBLE_EQ(ShownMillivolts(612, 12.5), 612.5);
    EXPECT_DOUBLE_EQ(ShownMillivolts(1200, 12.5), 1200.0);
    EXPECT_DOUBLE_EQ(ShownMillivolts(0, 12.5), 0.0);
    EXPECT_DOUBLE_EQ(ShownMillivolts(1212, 0.0), 1212.0);
    EXPECT_DOUBLE_EQ(ShownMillivolts(1050, 50.0), 1050.0);
    EXPECT_DOUBLE_EQ(ShownMillivolts(1050, 100.0), 1050.0);
}

TEST(Tps65911Registers, FieldsAndRefusedAccess)
{
    EXPECT_EQ(tps65911_GetField(0xB5, 2, 6), 13u);
    EXPECT_EQ(tps65911_GetField(0xB5, 0, 1), 1u);
    EXPECT_EQ(tps65911_GetField(0xFFFFFFFF, 0, 31), 0xFFFFFFFFu);
    EXPECT_EQ(tps65911_SetField(0xFF, 0, 1, 0), 0xFCu);
    EXPECT_EQ(tps65911_SetField(0x81, 2, 3, 2), 0x89u);
    EXPECT_EQ(tps65911_SetField(0xFFFFFFFF, 0, 31, 5), 5u);

    DWORD value = 7;
    tps65911_Init(0, 0x2D, 8, 8, 100);
    EXPECT_EQ(tps65911_RegRd(0x20, &value, 0, 7), 1);
    EXPECT_EQ(tps65911_RegWr(0x20, 1, 0, 1), 1);
    tps65911_Init(4, 0, 8, 8, 100);
    EXPECT_EQ(tps65911_RegRd(0x20, &value, 0, 7), 1);
    tps65911_Init(4, 0x2D, 8, 8, 100);
    EXPECT_EQ(tps65911_RegRd(0x20, nullptr, 0, 7), 2);
    EXPECT_EQ(tps65911_RegRd(0x20, &value, 3, 2), 3);
    EXPECT_EQ(tps65911_RegRd(0x20, &value, 0, 32), 3);
    EXPECT_EQ(tps65911_RegWr(0x20, 1, 3, 2), 1);
    EXPECT_EQ(value, 7u);

    EXPECT_EQ(tps65911_GetVolt("VDD1", nullptr), 1);
    EXPECT_EQ(tps65911_GetVoltOnOff("VDD1", nullptr), 1);
    EXPECT_EQ(tps65911_SetVoltOnOff("VDD1", 4), 1);
    EXPECT_DOUBLE_EQ(tps65911_GetStepSize(1), 12.5);
    EXPECT_DOUBLE_EQ(tps65911_GetStepSize(4), 0.0);
}

TEST(Tps65911Command, ListsAndReadsTheReferenceBoard)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-tps65911", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kBelkList);
    EXPECT_EQ(r.err, "");

    r = board.Rigo({"-tps65911", "vdd1"});
    EXPECT_EQ(r.out, "VDD1          ON 1200.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r 33", "i2c-4 0x2d w 21 r 01"}));

    r = board.Rigo({"-tps65911", "list", "4", "0x2d"});
    EXPECT_EQ(r.out, kBelkList);

    // With the select flag set the SR register holds the selector.
    board.SetRegisters(4, 0x2d, 0x22, {0xB3, 0x34});
    r = board.Rigo({"-tps65911", "4", "0x2D", "VDD1"});
    EXPECT_EQ(r.out, "VDD1          ON 1212.5mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r b3", "i2c-4 0x2d w 23 r 34", "i2c-4 0x2d w 21 r 01"}));

    // VDDCTRLSR reads 0x29 whatever the flag, and shows whole millivolts.
    board.SetRegisters(4, 0x2d, 0x28, {0xB4, 0xB4});
    r = board.Rigo({"-tps65911", "VDDCTRL"});
    EXPECT_EQ(r.out, "VDDCTRL      OFF 1212.5mV\n");
    r = board.Rigo({"-tps65911", "VDDCTRLSR"});
    EXPECT_EQ(r.out, "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 29 r b4", "i2c-4 0x2d w 27 r 00"}));
}

TEST(Tps65911Command, ConverterSetAddsAMillivoltOnTheStep)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-tps65911", "VDD1", "1212.5"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "VDD1          ON 1212.5mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x22), 52);
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r 33", "i2c-4 0x2d w 22 r 33", "i2c-4 0x2d w 22 34",
                                        "i2c-4 0x2d w 22 r 34", "i2c-4 0x2d w 21 r 01"}));
    EXPECT_EQ(board.Pauses(50000), 5);

    r = board.Rigo({"-tps65911", "VDD1", "1200"});
    EXPECT_EQ(r.out, "VDD1          ON 1200.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x22), 51);
    r = board.Rigo({"-tps65911", "VDD1", "1205"});
    EXPECT_EQ(r.out, "VDD1          ON 1200.0mV\n");
    r = board.Rigo({"-tps65911", "VDD1", "12125"});  // tenths of a millivolt
    EXPECT_EQ(board.Register(4, 0x2d, 0x22), 52);
    r = board.Rigo({"-tps65911", "VDD2", "3000"});
    EXPECT_EQ(r.out, "VDD2          ON  600.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x25), 3);
    r = board.Rigo({"-tps65911", "VDD2", "1700"});
    EXPECT_EQ(r.out, "VDD2          ON 1500.0mV\n");

    // 0.5 passes the check, reaches the driver as 0 and switches VDDCTRL's selector to 0.
    r = board.Rigo({"-tps65911", "VDDCTRL", "0.5"});
    EXPECT_EQ(r.out, "VDDCTRL      OFF    0.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x28), 0);

    // With the select flag set the write goes to the SR register, the flag stays.
    board.SetRegisters(4, 0x2d, 0x22, {0x80, 0x33});
    r = board.Rigo({"-tps65911", "VDD1", "1000"});
    EXPECT_EQ(r.out, "VDD1          ON 1000.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x2d, 0x22, 2), (std::vector<uint8_t>{0x80, 35}));

    // No step on the SR view, so no extra millivolt: 1212.5 would select 1200 mV.
    r = board.Rigo({"-tps65911", "VDDCTRLSR", "1213"});
    EXPECT_EQ(r.out, "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x2d, 0x28, 2), (std::vector<uint8_t>{0x00, 52}));
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 29 r 23", "i2c-4 0x2d w 29 r 23", "i2c-4 0x2d w 29 34",
                                        "i2c-4 0x2d w 29 r 34", "i2c-4 0x2d w 27 r 00"}));
}

TEST(Tps65911Command, VioAndLdoSetKeepTheStateBits)
{
    SimBoard board("belk");
    const std::vector<std::pair<std::string, uint8_t>> vio = {
        {"1650", 0x01}, {"1651", 0x05}, {"2900", 0x09}, {"2901", 0x0D}};
    for (const auto& [typed, reg] : vio) {
        board.Rigo({"-tps65911", "VIO", typed});
        EXPECT_EQ(board.Register(4, 0x2d, 0x20), reg) << typed;
    }
    RunResult r = board.Rigo({"-tps65911", "VIO", "1800"});
    EXPECT_EQ(r.out, "VIO           ON 1800.0mV\n");

    r = board.Rigo({"-tps65911", "LDO5", "5000"});
    EXPECT_EQ(r.out, "LDO5         OFF 3300.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x32), 0x64);
    r = board.Rigo({"-tps65911", "LDO1", "500"});
    EXPECT_EQ(r.out, "LDO1          ON 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x30), 0x11);
    r = board.Rigo({"-tps65911", "LDO4", "2850"});
    EXPECT_EQ(r.out, "LDO4          ON 2850.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x36), (41 << 2) | 0x01);

    // LDO6's field is bits 7-2; LDO3's is bits 6-2 and leaves bit 7 alone.
    board.SetRegisters(4, 0x2d, 0x35, {0x80, 0x00, 0x80});
    r = board.Rigo({"-tps65911", "LDO6", "1200"});
    EXPECT_EQ(r.out, "LDO6         OFF 1200.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x35), 0x10);
    r = board.Rigo({"-tps65911", "LDO3", "3300"});
    EXPECT_EQ(r.out, "LDO3         OFF 3300.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x37), 0xE4);
}

TEST(Tps65911Command, OnOffWritesTheStateFieldAndReadsBack)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-tps65911", "VDDCTRL", "on"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "VDDCTRL       ON 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x27), 0x01);

    r = board.Rigo({"-tps65911", "LDO1", "OFF"});
    EXPECT_EQ(r.out, "LDO1         OFF 1050.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x30), 0x14);
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 30 r 15", "i2c-4 0x2d w 30 14", "i2c-4 0x2d w 30 r 14",
                                        "i2c-4 0x2d w 30 r 14"}));

    // Any non-zero state field counts as on.
    board.SetRegisters(4, 0x2d, 0x33, {0x0B});
    r = board.Rigo({"-tps65911", "LDO8"});
    EXPECT_EQ(r.out, "LDO8          ON 1000.0mV\n");
}

TEST(Tps65911Command, RefusedValuesAndUnknownRails)
{
    SimBoard board("belk");
    for (const char* typed : {"0", "-5", "abc", "nan"}) {
        RunResult r = board.Rigo({"-tps65911", "VDD1", typed});
        EXPECT_EQ(r.status, 1) << typed;
        EXPECT_EQ(r.out, std::string("[VALUE] is not valid [") + typed + "]\n");
        EXPECT_TRUE(board.Transfers().empty());
    }
    // The value is checked before the rail.
    RunResult r = board.Rigo({"-tps65911", "VDD9", "abc"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "[VALUE] is not valid [abc]\n");

    r = board.Rigo({"-tps65911", "VDD9", "1200"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kValidNames);
    r = board.Rigo({"-tps65911", "VDD9", "ON"});
    EXPECT_EQ(r.out, kValidNames);
    r = board.Rigo({"-tps65911", "VDD9"});
    EXPECT_EQ(r.out, kValidNames);
    EXPECT_TRUE(board.Transfers().empty());

    SimBoard dern("dern");
    r = dern.Rigo({"-tps65911", "list"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, HelpText());
}

TEST(Tps65911Command, UnreachableDeviceReadsAsZero)
{
    SimBoard board("belk");
    board.Fault("i2c nack bus=4 addr=0x2d");
    RunResult r = board.Rigo({"-tps65911", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kUnreadableList);

    r = board.Rigo({"-tps65911", "LDO1", "OFF"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "LDO1         OFF 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x30), 0x15);

    board.ClearFaults();
    board.Fault("i2c open bus=4");
    r = board.Rigo({"-tps65911", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kUnreadableList);

    // Bus 0 counts as not set: no traffic at all.
    board.ClearFaults();
    r = board.Rigo({"-tps65911", "list", "0", "0x2d"});
    EXPECT_EQ(r.out, kUnreadableList);
    r = board.Rigo({"-tps65911", "0", "0x2d", "VDD1", "1000"});
    EXPECT_EQ(r.out, "VDD1         OFF    0.0mV\n");
    for (const std::string& line : board.Trace())
        EXPECT_EQ(line.find("i2c"), std::string::npos) << line;
    EXPECT_EQ(board.Register(4, 0x2d, 0x22), 0x33);
}

TEST(Tps65911Bypass, DrivesThePinHighThenSwitchesTheLdoOff)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-tps65911", "bypass", "LDO7"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "LDO7         OFF 1100.0mV\n");
    EXPECT_EQ(board.Register(4, 0x20, 0x07), 0xEF);
    EXPECT_EQ(board.Register(4, 0x20, 0x03), 0x10);
    EXPECT_EQ(board.Register(4, 0x2d, 0x34), 0x0C);
    EXPECT_EQ(board.Transfers(),
              (Lines{"i2c-4 0x20 w 07 r ff", "i2c-4 0x20 w 03 r 00", "i2c-4 0x20 w 07 ef", "i2c-4 0x20 w 03 10",
                     "i2c-4 0x2d w 34 r 0d", "i2c-4 0x2d w 34 0c", "i2c-4 0x2d w 34 r 0c", "i2c-4 0x2d w 34 r 0c"}));
    EXPECT_EQ(board.Pauses(1000), 1);

    r = board.Rigo({"-TPS65911", "BYPASS", "4", "0x2D", "ldo8"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "LDO8         OFF 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x20, 0x07), 0xE7);
    EXPECT_EQ(board.Register(4, 0x20, 0x03), 0x18);
    EXPECT_EQ(board.Register(4, 0x2d, 0x33), 0x08);
}

TEST(Tps65911Bypass, UsageAndFailures)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-tps65911", "bypass", "LDO6"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Error: Does not support bypass of LDO6.\n");
    EXPECT_TRUE(board.Transfers().empty());
    for (const Lines& args : {Lines{"-tps65911", "bypass"}, Lines{"-tps65911", "bypass", "4", "LDO7"},
                              Lines{"-tps65911", "bypass", "4", "0x2d", "LDO7", "x"},
                              Lines{"-tps65911", "bypass", "4", "0", "LDO7"}}) {
        r = board.Rigo(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, HelpText());
    }

    board.Fault("i2c nack bus=4 addr=0x20");
    r = board.Rigo({"-tps65911", "bypass", "LDO7"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string("Error: Unable to read I2C device.\n") + kBypassLdo7Failed);

    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x20 dir=write");
    r = board.Rigo({"-tps65911", "bypass", "LDO7"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string("Error: Unable to write I2C device [0x20, 0x7].\n") + kBypassLdo7Failed);

    // A failed output write ends the bypass quietly, the LDO stays on.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x20 dir=write after=1");
    r = board.Rigo({"-tps65911", "bypass", "LDO7"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x2d, 0x34), 0x0D);

    board.ClearFaults();
    board.Fault("i2c open bus=4");
    r = board.Rigo({"-tps65911", "bypass", "LDO8"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "Error: Unable to open /dev/I2C-4 node.\n"
              "Error: Unable to bypass LDO8. You may need to restart your device.\n\n");
}
