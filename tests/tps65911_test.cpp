#include <gtest/gtest.h>

#include "e2e.h"
#include "pmic/tps65911.h"

TEST(Tps65911Encoding, SelectorsBothWaysAtTheRangeEnds)
{
    const struct {
        const char* rail;
        DWORD selector;
        DWORD millivolts;
    } reads[] = {
        {"VIO", 0, 1500}, {"VIO", 3, 3300}, {"VDD1", 0, 0}, {"VDD1", 1, 600}, {"VDD1", 4, 612},  // 612.5, half cut
        {"VDD2", 75, 1500}, {"VDDCTRLSR", 127, 2150}, {"LDO1", 4, 1000}, {"LDO1", 63, 3950}, {"LDO5", 2, 1000},
        {"LDO5", 3, 1100}, {"LDO6", 63, 7100},
    };
    for (const auto& r : reads)
        EXPECT_EQ(tps65911_SelectorToMillivolts(r.rail, r.selector), r.millivolts) << r.rail << " " << r.selector;

    const struct {
        const char* rail;
        DWORD request;
        DWORD selector;
    } sets[] = {
        // VIO: the nearest level, half-way to the lower one.
        {"VIO", 1650, 0}, {"VIO", 1651, 1}, {"VIO", 2150, 1}, {"VIO", 2151, 2}, {"VIO", 2901, 3}, {"VIO", 90000, 3},
        // Converters: 600 mV up to their top, from 2000 up in tenths of a millivolt.
        {"VDD1", 0, 3}, {"VDD1", 612, 3}, {"VDD1", 613, 4}, {"VDD2", 1501, 75}, {"VDD2", 1999, 75},
        {"VDD2", 2000, 3}, {"VDD2", 5999, 3}, {"VDD1", 12125, 52}, {"VDD1", 15001, 75},
        // VDDCTRL: 0 turns it off; its top is 1400 mV.
        {"VDDCTRL", 0, 0}, {"VDDCTRL", 1, 3}, {"VDDCTRL", 1401, 67}, {"VDDCTRLSR", 14001, 67},
        // LDOs: 1000-3300 mV, rounded down.
        {"LDO1", 999, 4}, {"LDO1", 1049, 4}, {"LDO1", 1050, 5}, {"LDO1", 3301, 50}, {"LDO5", 1099, 2},
        {"LDO5", 1100, 3}, {"LDO3", 5000, 25},
    };
    for (const auto& s : sets)
        EXPECT_EQ(tps65911_RequestToSelector(s.rail, s.request), s.selector) << s.rail << " " << s.request;
}

// Bit 7 of a converter's operating register hands the selector over to its SR register;
// VDDCTRLSR is that register on its own, shown in whole millivolts.
TEST(Tps65911Command, ConvertersFollowTheSrSelectBit)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x2d, 0x22, {0xB3, 0x34});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD1"}), "VDD1          ON 1212.5mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r b3", "i2c-4 0x2d w 23 r 34", "i2c-4 0x2d w 21 r 01"}));
    // A typed step selects that step: 1200 is not read as 1187.5 and up.
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD1", "1200"}), "VDD1          ON 1200.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x2d, 0x22, 2), (std::vector<uint8_t>{0xB3, 51}));

    board.SetRegisters(4, 0x2d, 0x28, {0x34, 0xB4});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRL"}), "VDDCTRL      OFF 1212.5mV\n");
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRLSR"}), "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 29 r b4", "i2c-4 0x2d w 27 r 00"}));
    // No step on the SR view, so no extra millivolt; the write clears bit 7.
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRLSR", "1213"}), "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x29), 0x34);
}

// The LDO fields sit in bits 7-2 (LDO6's six bits) or 6-2 beside the state bits; any
// non-zero state reads as on.
TEST(Tps65911Command, LdoFieldsKeepTheirNeighbours)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x2d, 0x35, {0x83, 0x00, 0x82});
    EXPECT_EQ(board.RigoOut({"-tps65911", "LDO6", "1200"}), "LDO6          ON 1200.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x35), 0x13);
    EXPECT_EQ(board.RigoOut({"-tps65911", "LDO3", "3300"}), "LDO3          ON 3300.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x37), 0xE6);
}

TEST(Tps65911Bypass, DrivesThePinHighThenSwitchesTheLdoOff)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "ldo7"}), "LDO7         OFF 1100.0mV\n");
    EXPECT_EQ(board.BusTrace(),
              (Lines{"open /dev/i2c-4", "i2c-4 0x20 w 07 r ff", "usleep 50000", "i2c-4 0x20 w 03 r 00", "usleep 50000",
                     "i2c-4 0x20 w 07 ef", "usleep 50000", "i2c-4 0x20 w 03 10", "usleep 50000", "usleep 1000",
                     "i2c-4 0x2d w 34 r 0d", "usleep 50000", "close /dev/i2c-4", "open /dev/i2c-4",
                     "i2c-4 0x2d w 34 0c", "usleep 50000", "close /dev/i2c-4", "open /dev/i2c-4",
                     "i2c-4 0x2d w 34 r 0c", "usleep 50000", "close /dev/i2c-4", "open /dev/i2c-4",
                     "i2c-4 0x2d w 34 r 0c", "usleep 50000", "close /dev/i2c-4"}));
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "4", "0x2d", "LDO8"}), "LDO8         OFF 1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x20, 0x03), 0x18);
    EXPECT_EQ(board.Register(4, 0x20, 0x07), 0xE7);

    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO6"}),
              (RunResult{1, "Error: Does not support bypass of LDO6.\n", ""}));
    const std::string failed = "Error: Unable to bypass LDO7. You may need to restart your device.\n\n";
    board.Fault("i2c nack bus=4 addr=0x20");
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO7"}),
              (RunResult{1, "Error: Unable to read I2C device.\n" + failed, ""}));
    board.SetFault("i2c nack bus=4 addr=0x20 dir=write");
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO7"}),
              (RunResult{1, "Error: Unable to write I2C device [0x20, 0x7].\n" + failed, ""}));
    // A failed pin write ends the bypass quietly; the LDO stays on.
    board.SetFault("i2c nack bus=4 addr=0x20 dir=write after=1");
    board.SetRegisters(4, 0x2d, 0x34, {0x0D});
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "LDO7"}), "");
    EXPECT_EQ(board.Register(4, 0x2d, 0x34), 0x0D);
    board.SetFault("i2c open bus=4");
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO8"}),
              (RunResult{1, "Error: Unable to open /dev/I2C-4 node.\n"
                            "Error: Unable to bypass LDO8. You may need to restart your device.\n\n", ""}));
}
