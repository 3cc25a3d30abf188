#include <gtest/gtest.h>

#include <cmath>

#include "e2e.h"
#include "pmic/max77663.h"

TEST(Max77663Encoding, OffsetsStepsAndSaturation)
{
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("SD0", 0), 600.0);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("SD4", 255), 3787.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("DVSSD1", 63), 1587.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("LDO1", 63), 2375.0);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("LDO4", 63), 1587.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("LDO8", 63), 3950.0);
    // The fraction of a step is dropped; below the minimum gives 0; no range check.
    EXPECT_EQ(max77663_MillivoltsToCode("SD0", 1006.2), 32u);
    EXPECT_EQ(max77663_MillivoltsToCode("SD1", 799.0), 0u);
    EXPECT_EQ(max77663_MillivoltsToCode("LDO2", 3949.9), 62u);
    EXPECT_EQ(max77663_MillivoltsToCode("LDO0", 2375.0), 63u);
    EXPECT_EQ(max77663_MillivoltsToCode("SD0", 1e12), 0xFFFFFFFFu);
    EXPECT_EQ(max77663_MillivoltsToCode("SD0", std::nan("")), 0u);
}

// The mode read closes the bus and the power-good read opens it again; a sequencer wins
// over the power mode; a converter's power good is its bit of 0x14, active low, an LDO's
// bit 3 of its configuration register.
TEST(Max77663Command, ModeAndPowerGood)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-max77663", "sd0"}), "SD0          FPS0     PwrOK    1000.0mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-4", "i2c-4 0x3c w 16 r 20", "i2c-4 0x3c w 1d r 30",
                                       "i2c-4 0x3c w 4f r 12", "close /dev/i2c-4", "open /dev/i2c-4",
                                       "i2c-4 0x3c w 14 r 08", "close /dev/i2c-4"}));
    board.SetRegisters(4, 0x3c, 0x14, {0x10});
    board.SetRegisters(4, 0x3c, 0x2a, {0xF7});
    EXPECT_EQ(board.RigoOut({"-max77663", "SD3"}), "SD3          ON                1050.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD4"}), "SD4          OFF      PwrOK     600.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO3"}), "LDO3         ON                3300.0mV\n");
    board.SetRegisters(4, 0x3c, 0x31, {0x88 | 0x3F});
    board.SetRegisters(4, 0x3c, 0x4d, {0xC0});
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO7"}), "LDO7         LPM      PwrOK    3950.0mV\n");

    // The voltage reads, the state reads do not.
    board.SetFault("i2c nack bus=4 addr=0x3c dir=read after=1");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0"}), "SD0                            1000.0mV\n");
}

TEST(Max77663Command, SetWrapsTheCodeInItsFieldAndOnOffReleasesTheSequencer)
{
    SimBoard board("belk");
    // 1600 mV on SD1 is code 64: written as 0, beside the register's top bits.
    board.SetRegisters(4, 0x3c, 0x17, {0xE0});
    EXPECT_EQ(board.RigoOut({"-max77663", "SD1", "1600"}), "SD1          FPS1     PwrOK     800.0mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x17), 0xC0);
    EXPECT_EQ(board.RigoOut({"-max77663", "DVSSD0", "1012.5"}), "DVSSD0       FPS0     PwrOK    1012.5mV\n");
    EXPECT_EQ(board.Register(4, 0x3c, 0x1b), 33);
    EXPECT_EQ(board.Register(4, 0x3c, 0x16), 0x20);  // SD0 keeps its own register

    EXPECT_EQ(board.RigoOut({"-max77663", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x3c w 4b r c0", "i2c-4 0x3c w 4b c0", "i2c-4 0x3c w 2d r 29",
                                        "i2c-4 0x3c w 2d e9"}));
    // DVSSD1 shares SD1's configuration and sequencer registers.
    EXPECT_EQ(board.RigoOut({"-max77663", "dvssd1", "Off"}), "");
    EXPECT_EQ(board.Register(4, 0x3c, 0x50), 0xC2);
    EXPECT_EQ(board.Register(4, 0x3c, 0x1e), 0x00);

    board.SetFault("i2c nack bus=4 addr=0x3c");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1200"}), "Failed: Unable to read to the MAX77663 device.\n");
    board.SetFault("i2c nack bus=4 addr=0x3c dir=write");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1200"}), "Failed: Unable to write to the MAX77663 device.\n");
}
