#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/max77663.h"

namespace {

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

}  // namespace

TEST(Max77663Encoding, OffsetsStepsAndSaturation)
{
    const std::pair<const char*, DWORD> tops[] = {{"SD4", 255}, {"SD1", 63}, {"LDO1", 63}, {"LDO8", 63}};
    const double topMillivolts[] = {3787.5, 1587.5, 2375.0, 3950.0};
    for (size_t i = 0; i < std::size(tops); ++i)
        EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts(Rail(tops[i].first), tops[i].second), topMillivolts[i])
            << tops[i].first;
    // The fraction of a step is dropped; below the offset gives 0; no range check.
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 1006.2), 32u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 500.0), 0u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("LDO2"), 3949.9), 62u);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), 1e12), 0xFFFFFFFFu);
    EXPECT_EQ(max77663_MillivoltsToCode(Rail("SD0"), std::nan("")), 0u);
}

TEST(Max77663Command, ListsAndReadsModeAndPowerGood)
{
    SimBoard board("belk");
    for (const char* word : {"-max77663", "-MAX77664"})
        EXPECT_EQ(board.RigoOut({word, "list"}), kBelkList);
    EXPECT_EQ(board.RigoOut({"-max77663", "list", "4", "0x3c"}), kBelkList);

    EXPECT_EQ(board.RigoOut({"-max77663", "sd0"}), "SD0          FPS0     PwrOK    1000.0mV\n");
    Lines bus;
    for (const std::string& line : board.Trace())
        if (line.find("i2c") != std::string::npos)
            bus.push_back(line);
    // The mode read closes the bus; the power-good read opens it again.
    EXPECT_EQ(bus, (Lines{"open /dev/i2c-4", "i2c-4 0x3c w 16 r 20", "i2c-4 0x3c w 1d r 30", "i2c-4 0x3c w 4f r 12",
                          "close /dev/i2c-4", "open /dev/i2c-4", "i2c-4 0x3c w 14 r 08", "close /dev/i2c-4"}));

    // An FPS source wins over the power mode; step-down power good is active low, one bit
    // per converter; LDO power good is bit 3.
    board.SetRegisters(4, 0x3c, 0x4f, {0x52});
    EXPECT_EQ(board.RigoOut({"-max77663", "4", "0x3C", "SD0"}), "SD0          FPS1     PwrOK    1000.0mV\n");
    board.SetRegisters(4, 0x3c, 0x14, {0x10});
    board.SetRegisters(4, 0x3c, 0x2a, {0xF7});
    EXPECT_EQ(board.RigoOut({"-max77663", "SD3"}), "SD3          ON                1050.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD4"}), "SD4          OFF      PwrOK     600.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO3"}), "LDO3         ON                3300.0mV\n");
    board.SetRegisters(4, 0x3c, 0x31, {0x88 | 0x3F});
    board.SetRegisters(4, 0x3c, 0x4d, {0xC0});
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO7"}), "LDO7         LPM      PwrOK    3950.0mV\n");

    const std::string valid = "Valid Voltage names: \nSD0, DVSSD0, SD1, DVSSD1, SD2, SD3, SD4, LDO0, LDO1, LDO2, "
                              "LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, \n";
    EXPECT_EQ(board.RigoOut({"-max77663", "SD5"}), valid + "Failed: Unable to find the PMU output [SD5].\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "sd5", "1000"}), valid + "Failed: Unable to find the PMU output [sd5].\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD5", "ON"}), valid);
    EXPECT_TRUE(board.Transfers().empty());

    SimBoard corv("corv");
    EXPECT_EQ(corv.RigoOut({"-max77664", "list"}), kBelkList);
    SimBoard dern("dern");
    EXPECT_EQ(dern.Rigo({"-max77663", "list"}), (RunResult{1, "", HelpText()}));
}

TEST(Max77663Command, SetKeepsTheBitsOutsideTheCodeAndOnOffLeavesFps)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1006.2"}), "SD0          FPS0     PwrOK    1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x3c w 16 r 20", "i2c-4 0x3c w 16 20", "i2c-4 0x3c w 16 r 20",
                                        "i2c-4 0x3c w 1d r 30", "i2c-4 0x3c w 4f r 12", "i2c-4 0x3c w 14 r 08"}));

    // The code wraps in the field: 1600 mV on SD1 is code 64, written as 0.
    board.SetRegisters(4, 0x3c, 0x17, {0xE0});
    EXPECT_EQ(board.RigoOut({"-max77663", "DVSSD0", "1012.5"}), "DVSSD0       FPS0     PwrOK    1012.5mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x1b), 33);
    EXPECT_EQ(board.RigoOut({"-max77663", "SD1", "1000"}), "SD1          FPS1     PwrOK    1000.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x17), 0xD0);
    EXPECT_EQ(board.RigoOut({"-max77663", "SD1", "1600"}), "SD1          FPS1     PwrOK     800.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x17), 0xC0);
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO2", "1200"}), "LDO2         ON       PwrOK    1200.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x27), 0xC8);
    EXPECT_EQ(board.RigoOut({"-max77663", "SD2", "abc"}), "SD2          ON       PwrOK     600.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x18), 0x00);
    EXPECT_EQ(board.Register(4, 0x3c, 0x16), 0x20);  // DVSSD0 has its own register

    EXPECT_EQ(board.RigoOut({"-max77663", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x3c w 4b r c0", "i2c-4 0x3c w 4b c0", "i2c-4 0x3c w 2d r 29",
                                        "i2c-4 0x3c w 2d e9"}));
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO5"}), "LDO5         ON                2850.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "sd2", "off"}), "");
    EXPECT_EQ(board.Register(4, 0x3c, 0x1f), 0x00);
    // DVSSD1 shares SD1's configuration and FPS registers.
    board.Rigo({"-max77663", "dvssd1", "Off"});
    EXPECT_EQ(board.Register(4, 0x3c, 0x50), 0xC2);
    EXPECT_EQ(board.Register(4, 0x3c, 0x1e), 0x00);
    EXPECT_EQ(board.RigoOut({"-max77663", "SD1"}), "SD1          OFF      PwrOK     800.0mV\n");
    board.Rigo({"-max77663", "LDO1", "on"});
    EXPECT_EQ(board.Register(4, 0x3c, 0x47), 0xC0);
    EXPECT_EQ(board.Register(4, 0x3c, 0x25), 0xCA);
}

TEST(Max77663Command, FailingBusAndDevice)
{
    SimBoard board("belk");
    board.Fault("i2c open bus=4");
    std::string all;
    for (int i = 0; i < 16; ++i)
        all += "Failed: Unable to open I2C device.\n";
    EXPECT_EQ(board.RigoOut({"-max77663", "list"}), all);
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1000"}), "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "OFF"}), "");

    board.SetFault("i2c nack bus=4 addr=0x3c");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0"}), "Failed: Unable to read from the MAX77663 device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1200"}), "Failed: Unable to read to the MAX77663 device.\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "OFF"}), "");
    board.SetFault("i2c nack bus=4 addr=0x3c dir=write");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1200"}), "Failed: Unable to write to the MAX77663 device.\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x16), 0x20);

    // The voltage reads, the state reads do not.
    board.SetFault("i2c nack bus=4 addr=0x3c dir=read after=1");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0"}), "SD0                            1000.0mV\n");
    // The FPS write goes through, the mode write does not.
    board.SetFault("i2c nack bus=4 addr=0x3c dir=write after=1");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "OFF"}), "");
    EXPECT_EQ(board.Register(4, 0x3c, 0x4f), 0xD2);
    EXPECT_EQ(board.Register(4, 0x3c, 0x1d), 0x30);
}
