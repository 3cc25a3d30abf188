#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/tps65911.h"

namespace {

enum RailId {
    kVio = 0,
    kVdd1 = 1,
    kVdd2 = 2,
    kVddCtrl = 3,
    kVddCtrlSr = 4,
    kLdo1 = 5,
    kLdo3 = 7,
    kLdo5 = 9,
    kLdo6 = 10
};

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

// When no register can be read, every state and selector is 0: VIO shows its lowest
// level, the converters 0 mV, the LDOs 1000 mV.
void ExpectUnreadableList(const std::string& out)
{
    EXPECT_TRUE(out.starts_with("VIO          OFF 1500.0mV\nVDD1         OFF    0.0mV\n")) << out;
    EXPECT_TRUE(out.ends_with("LDO7         OFF 1000.0mV\nLDO8         OFF 1000.0mV\n")) << out;
    EXPECT_EQ(out.size(), sizeof kBelkList - 1);
}

const char kValidNames[] =
    "Valid Voltage names: \nVIO, VDD1, VDD2, VDDCTRL, VDDCTRLSR, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, \n";

struct Case {
    RailId id;
    DWORD in;
    DWORD out;
};

}  // namespace

TEST(Tps65911Encoding, SelectorsBothWaysAtTheRangeEndsAndBetweenSteps)
{
    const Case decode[] = {
        {kVio, 0, 1500},  {kVio, 3, 3300},   {kVdd1, 0, 0},     {kVdd1, 3, 600},  {kVdd1, 4, 612},  // 612.5, half cut
        {kVdd1, 52, 1212}, {kVdd2, 75, 1500}, {kVddCtrlSr, 127, 2150}, {kLdo1, 4, 1000}, {kLdo1, 5, 1050},
        {kLdo1, 63, 3950}, {kLdo5, 2, 1000},  {kLdo5, 3, 1100},  {kLdo5, 25, 3300}, {kLdo6, 63, 7100},
    };
    for (const Case& c : decode)
        EXPECT_EQ(tps65911_SelectorToMillivolts(c.id, c.in), c.out) << c.id << " selector " << c.in;

    const Case encode[] = {
        // VIO: the nearest level, half-way to the lower one.
        {kVio, 0, 0}, {kVio, 1650, 0}, {kVio, 1651, 1}, {kVio, 2150, 1}, {kVio, 2151, 2}, {kVio, 2901, 3},
        {kVio, 90000, 3},
        // VDD1/VDD2: 600-1500 mV, or tenths of a millivolt from 2000 up.
        {kVdd1, 0, 3}, {kVdd1, 612, 3}, {kVdd1, 613, 4}, {kVdd1, 1212, 51}, {kVdd1, 1213, 52}, {kVdd2, 1501, 75},
        {kVdd2, 1999, 75}, {kVdd2, 2000, 3}, {kVdd2, 6000, 3}, {kVdd1, 12125, 52}, {kVdd1, 15001, 75},
        // VDDCTRL: can be set to 0, stops at 1400 mV.
        {kVddCtrl, 0, 0}, {kVddCtrl, 1, 3}, {kVddCtrl, 1401, 67}, {kVddCtrl, 2000, 3}, {kVddCtrlSr, 14001, 67},
        // LDOs: 1000-3300 mV.
        {kLdo1, 500, 4}, {kLdo1, 1049, 4}, {kLdo1, 1050, 5}, {kLdo1, 3301, 50}, {kLdo5, 999, 2}, {kLdo5, 1099, 2},
        {kLdo5, 1100, 3}, {kLdo3, 5000, 25},
    };
    for (const Case& c : encode)
        EXPECT_EQ(tps65911_MillivoltsToSelector(c.id, c.in), c.out) << c.id << " at " << c.in << " mV";
}

TEST(Tps65911Command, ListsAndReadsTheReferenceBoard)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65911", "list"}), kBelkList);
    EXPECT_EQ(board.RigoOut({"-tps65911", "vdd1"}), "VDD1          ON 1200.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r 33", "i2c-4 0x2d w 21 r 01"}));

    // With the select flag set the SR register holds the selector.
    board.SetRegisters(4, 0x2d, 0x22, {0xB3, 0x34});
    EXPECT_EQ(board.RigoOut({"-tps65911", "4", "0x2D", "VDD1"}), "VDD1          ON 1212.5mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r b3", "i2c-4 0x2d w 23 r 34", "i2c-4 0x2d w 21 r 01"}));
    board.SetRegisters(4, 0x2d, 0x25, {0x80, 0x34});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD2"}), "VDD2          ON 1212.5mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 25 r 80", "i2c-4 0x2d w 26 r 34", "i2c-4 0x2d w 24 r 01"}));
    // VDDCTRLSR reads 0x29 whatever the flag, and shows whole millivolts.
    board.SetRegisters(4, 0x2d, 0x28, {0xB4, 0xB4});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRL"}), "VDDCTRL      OFF 1212.5mV\n");
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRLSR"}), "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 29 r b4", "i2c-4 0x2d w 27 r 00"}));
    // Any non-zero state field counts as on.
    board.SetRegisters(4, 0x2d, 0x33, {0x0B});
    EXPECT_EQ(board.RigoOut({"-tps65911", "LDO8"}), "LDO8          ON 1000.0mV\n");

    SimBoard dern("dern");
    EXPECT_EQ(dern.Rigo({"-tps65911", "list"}), (RunResult{1, "", HelpText()}));
}

TEST(Tps65911Command, SetWritesTheSelectorFieldAndReadsBack)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD1", "1212.5"}), "VDD1          ON 1212.5mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r 33", "i2c-4 0x2d w 22 r 33", "i2c-4 0x2d w 22 34",
                                        "i2c-4 0x2d w 22 r 34", "i2c-4 0x2d w 21 r 01"}));
    EXPECT_EQ(board.Pauses(50000), 5);

    // On a 12.5 mV step a millivolt is added, so 1200 selects 1200, not 1187.5. VIO and
    // the LDOs keep their state bits; LDO6's field is bits 7-2, LDO3's bits 6-2 (bit 7 stays).
    board.SetRegisters(4, 0x2d, 0x35, {0x80, 0x00, 0x80});
    const struct {
        const char* rail;
        const char* typed;
        int reg;
        uint8_t value;
        const char* line;
    } sets[] = {
        {"VDD1", "1200", 0x22, 51, "VDD1          ON 1200.0mV\n"},
        {"VDD1", "1205", 0x22, 51, "VDD1          ON 1200.0mV\n"},
        {"VDDCTRL", "0.5", 0x28, 0, "VDDCTRL      OFF    0.0mV\n"},  // passes the check, reaches the driver as 0
        {"VIO", "1651", 0x20, 0x05, "VIO           ON 1800.0mV\n"},
        {"LDO1", "500", 0x30, 0x11, "LDO1          ON 1000.0mV\n"},
        {"LDO6", "1200", 0x35, 0x10, "LDO6         OFF 1200.0mV\n"},
        {"LDO3", "3300", 0x37, 0xE4, "LDO3         OFF 3300.0mV\n"},
    };
    for (const auto& s : sets) {
        EXPECT_EQ(board.RigoOut({"-tps65911", s.rail, s.typed}), s.line);
        EXPECT_EQ(board.Register(4, 0x2d, s.reg), s.value) << s.rail << " " << s.typed;
    }

    // With the select flag set the write goes to the SR register, the flag stays.
    board.SetRegisters(4, 0x2d, 0x22, {0x80, 0x33});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD1", "1000"}), "VDD1          ON 1000.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x2d, 0x22, 2), (std::vector<uint8_t>{0x80, 35}));
    // No step on the SR view, so no extra millivolt: 1212.5 would select 1200 mV.
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRLSR", "1213"}), "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 29 r 23", "i2c-4 0x2d w 29 r 23", "i2c-4 0x2d w 29 34",
                                        "i2c-4 0x2d w 29 r 34", "i2c-4 0x2d w 27 r 00"}));

    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRL", "on"}), "VDDCTRL       ON    0.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x27), 0x01);
    EXPECT_EQ(board.RigoOut({"-tps65911", "LDO1", "OFF"}), "LDO1         OFF 1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 30 r 11", "i2c-4 0x2d w 30 10", "i2c-4 0x2d w 30 r 10",
                                        "i2c-4 0x2d w 30 r 10"}));
}

TEST(Tps65911Command, RefusedValuesUnknownRailsAndUnreachableDevice)
{
    SimBoard board("belk");
    // The value is checked before the rail.
    for (const char* typed : {"0", "-5", "abc", "nan"}) {
        EXPECT_EQ(board.Rigo({"-tps65911", "VDD9", typed}),
                  (RunResult{1, std::string("[VALUE] is not valid [") + typed + "]\n", ""}));
        EXPECT_TRUE(board.Transfers().empty());
    }
    for (const Lines& args : {Lines{"-tps65911", "VDD9", "1200"}, Lines{"-tps65911", "VDD9", "ON"},
                              Lines{"-tps65911", "VDD9"}}) {
        EXPECT_EQ(board.RigoOut(args), kValidNames);
        EXPECT_TRUE(board.Transfers().empty());
    }

    // A device that does not answer or a bus that cannot be opened reads as zero.
    board.Fault("i2c nack bus=4 addr=0x2d");
    ExpectUnreadableList(board.RigoOut({"-tps65911", "list"}));
    EXPECT_EQ(board.RigoOut({"-tps65911", "LDO1", "OFF"}), "LDO1         OFF 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x30), 0x15);
    board.SetFault("i2c open bus=4");
    ExpectUnreadableList(board.RigoOut({"-tps65911", "list"}));

    // Bus 0 counts as not set: no traffic at all.
    board.ClearFaults();
    ExpectUnreadableList(board.RigoOut({"-tps65911", "list", "0", "0x2d"}));
    EXPECT_EQ(board.RigoOut({"-tps65911", "0", "0x2d", "VDD1", "1000"}), "VDD1         OFF    0.0mV\n");
    EXPECT_EQ(board.Trace().size(), 4u);  // the chip ID read only
    EXPECT_EQ(board.Register(4, 0x2d, 0x22), 0x33);
}

TEST(Tps65911Bypass, DrivesThePinHighThenSwitchesTheLdoOff)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "LDO7"}), "LDO7         OFF 1100.0mV\n");
    EXPECT_EQ(board.Transfers(),
              (Lines{"i2c-4 0x20 w 07 r ff", "i2c-4 0x20 w 03 r 00", "i2c-4 0x20 w 07 ef", "i2c-4 0x20 w 03 10",
                     "i2c-4 0x2d w 34 r 0d", "i2c-4 0x2d w 34 0c", "i2c-4 0x2d w 34 r 0c", "i2c-4 0x2d w 34 r 0c"}));
    EXPECT_EQ(board.Pauses(1000), 1);
    EXPECT_EQ(board.RigoOut({"-TPS65911", "BYPASS", "4", "0x2D", "ldo8"}), "LDO8         OFF 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x20, 0x03), 0x18);
    EXPECT_EQ(board.Register(4, 0x20, 0x07), 0xE7);
    EXPECT_EQ(board.Register(4, 0x2d, 0x33), 0x08);

    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO6"}),
              (RunResult{1, "Error: Does not support bypass of LDO6.\n", ""}));
    EXPECT_TRUE(board.Transfers().empty());
    for (const Lines& args : {Lines{"-tps65911", "bypass"}, Lines{"-tps65911", "bypass", "4", "LDO7"},
                              Lines{"-tps65911", "bypass", "4", "0x2d", "LDO7", "x"},
                              Lines{"-tps65911", "bypass", "4", "0", "LDO7"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));

    const std::string failed = "Error: Unable to bypass LDO7. You may need to restart your device.\n\n";
    board.Fault("i2c nack bus=4 addr=0x20");
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO7"}),
              (RunResult{1, "Error: Unable to read I2C device.\n" + failed, ""}));
    board.SetFault("i2c nack bus=4 addr=0x20 dir=write");
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO7"}),
              (RunResult{1, "Error: Unable to write I2C device [0x20, 0x7].\n" + failed, ""}));
    // A failed output write ends the bypass quietly, the LDO stays on.
    board.SetFault("i2c nack bus=4 addr=0x20 dir=write after=1");
    board.SetRegisters(4, 0x2d, 0x34, {0x0D});
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "LDO7"}), "");
    EXPECT_EQ(board.Register(4, 0x2d, 0x34), 0x0D);
    board.SetFault("i2c open bus=4");
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO8"}),
              (RunResult{1, "Error: Unable to open /dev/I2C-4 node.\n"
                            "Error: Unable to bypass LDO8. You may need to restart your device.\n\n", ""}));
}
