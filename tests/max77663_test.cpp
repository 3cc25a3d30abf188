#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "e2e.h"
#include "max77663.h"

namespace {

using Lines = std::vector<std::string>;

const MAX77663& Rail(const char* name)
{
    DWORD index = 0;
    max77663_LookupVoltageIndex(name, &index);
    return max77663_tab[index];
}

const char kBelkList[] =
    "SD0          FPS0     PwrOK    1000.0mV\n"
    "DVSSD0       FPS0     PwrOK    1000.0mV\n"
    "SD1          FPS1     PwrOK    1200.0mV\n"
    "DVSSD1       FPS1     PwrOK    1200.0mV\n"
    "SD2          ON       PwrOK    1800.0mV\n"
    "SD3          ON       PwrOK    1050.0mV\n"
    "SD4          OFF                600.0mV\n"
    "LDO0         ON       PwrOK    1200.0mV\n"
    "LDO1         FPS0     PwrOK    1050.0mV\n"
    "LDO2         ON       PwrOK    1800.0mV\n"
    "LDO3         ON       PwrOK    3300.0mV\n"
    "LDO4         FPS1     PwrOK    1100.0mV\n"
    "LDO5         OFF               2850.0mV\n"
    "LDO6         ON       PwrOK    2800.0mV\n"
    "LDO7         FPS2     PwrOK    1200.0mV\n"
    "LDO8         GLPM     PwrOK    1000.0mV\n";

const char kValidNames[] =
    "Valid Voltage names: \n"
    "SD0, DVSSD0, SD1, DVSSD1, SD2, SD3, SD4, LDO0, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, \n";

}  // namespace

TEST(Max77663Encoding, CodeIsOffsetPlusSteps)
{
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("SD0"), 0), 600.0);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("SD0"), 32), 1000.0);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("SD0"), 33), 1012.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("SD4"), 255), 3787.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("SD1"), 63), 1587.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("LDO4"), 63), 1587.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("LDO1"), 63), 2375.0);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail("LDO8"), 63), 3950.0);

    // The fraction of a step is dropped; below the offset gives 0; no range check.
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 1006.2), 32u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 1012.5), 33u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 500.0), 0u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD1"), 1600.0), 64u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("LDO0"), 2375.0), 63u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("LDO2"), 3949.9), 62u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 1e12), 0xFFFFFFFFu);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), std::nan("")), 0u);
}

TEST(Max77663Lookup, FindsAnyCaseAndListsNamesOtherwise)
{
    DWORD index = 99;
    EXPECT_EQ(max77663_LookupVoltageIndex("dvssd0", &index), 0);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(max77663_LookupVoltageIndex("SD0", nullptr), 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(max77663_LookupVoltageIndex("SD5", &index), 2);
    EXPECT_EQ(max77663_GetVolt("SD0", nullptr), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              std::string(kValidNames) + "Critical Error: Voltage pointer is NULL!\n");
}

TEST(Max77663Command, ListsTheReferenceBoardUnderBothWords)
{
    SimBoard board("belk");
    for (const char* word : {"-max77663", "-MAX77664"}) {
        RunResult r = board.Rigo({word, "list"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, kBelkList);
        EXPECT_EQ(r.err, "");
    }
    RunResult r = board.Rigo({"-max77663", "list", "4", "0x3c"});
    EXPECT_EQ(r.out, kBelkList);

    SimBoard corv("corv");
    r = corv.Rigo({"-max77664", "list"});
    EXPECT_EQ(r.out, kBelkList);

    SimBoard dern("dern");
    r = dern.Rigo({"-max77663", "list"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, HelpText());
}

TEST(Max77663Command, ReadShowsModeAndPowerGood)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-max77663", "sd0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SD0          FPS0     PwrOK    1000.0mV\n");
    Lines bus;
    for (const std::string& line : board.Trace())
        if (line.find("i2c") != std::string::npos)
            bus.push_back(line);
    // The mode read closes the bus; the power-good read opens it again.
    EXPECT_EQ(bus, (Lines{"open /dev/i2c-4", "i2c-4 0x3c w 16 r 20", "i2c-4 0x3c w 1d r 30", "i2c-4 0x3c w 4f r 12",
                          "close /dev/i2c-4", "open /dev/i2c-4", "i2c-4 0x3c w 14 r 08", "close /dev/i2c-4"}));

    // An FPS source wins over the power mode.
    board.SetRegisters(4, 0x3c, 0x4f, {0x52});
    r = board.Rigo({"-max77663", "4", "0x3C", "SD0"});
    EXPECT_EQ(r.out, "SD0          FPS1     PwrOK    1000.0mV\n");

    // Step-down power good is active low, one bit per converter; LDO power good is bit 3.
    board.SetRegisters(4, 0x3c, 0x14, {0x10});
    board.SetRegisters(4, 0x3c, 0x2a, {0xF7});
    r = board.Rigo({"-max77663", "SD3"});
    EXPECT_EQ(r.out, "SD3          ON                1050.0mV\n");
    r = board.Rigo({"-max77663", "SD4"});
    EXPECT_EQ(r.out, "SD4          OFF      PwrOK     600.0mV\n");
    r = board.Rigo({"-max77663", "LDO3"});
    EXPECT_EQ(r.out, "LDO3         ON                3300.0mV\n");

    board.SetRegisters(4, 0x3c, 0x31, {0x88 | 0x3F});
    board.SetRegisters(4, 0x3c, 0x4d, {0xC0});
    r = board.Rigo({"-max77663", "LDO7"});
    EXPECT_EQ(r.out, "LDO7         LPM      PwrOK    3950.0mV\n");
}

TEST(Max77663Command, SetKeepsTheBitsOutsideTheCode)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-max77663", "SD0", "1006.2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SD0          FPS0     PwrOK    1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x3c w 16 r 20", "i2c-4 0x3c w 16 20", "i2c-4 0x3c w 16 r 20",
                                        "i2c-4 0x3c w 1d r 30", "i2c-4 0x3c w 4f r 12", "i2c-4 0x3c w 14 r 08"}));

    r = board.Rigo({"-max77663", "DVSSD0", "1012.5"});
    EXPECT_EQ(r.out, "DVSSD0       FPS0     PwrOK    1012.5mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x1b), 33);
    EXPECT_EQ(board.Register(4, 0x3c, 0x16), 0x20);

    board.SetRegisters(4, 0x3c, 0x17, {0xE0});
    r = board.Rigo({"-max77663", "SD1", "1000"});
    EXPECT_EQ(r.out, "SD1          FPS1     PwrOK    1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x17), 0xD0);

    // The code wraps in the field: 1600 mV on SD1 is code 64, written as 0.
    r = board.Rigo({"-max77663", "SD1", "1600"});
    EXPECT_EQ(r.out, "SD1          FPS1     PwrOK     800.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x17), 0xC0);

    r = board.Rigo({"-max77663", "LDO2", "1200"});
    EXPECT_EQ(r.out, "LDO2         ON       PwrOK    1200.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x27), 0xC8);

    r = board.Rigo({"-max77663", "LDO0", "100"});
    EXPECT_EQ(r.out, "LDO0         ON       PwrOK     800.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x23), 0xC0);

    r = board.Rigo({"-max77663", "SD2", "abc"});
    EXPECT_EQ(r.out, "SD2          ON       PwrOK     600.0mV\n");
}

TEST(Max77663Command, OnOffTakesTheRailOffFpsAndSetsItsMode)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-max77663", "LDO5", "ON"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x3c w 4b r c0", "i2c-4 0x3c w 4b c0", "i2c-4 0x3c w 2d r 29",
                                        "i2c-4 0x3c w 2d e9"}));
    r = board.Rigo({"-max77663", "LDO5"});
    EXPECT_EQ(r.out, "LDO5         ON                2850.0mV\n");

    r = board.Rigo({"-max77663", "sd2", "off"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x3c, 0x1f), 0x00);
    r = board.Rigo({"-max77663", "SD2"});
    EXPECT_EQ(r.out, "SD2          OFF      PwrOK    1800.0mV\n");

    // DVSSD1 shares SD1's configuration and FPS registers.
    r = board.Rigo({"-max77663", "dvssd1", "Off"});
    EXPECT_EQ(board.Register(4, 0x3c, 0x50), 0xC2);
    EXPECT_EQ(board.Register(4, 0x3c, 0x1e), 0x00);
    r = board.Rigo({"-max77663", "SD1"});
    EXPECT_EQ(r.out, "SD1          OFF      PwrOK    1200.0mV\n");

    r = board.Rigo({"-max77663", "LDO1", "on"});
    EXPECT_EQ(board.Register(4, 0x3c, 0x47), 0xC0);
    EXPECT_EQ(board.Register(4, 0x3c, 0x25), 0xCA);
}

TEST(Max77663Command, UnknownRails)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-max77663", "SD5"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [SD5].\n");
    r = board.Rigo({"-max77663", "sd5", "1000"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [sd5].\n");
    r = board.Rigo({"-max77663", "SD5", "ON"});
    EXPECT_EQ(r.out, kValidNames);
    EXPECT_TRUE(board.Transfers().empty());
}

TEST(Max77663Command, FailingBusAndDevice)
{
    SimBoard board("belk");
    board.Fault("i2c open bus=4");
    RunResult r = board.Rigo({"-max77663", "list"});
    EXPECT_EQ(r.status, 0);
    std::string expected;
    for (int i = 0; i < 16; ++i)
        expected += "Failed: Unable to open I2C device.\n";
    EXPECT_EQ(r.out, expected);
    r = board.Rigo({"-max77663", "SD0", "1000"});
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = board.Rigo({"-max77663", "SD0", "OFF"});
    EXPECT_EQ(r.out, "");

    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x3c");
    r = board.Rigo({"-max77663", "SD0"});
    EXPECT_EQ(r.out, "Failed: Unable to read from the MAX77663 device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    r = board.Rigo({"-max77663", "SD0", "1200"});
    EXPECT_EQ(r.out, "Failed: Unable to read to the MAX77663 device.\n");
    r = board.Rigo({"-max77663", "SD0", "OFF"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Registers(4, 0x3c, 0x16, 1), (std::vector<uint8_t>{0x20}));

    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x3c dir=write");
    r = board.Rigo({"-max77663", "SD0", "1200"});
    EXPECT_EQ(r.out, "Failed: Unable to write to the MAX77663 device.\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x16), 0x20);

    // The voltage reads, the state reads do not.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x3c dir=read after=1");
    r = board.Rigo({"-max77663", "SD0"});
    EXPECT_EQ(r.out, "SD0                            1000.0mV\n");

    // The FPS write goes through, the mode write does not.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x3c dir=write after=1");
    r = board.Rigo({"-max77663", "SD0", "OFF"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x3c, 0x4f), 0xD2);
    EXPECT_EQ(board.Register(4, 0x3c, 0x1d), 0x30);
}
