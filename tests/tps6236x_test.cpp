#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/tps6236x.h"

namespace {

std::string ReadMessage(const std::string& chip)
{
    return "Error: An error occurred while attempting to read the " + chip + " voltage.\n";
}

std::string WriteMessage(const std::string& chip)
{
    return "Error: An error occurred while attempting to write the " + chip + " voltage.\n";
}

const char kValidNames[] = "Valid Voltage names: \nSET0, SET1, SET2, SET3, CTRL, TEMP, RMPCTRL, CHIP_ID, \n";

}  // namespace

TEST(Tps6236xEncoding, RequestsAreClampedAndRoundedDown)
{
    const DWORD cases[][2] = {{0, 0},      {500, 0},    {509, 0},    {510, 1},          {1259, 75},
                              {1770, 127}, {1779, 127}, {1780, 127}, {0xFFFFFFFF, 127}};
    for (const auto& [millivolts, code] : cases)
        EXPECT_EQ(tps6236x_MillivoltsToCode(millivolts), code) << millivolts;
}

TEST(Tps6236xCommand, ListsAndReadsTheWholeRegister)
{
    SimBoard board("belk");
    for (const char* command : {"-tps62361", "-TPS62365"}) {
        EXPECT_EQ(board.RigoOut({command, "list"}),
                  "SET0         1000mV\nSET1         1100mV\nSET2         1200mV\nSET3         1250mV\n");
        EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 00 r 32", "i2c-4 0x60 w 01 r 3c", "i2c-4 0x60 w 02 r 46",
                                            "i2c-4 0x60 w 03 r 4b"}));
    }
    EXPECT_EQ(board.RigoOut({"-tps62366", "list", "4", "0x60"}), "SET0         1000mV\nSET1         1100mV\n");

    // Every row is a rail, so the control registers read through the same encoding,
    // and bit 7 is part of the code.
    EXPECT_EQ(board.RigoOut({"-tps62361", "CTRL"}), "CTRL         2740mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-4 0x60 w 04 r e0"});
    EXPECT_EQ(board.RigoOut({"-tps62366", "4", "96", "chip_id"}), "CHIP_ID      620mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-4 0x60 w 08 r 0c"});
    board.SetRegisters(4, 0x60, 0x02, {0xFF});
    EXPECT_EQ(board.RigoOut({"-tps62365", "set2"}), "SET2         3050mV\n");

    // Unknown rails: the handler's message follows the names.
    EXPECT_EQ(
        board.Rigo({"-tps62366", "SET2"}),
        (RunResult{1, "Valid Voltage names: \nSET0, SET1, CTRL, TEMP, RMPCTRL, CHIP_ID, \n" + ReadMessage("TPS62366"),
                   ""}));
    EXPECT_EQ(board.Rigo({"-tps62361", "SET4", "1000"}), (RunResult{1, kValidNames + WriteMessage("TPS62361"), ""}));
    EXPECT_EQ(board.Rigo({"-tps62365", "4", "0x60", "list"}),
              (RunResult{1, kValidNames + ReadMessage("TPS62365"), ""}));
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "close /dev/i2c-4"}));

    // Only Belk and its relatives have a default.
    SimBoard dern("dern");
    EXPECT_EQ(dern.Rigo({"-tps62361", "list"}), (RunResult{1, "", HelpText()}));
}

TEST(Tps6236xCommand, SetWritesTheWholeRegisterAndReadsBack)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps62361", "SET1", "1255"}), "SET1         1250mV\n");
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x60 w 01 4b", "usleep 50000", "i2c-4 0x60 w 01 r 4b",
                                      "usleep 50000", "close /dev/i2c-4"}));

    // The TPS62365 and TPS62366 let the output settle 10 ms before the read-back.
    EXPECT_EQ(board.RigoOut({"-tps62365", "SET0", "0x4B0"}), "SET0         1200mV\n");
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x60 w 00 46", "usleep 50000", "usleep 10000",
                                      "i2c-4 0x60 w 00 r 46", "usleep 50000", "close /dev/i2c-4"}));
    EXPECT_EQ(board.RigoOut({"-tps62366", "SET1", "1003"}), "SET1         1000mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x01), 50);
    EXPECT_EQ(board.Pauses(10000), 1);

    // Clamped at both ends; bit 7 (the mode bit) is overwritten with 0.
    board.SetRegisters(4, 0x60, 0x00, {0x80});
    EXPECT_EQ(board.RigoOut({"-tps62361", "SET0", "300"}), "SET0         500mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x00);
    EXPECT_EQ(board.RigoOut({"-tps62361", "SET0", "2000"}), "SET0         1770mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x7F);
}

TEST(Tps6236xCommand, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    for (const std::string chip : {"TPS62361", "TPS62365", "TPS62366"}) {
        const std::string command = "-tps" + chip.substr(3);
        SimBoard board("belk");
        board.Fault("i2c nack bus=4 addr=0x60");
        EXPECT_EQ(board.Rigo({command, "SET0"}), (RunResult{1, ReadMessage(chip), ""}));
        EXPECT_EQ(board.Rigo({command, "SET0", "1100"}), (RunResult{1, WriteMessage(chip), ""}));
        EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x32);

        // The write lands but the read-back fails.
        board.SetFault("i2c nack bus=4 addr=0x60 dir=read");
        EXPECT_EQ(board.Rigo({command, "SET0", "1100"}), (RunResult{1, WriteMessage(chip), ""}));
        EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x3C);

        // A list skips what it cannot read and still succeeds.
        board.SetFault("i2c nack bus=4 addr=0x60 after=1 count=10");
        EXPECT_EQ(board.RigoOut({command, "list"}), chip == "TPS62366" ? "SET0         1100mV\n"
                                            : "SET0         1100mV\nSET2         1200mV\nSET3         1250mV\n");

        board.SetFault("i2c open bus=4");
        EXPECT_EQ(board.Rigo({command, "SET1"}), (RunResult{1, ReadMessage(chip), ""}));
        EXPECT_EQ(board.Rigo({command, "SET1", "1000"}), (RunResult{1, WriteMessage(chip), ""}));
        EXPECT_EQ(board.RigoOut({command, "list"}), "");
        EXPECT_TRUE(board.Transfers().empty());
    }
}
