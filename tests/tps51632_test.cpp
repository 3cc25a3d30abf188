#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"

namespace {

const std::string kReadFailed = "Error: An error occurred while attempting to read the TPS51632 voltage.\n";
const std::string kWriteFailed = "Error: An error occurred while attempting to write the TPS51632 voltage.\n";

}  // namespace

TEST(Tps51632Command, ReadsAndListsTheCpuRail)
{
    SimBoard board("corv");
    EXPECT_EQ(board.RigoOut({"-tps51632", "list"}), "CPU              ON   1000mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r 4b", "close /dev/i2c-4"}));

    // Bit 7 is not part of the code; codes below 25 stand for no voltage.
    board.SetRegisters(4, 0x43, 0x00, {0x99});
    EXPECT_EQ(board.RigoOut({"-tps51632", "4", "0x43", "cpu"}), "CPU              ON    500mV\n");
    board.SetRegisters(4, 0x43, 0x00, {0xFF});
    EXPECT_EQ(board.RigoOut({"-tps51632", "CPU"}), "CPU              ON   1520mV\n");
    board.SetRegisters(4, 0x43, 0x00, {0x18});
    EXPECT_EQ(board.Rigo({"-tps51632", "CPU"}),
              (RunResult{1, "Invalid value of register VSR (24)\n" + kReadFailed, ""}));
    EXPECT_EQ(board.RigoOut({"-tps51632", "list"}), "Invalid value of register VSR (24)\n");

    SimBoard belk("belk");
    EXPECT_EQ(belk.Rigo({"-tps51632", "CPU"}), (RunResult{1, "", HelpText()}));
}

TEST(Tps51632Command, SetWritesTheCodeKeepingBit7AndPrintsNothing)
{
    SimBoard board("corv");
    board.SetRegisters(4, 0x43, 0x00, {0xCB});
    EXPECT_EQ(board.RigoOut({"-tps51632", "CPU", "1209"}), "");
    EXPECT_EQ(board.BusLines(),
              (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r cb", "i2c-4 0x43 w 00 df", "close /dev/i2c-4"}));
    // The range ends, after the value is cut to whole 10 mV steps.
    for (const auto& [typed, reg] : {std::pair{"1529", 0xFF}, std::pair{"500", 0x99}, std::pair{"509", 0x99}}) {
        EXPECT_EQ(board.Rigo({"-tps51632", "4", "0x43", "CPU", typed}).status, 0) << typed;
        EXPECT_EQ(board.Register(4, 0x43, 0x00), reg) << typed;
    }

    board.SetRegisters(4, 0x43, 0x00, {0x4B});
    for (const char* value : {"1530", "495", "ON", "0x5FA"}) {
        EXPECT_EQ(board.Rigo({"-tps51632", "CPU", value}),
                  (RunResult{1, "Invalid voltage value, valid value [500-1520]\n" + kWriteFailed, ""}));
        EXPECT_EQ(board.BusLines(), Lines{}) << value;
    }
    EXPECT_EQ(board.Register(4, 0x43, 0x00), 0x4B);
}

TEST(Tps51632Command, UnknownRailsAndBusZero)
{
    SimBoard board("corv");
    EXPECT_EQ(board.Rigo({"-tps51632", "GPU"}), (RunResult{1, "Valid Voltage names: \nCPU, \n" + kReadFailed, ""}));
    EXPECT_EQ(board.Rigo({"-tps51632", "4", "0x43", "list", "1000"}),
              (RunResult{1, "Valid Voltage names: \nCPU, \n" + kWriteFailed, ""}));

    // Bus 0 is refused before any traffic.
    for (const auto& [args, out] : {std::pair{Lines{"-tps51632", "0", "0x43", "CPU"}, kReadFailed},
                                    std::pair{Lines{"-tps51632", "0", "0x43", "CPU", "1000"}, kWriteFailed}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, out, ""}));
        EXPECT_EQ(board.BusLines(), Lines{});
    }
}

TEST(Tps51632Command, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    SimBoard board("corv");
    board.Fault("i2c nack bus=4 addr=0x43");
    EXPECT_EQ(board.Rigo({"-tps51632", "CPU"}), (RunResult{1, kReadFailed, ""}));
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.RigoOut({"-tps51632", "list"}), "");

    board.SetFault("i2c nack bus=4 addr=0x43 dir=write");
    EXPECT_EQ(board.Rigo({"-tps51632", "CPU", "1100"}), (RunResult{1, kWriteFailed, ""}));
    EXPECT_EQ(board.Register(4, 0x43, 0x00), 0x4B);

    board.SetFault("i2c open bus=4");
    for (const auto& [args, out] : {std::pair{Lines{"-tps51632", "CPU"}, kReadFailed},
                                    std::pair{Lines{"-tps51632", "CPU", "1100"}, kWriteFailed}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, out, ""}));
        EXPECT_TRUE(board.Transfers().empty());
        EXPECT_EQ(board.Pauses(5000), 10);  // no node open: every attempt fails
    }
}
