#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "tps51632.h"

namespace {

using Lines = std::vector<std::string>;

// What the last run did on the I2C side.
Lines BusLines(SimBoard& board)
{
    Lines lines;
    for (const std::string& line : board.Trace())
        if (line.find("i2c") != std::string::npos)
            lines.push_back(line);
    return lines;
}

const char* const kReadFailed = "Error: An error occurred while attempting to read the TPS51632 voltage.\n";
const char* const kWriteFailed = "Error: An error occurred while attempting to write the TPS51632 voltage.\n";
const char* const kInvalidValue = "Invalid voltage value, valid value [500-1520]\n";

}  // namespace

TEST(Tps51632Encoding, VsrCodesInTenMillivoltSteps)
{
    EXPECT_FALSE(tps51632_ValidCode(0));
    EXPECT_FALSE(tps51632_ValidCode(24));
    EXPECT_TRUE(tps51632_ValidCode(25));
    EXPECT_TRUE(tps51632_ValidCode(127));
    EXPECT_EQ(tps51632_CodeToMillivolts(25), 500u);
    EXPECT_EQ(tps51632_CodeToMillivolts(75), 1000u);
    EXPECT_EQ(tps51632_CodeToMillivolts(127), 1520u);
    EXPECT_EQ(tps51632_MillivoltsToCode(500), 25u);
    EXPECT_EQ(tps51632_MillivoltsToCode(509), 25u);
    EXPECT_EQ(tps51632_MillivoltsToCode(1000), 75u);
    EXPECT_EQ(tps51632_MillivoltsToCode(1519), 126u);
    EXPECT_EQ(tps51632_MillivoltsToCode(1520), 127u);
}

TEST(Tps51632Driver, EnableStateCannotBeReadAndNullVoltIsRefused)
{
    DWORD state = 7;
    EXPECT_EQ(tps51632_GetVoltOnOff("CPU", &state), 1);
    EXPECT_EQ(state, 7u);
    tps51632_Init(4, 0x43, 8, 8, 100);
    EXPECT_EQ(tps51632_GetVolt("CPU", nullptr), 1);
}

TEST(Tps51632Command, ReadsAndListsTheCpuRail)
{
    SimBoard board("corv");
    RunResult r = board.Rigo({"-tps51632", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "CPU              ON   1000mV\n");
    EXPECT_EQ(BusLines(board), (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r 4b", "close /dev/i2c-4"}));

    board.SetRegisters(4, 0x43, 0x00, {0x99});  // bit 7 is not part of the code
    r = board.Rigo({"-tps51632", "4", "0x43", "cpu"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "CPU              ON    500mV\n");

    board.SetRegisters(4, 0x43, 0x00, {0x0A});
    r = board.Rigo({"-tps51632", "CPU"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Invalid value of register VSR (10)\n" + std::string(kReadFailed));
    r = board.Rigo({"-tps51632", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Invalid value of register VSR (10)\n");

    SimBoard belk("belk");
    r = belk.Rigo({"-tps51632", "CPU"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, HelpText());
}

TEST(Tps51632Command, SetWritesTheCodeKeepingBit7AndPrintsNothing)
{
    SimBoard board("corv");
    board.SetRegisters(4, 0x43, 0x00, {0xCB});
    RunResult r = board.Rigo({"-tps51632", "CPU", "1209"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(BusLines(board),
              (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r cb", "i2c-4 0x43 w 00 df", "close /dev/i2c-4"}));
    r = board.Rigo({"-tps51632", "CPU"});
    EXPECT_EQ(r.out, "CPU              ON   1200mV\n");

    r = board.Rigo({"-tps51632", "CPU", "1525"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(board.Register(4, 0x43, 0x00), 0xFF);
    r = board.Rigo({"-tps51632", "4", "0x43", "CPU", "500"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(board.Register(4, 0x43, 0x00), 0x99);
}

TEST(Tps51632Command, RefusesValuesOutsideTheRange)
{
    SimBoard board("corv");
    for (const char* value : {"1530", "495", "ON", "0x5FA"}) {
        RunResult r = board.Rigo({"-tps51632", "CPU", value});
        EXPECT_EQ(r.status, 1) << value;
        EXPECT_EQ(r.out, kInvalidValue + std::string(kWriteFailed));
        EXPECT_EQ(BusLines(board), Lines{}) << value;
    }
    EXPECT_EQ(board.Register(4, 0x43, 0x00), 0x4B);
}

TEST(Tps51632Command, UnknownRailsAndMissingBus)
{
    SimBoard board("corv");
    RunResult r = board.Rigo({"-tps51632", "GPU"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Valid Voltage names: \nCPU, \n" + std::string(kReadFailed));
    r = board.Rigo({"-tps51632", "4", "0x43", "list", "1000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Valid Voltage names: \nCPU, \n" + std::string(kWriteFailed));

    // Bus 0 is refused before any traffic.
    r = board.Rigo({"-tps51632", "0", "0x43", "CPU"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kReadFailed);
    EXPECT_EQ(BusLines(board), Lines{});
    r = board.Rigo({"-tps51632", "0", "0x43", "CPU", "1000"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kWriteFailed);
    EXPECT_EQ(BusLines(board), Lines{});
}

TEST(Tps51632Command, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    SimBoard board("corv");
    board.Fault("i2c nack bus=4 addr=0x43");
    RunResult r = board.Rigo({"-tps51632", "CPU"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kReadFailed);
    EXPECT_EQ(board.Pauses(5000), 10);
    r = board.Rigo({"-tps51632", "CPU", "1100"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kWriteFailed);
    r = board.Rigo({"-tps51632", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");

    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x43 dir=write");
    r = board.Rigo({"-tps51632", "CPU", "1100"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kWriteFailed);
    EXPECT_EQ(board.Register(4, 0x43, 0x00), 0x4B);

    board.ClearFaults();
    board.Fault("i2c open bus=4");
    r = board.Rigo({"-tps51632", "CPU"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kReadFailed);
    r = board.Rigo({"-tps51632", "CPU", "1100"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kWriteFailed);
    EXPECT_TRUE(board.Transfers().empty());
}
