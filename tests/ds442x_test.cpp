#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/ds442x.h"

namespace {

const Ds442xLimits kDdr = {1219, 1356, 1494, false};
const Ds442xLimits kVref = {480, 600, 720, true};
const char kNoBoard[] = "This platform does not support Maxim DS4422N+/DS4424N+ I/O.\n";

}  // namespace

// Code 0 is nominal, bit 7 the direction, 127 codes reach each limit; a code reads half a
// millivolt towards its sign, so the negative zero reads below nominal.
TEST(Ds442xEncoding, LimitModelEnds)
{
    EXPECT_EQ(ds442x_MillivoltsToDac(1494, kDdr), 0x7Fu);
    EXPECT_EQ(ds442x_MillivoltsToDac(1219, kDdr), 0xFFu);
    EXPECT_EQ(ds442x_MillivoltsToDac(1356, kDdr), 0x00u);
    EXPECT_EQ(ds442x_MillivoltsToDac(1355, kDdr), 0x80u);
    EXPECT_EQ(ds442x_DacToMillivolts(0x7F, kDdr), 1492u);
    EXPECT_EQ(ds442x_DacToMillivolts(0xFF, kDdr), 1219u);
    EXPECT_EQ(ds442x_DacToMillivolts(0x80, kDdr), 1355u);
    // The inverted sign sense: a set sign bit raises the rail.
    EXPECT_EQ(ds442x_MillivoltsToDac(720, kVref), 0xFFu);
    EXPECT_EQ(ds442x_MillivoltsToDac(480, kVref), 0x7Fu);
    EXPECT_EQ(ds442x_DacToMillivolts(0x80, kVref), 600u);
    EXPECT_EQ(ds442x_DacToMillivolts(0x00, kVref), 599u);
}

TEST(Ds442xEncoding, StepModelEnds)
{
    const Ds442xStep step = {50, 12.7};
    EXPECT_EQ(ds442x_StepReachMillivolts(step), 10u);
    EXPECT_EQ(ds442x_StepReachMillivolts({50, 18.2}), 6u);
    EXPECT_EQ(ds442x_StepMillivoltsToDac(60, step), 0xFFu);
    EXPECT_EQ(ds442x_StepMillivoltsToDac(40, step), 0x7Fu);
    EXPECT_EQ(ds442x_StepDacToMillivolts(0xFF, step), 60u);
    EXPECT_EQ(ds442x_StepDacToMillivolts(0x7F, step), 40u);
    EXPECT_EQ(ds442x_StepDacToMillivolts(0x5B, {50, 18.2}), 45u);
}

// Each board's table says which outputs trim which rail; the bus is opened per access.
TEST(Ds442xCommand, LimitModelTakesTheBoardsRails)
{
    SimBoard board("belk");
    board.SetRegisters(0, 0x10, 0xF8, {0xB4, 0xEA});
    EXPECT_EQ(board.RigoOut({"-DS4424N", "LIST", "brd03"}),
              "OUT0         1300mV\nOUT1         790mV\n[OUT2] Failed to access.\n[OUT3] Failed to access.\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "list", "BRD05"}), "[OUT0] Failed to access.\nOUT1         699mV\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "out0", "1300"}), "out0         1300mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-0", "i2c-0 0x10 w f8 b4", "close /dev/i2c-0", "open /dev/i2c-0",
                                       "i2c-0 0x10 w f8 r b4", "close /dev/i2c-0"}));
    board.AddDevice(3, 0x11);
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD04", "3", "0x11", "OUT1", "814"}), "OUT1         812mV\n");
    EXPECT_EQ(board.Register(3, 0x11, 0xF9), 0xFF);

    // The range is the rail's, named by it; an output the board does not trim is refused.
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "OUT0", "1495"}),
              "Unsupported voltage, VDDIO_DDR support 1219 mV to 1494 mV.\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "OUT2", "1300"}), "Failed: Invalid voltage output name.\n");
    EXPECT_EQ(board.Transfers(), Lines{});

    SimBoard other("0x33:1");
    EXPECT_EQ(other.RigoOut({"-ds4422n", "list", "BRD08"}), "[OUT0] Failed to access.\nOUT1         599mV\n");
}

TEST(Ds442xCommand, ExplicitLimitsNeedNoBoard)
{
    SimBoard board("belk");
    board.AddDevice(4, 0x10);
    EXPECT_EQ(board.RigoOut({"-ds4422N", "4", "0x10", "OUT3", "480", "600", "720", "1", "700"}), "OUT3         699mV\n");
    EXPECT_EQ(board.Register(4, 0x10, 0xFB), 0xEA);
    EXPECT_EQ(board.RigoOut({"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0", "600"}),
              "Unsupported voltage limits, OUT1 needs <MIN> below <MAX>.\n");
    EXPECT_EQ(board.Transfers(), Lines{});

    // Corv boards take the explicit forms and do nothing with them.
    SimBoard corv("corv");
    EXPECT_EQ(corv.RigoOut({"-ds4424n", "0", "0x70", "OUT0", "1219", "1356", "1494", "0", "1300"}), "");
    EXPECT_EQ(corv.Transfers(), Lines{});
}

// Corv boards: a step per board; a board without one reads the register, then refuses.
TEST(Ds442xCommand, StepModelOnCorv)
{
    SimBoard board("corv");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD11", "OUT0", "45"}), "OUT0         45mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 5b", "i2c-0 0x70 w f8 r 5b"}));
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD10", "OUT1", "60"}), "OUT1         60mV\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD12", "OUT1"}), "OUT1         60mV\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD11", "OUT0", "57"}), "Unsupported voltage, OUT0 support 44 mV to 56 mV.\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD13", "OUT0", "50"}), "Error: Unsupported platform!\n");
    EXPECT_EQ(board.Transfers(), Lines{});
    EXPECT_EQ(board.RigoOut({"-ds4422N", "list", "BRD01"}), "Error: Unsupported platform!\nError: Unsupported platform!\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 r 5b", "i2c-0 0x70 w f9 r ff"}));
}

// The board code is checked once per command, after the address and before any traffic.
TEST(Ds442xCommand, BoardCodes)
{
    SimBoard board("belk");
    for (const Lines& args : {Lines{"-ds4422N", "list", "BRD19"}, Lines{"-ds4424N", "brd00", "OUT0", "1300"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, kNoBoard, ""}));
    EXPECT_EQ(board.Rigo({"-ds4422N", "XYZ", "0", "0", "OUT0"}), (RunResult{1, "", HelpText()}));
    SimBoard avin("avin");
    EXPECT_EQ(avin.Rigo({"-ds4424n", "list", "BRD01"}), (RunResult{1, "", HelpText()}));
}
