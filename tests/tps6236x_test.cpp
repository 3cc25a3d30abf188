#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e.h"
#include "pmic/tps6236x.h"

TEST(Tps6236xEncoding, RequestsAreClampedAndRoundedDownReadsTakeTheWholeByte)
{
    const std::pair<DWORD, DWORD> cases[] = {{0, 0},       {509, 0},     {510, 1},
                                             {1770, 127}, {1779, 127}, {0xFFFFFFFF, 127}};
    for (const auto& [millivolts, code] : cases)
        EXPECT_EQ(tps6236x_MillivoltsToCode(millivolts), code) << millivolts;
    EXPECT_EQ(tps6236x_CodeToMillivolts(0), 500u);
    EXPECT_EQ(tps6236x_CodeToMillivolts(0xFF), 3050u);  // bit 7, the mode bit, counts
}

TEST(Tps6236xCommand, ListShowsOnlyTheSetRegistersEveryRegisterReadsAsARail)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps62365", "list"}),
              "SET0         1000mV\nSET1         1100mV\nSET2         1200mV\nSET3         1250mV\n");
    EXPECT_EQ(board.RigoOut({"-tps62366", "list"}), "SET0         1000mV\nSET1         1100mV\n");
    EXPECT_EQ(board.RigoOut({"-tps62361", "CTRL"}), "CTRL         2740mV\n");
    EXPECT_EQ(board.RigoOut({"-tps62366", "chip_id"}), "CHIP_ID      620mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-4 0x60 w 08 r 0c"});
    // The TPS62366 has no SET2 and SET3; the bus is opened before the name is looked up.
    EXPECT_EQ(board.Rigo({"-tps62366", "SET2"}),
              (RunResult{1,
                         "Valid Voltage names: \nSET0, SET1, CTRL, TEMP, RMPCTRL, CHIP_ID, \n"
                         "Error: An error occurred while attempting to read the TPS62366 voltage.\n",
                         ""}));
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "close /dev/i2c-4"}));
}

TEST(Tps6236xCommand, SetWritesTheWholeRegisterAndReadsBack)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x60, 0x01, {0x80});
    EXPECT_EQ(board.RigoOut({"-tps62361", "SET1", "1255"}), "SET1         1250mV\n");
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x60 w 01 4b", "usleep 50000", "i2c-4 0x60 w 01 r 4b",
                                      "usleep 50000", "close /dev/i2c-4"}));
    // The TPS62365 and TPS62366 let the output settle 10 ms before the read-back.
    for (const std::string command : {"-tps62365", "-tps62366"}) {
        EXPECT_EQ(board.RigoOut({command, "SET0", "1200"}), "SET0         1200mV\n");
        EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x60 w 00 46", "usleep 50000", "usleep 10000",
                                          "i2c-4 0x60 w 00 r 46", "usleep 50000", "close /dev/i2c-4"}));
    }
    // A failed read-back fails the set, though the write landed.
    board.Fault("i2c nack bus=4 addr=0x60 dir=read");
    EXPECT_EQ(board.Rigo({"-tps62366", "SET0", "1100"}).status, 1);
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x3C);
}
