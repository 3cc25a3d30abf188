#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e.h"
#include "pmic/tps51632.h"

namespace {

const std::string kReadFailed = "Error: An error occurred while attempting to read the TPS51632 voltage.\n";
const std::string kWriteFailed = "Error: An error occurred while attempting to write the TPS51632 voltage.\n";

}  // namespace

TEST(Tps51632Encoding, RangeEndsBothWays)
{
    DWORD value = 0;
    EXPECT_FALSE(tps51632_CodeToMillivolts(24, &value));  // codes 0-24: no voltage
    for (const auto& [code, millivolts] : {std::pair{25u, 500u}, std::pair{127u, 1520u}}) {
        EXPECT_TRUE(tps51632_CodeToMillivolts(code, &value));
        EXPECT_EQ(value, millivolts);
    }
    for (const auto& [millivolts, code] : {std::pair{500u, 25u}, std::pair{509u, 25u}, std::pair{1520u, 127u}}) {
        EXPECT_TRUE(tps51632_MillivoltsToCode(millivolts, &value)) << millivolts;
        EXPECT_EQ(value, code) << millivolts;
    }
    EXPECT_FALSE(tps51632_MillivoltsToCode(499, &value));
    EXPECT_FALSE(tps51632_MillivoltsToCode(1521, &value));
}

TEST(Tps51632Command, ReadAndSetLeaveBit7Alone)
{
    SimBoard board("corv");
    board.SetRegisters(4, 0x43, 0x00, {0x99});
    EXPECT_EQ(board.RigoOut({"-tps51632", "cpu"}), "CPU              ON    500mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r 99", "close /dev/i2c-4"}));
    board.SetRegisters(4, 0x43, 0x00, {0xCB});
    EXPECT_EQ(board.RigoOut({"-tps51632", "CPU", "1209"}), "");
    EXPECT_EQ(board.BusLines(),
              (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r cb", "i2c-4 0x43 w 00 df", "close /dev/i2c-4"}));

    board.SetRegisters(4, 0x43, 0x00, {0x18});
    EXPECT_EQ(board.Rigo({"-tps51632", "CPU"}), (RunResult{1, "Invalid value of register VSR (24)\n" + kReadFailed, ""}));
    EXPECT_EQ(board.Rigo({"-tps51632", "CPU", "1530"}),
              (RunResult{1, "Invalid voltage value, valid value [500-1520]\n" + kWriteFailed, ""}));
    EXPECT_EQ(board.BusLines(), Lines{});
}

TEST(Tps51632Command, BusZeroSendsNothingAnUnopenableNodeRetries)
{
    SimBoard board("corv");
    for (const auto& [args, out] : {std::pair{Lines{"-tps51632", "0", "0x43", "CPU"}, kReadFailed},
                                    std::pair{Lines{"-tps51632", "0", "0x43", "CPU", "1000"}, kWriteFailed}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, out, ""}));
        EXPECT_EQ(board.BusTrace(), Lines{});
    }
    // Open, transfer and close with no check between: every attempt fails on no node.
    board.Fault("i2c open bus=4");
    for (const auto& [args, out] : {std::pair{Lines{"-tps51632", "CPU"}, kReadFailed},
                                    std::pair{Lines{"-tps51632", "CPU", "1100"}, kWriteFailed}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, out, ""}));
        EXPECT_EQ(board.Pauses(5000), 10);
    }
}
