#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/max77660.h"

namespace {

const MAX77660& Rail(const char* name)
{
    DWORD index = 0;
    EXPECT_EQ(max77660_LookupVoltageIndex(name, &index), 0);
    return max77660_tab[index];
}

const std::string kValidNames =
    "Valid Voltage names: \n"
    "BUCK1, BUCK2, BUCK3, BUCK4, BUCK5, BUCK6, BUCK7, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, "
    "LDO10, LDO11, LDO12, LDO13, LDO14, LDO15, LDO16, LDO17, LDO18, \n";

}  // namespace

// Requests are checked in whole microvolts and rounded down to the step (6.25 mV on BUCK1).
TEST(Max77660Encoding, RangeEndsAndBetweenSteps)
{
    const MAX77660& buck1 = Rail("BUCK1");
    EXPECT_EQ(max77660_RequestMicrovolts(599.9), 599900u);
    EXPECT_EQ(max77660_RequestMicrovolts(-5), 0u);
    EXPECT_EQ(max77660_RequestMicrovolts(1e12), 0xFFFFFFFFu);
    EXPECT_FALSE(max77660_InRange(buck1, 599999));
    EXPECT_TRUE(max77660_InRange(buck1, 600000));
    EXPECT_TRUE(max77660_InRange(buck1, 1500000));
    EXPECT_FALSE(max77660_InRange(buck1, 1500001));
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1006249), 64u);
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1006250), 65u);
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1500000), 144u);
    EXPECT_EQ(max77660_MicrovoltsToCode(Rail("BUCK3"), 3787500), 255u);
    EXPECT_EQ(max77660_CodeToMillivolts(buck1, 65), 1006u);  // 1006.25, the quarter dropped
}

TEST(Max77660Command, ListsEveryRailWithModeAndVoltage)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-max77660", "list"}),
              "BUCK1        NORMAL     1000.0mV\n"
              "BUCK2        NORMAL     1100.0mV\n"
              "BUCK3        NORMAL     1800.0mV\n"
              "BUCK4        NORMAL     1200.0mV\n"
              "BUCK5        NORMAL     1200.0mV\n"
              "BUCK6        NORMAL     3300.0mV\n"
              "BUCK7        LOW POWER  2800.0mV\n"
              "LDO1         NORMAL     1200.0mV\n"
              "LDO2         NORMAL     1800.0mV\n"
              "LDO3         SLEEP      2800.0mV\n"
              "LDO4         OFF        3300.0mV\n"
              "LDO5         NORMAL     1800.0mV\n"
              "LDO6         OFF        2850.0mV\n"
              "LDO7         NORMAL     1200.0mV\n"
              "LDO8         LOW POWER  1050.0mV\n"
              "LDO9         NORMAL     1800.0mV\n"
              "LDO10        NORMAL     2800.0mV\n"
              "LDO11        NORMAL     3300.0mV\n"
              "LDO12        OFF        1800.0mV\n"
              "LDO13        OFF        2700.0mV\n"
              "LDO14        NORMAL     3000.0mV\n"
              "LDO15        NORMAL     1800.0mV\n"
              "LDO16        OFF        2800.0mV\n"
              "LDO17        NORMAL     3300.0mV\n"
              "LDO18        SLEEP      1200.0mV\n");
    EXPECT_EQ(board.Transfers().size(), 50u);

    // Explicit bus and address; a code beyond the settable range reads as it computes.
    board.SetRegisters(4, 0x23, 0x46, {0xFF});
    EXPECT_EQ(board.RigoOut({"-max77660", "4", "0x23", "buck1"}), "BUCK1        NORMAL     2193.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 46 r ff", "i2c-4 0x23 w 37 r ff"}));

    // Unknown rails list the valid names; with bus and address, "list" is just a name.
    const std::pair<Lines, const char*> unknown[] = {
        {{"-max77660", "LDO19"}, "Failed: Unable to find the PMU output [LDO19].\n"},
        {{"-max77660", "4", "0x23", "list", "1000"}, "Failed: Unable to find the PMU output [list].\n"},
        {{"-max77660", "LDO19", "ON"}, "Failed: Unable to find the PMU output!\n"},
    };
    for (const auto& [args, failure] : unknown) {
        EXPECT_EQ(board.RigoOut(args), kValidNames + failure);
        EXPECT_TRUE(board.Transfers().empty());
    }

    SimBoard belk("belk");  // no default on other SoCs
    EXPECT_EQ(belk.Rigo({"-max77660", "BUCK1"}), (RunResult{1, "", HelpText()}));
}

TEST(Max77660Command, SetsRoundedDownToTheStepAndSwitches)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK2", "1003.1"}), "BUCK2        NORMAL     1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 47 r 50", "i2c-4 0x23 w 47 40", "i2c-4 0x23 w 47 r 40",
                                        "i2c-4 0x23 w 37 r ff"}));

    // The value reaches the driver unrounded: 1212.5 is a 12.5 mV step of BUCK3. A 6-bit
    // field keeps the register's top bits.
    board.SetRegisters(4, 0x23, 0x4C, {0xC1});
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK3", "1212.5"}), "BUCK3        NORMAL     1212.0mV\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x48), 49);
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK6", "4150"}), "BUCK6        NORMAL     4150.0mV\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x4C), 0xFF);

    const std::pair<Lines, const char*> refused[] = {
        {{"BUCK1", "1600"}, "Failed: Wrong volt 1600, valid range is [600, 1500]\n"},
        {{"BUCK1", "599.9"}, "Failed: Wrong volt 599, valid range is [600, 1500]\n"},
        {{"LDO2", "600"}, "Failed: Wrong volt 600, valid range is [800, 3950]\n"},
        {{"BUCK6", "-5"}, "Failed: Wrong volt -5, valid range is [1000, 4150]\n"},
        {{"LDO7", "abc"}, "Failed: Wrong volt 0, valid range is [600, 2175]\n"},
    };
    for (const auto& [args, message] : refused) {
        EXPECT_EQ(board.RigoOut({"-max77660", args[0], args[1]}), message);
        EXPECT_EQ(board.Trace().size(), 4u) << args[1];  // the chip ID read only
    }

    // ON selects the sleep mode, OFF switches off; LDO6-8 share the register, untouched.
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 3f r b3", "i2c-4 0x23 w 3f b1"}));
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO5"}), "LDO5         SLEEP      1800.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77660", "4", "0x23", "ldo5", "off"}), "");
    EXPECT_EQ(board.Register(4, 0x23, 0x3F), 0xB0);
}

TEST(Max77660Command, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x23");
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1"}), "Failed: Unable to read from the MAX77660 device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    for (const char* value : {"1100", "OFF"})
        EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1", value}), "Failed: Unable to write to the MAX77660 device.\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x37), 0xFF);

    board.SetFault("i2c nack bus=4 addr=0x23 after=1");  // the voltage answers, the mode does not
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1"}), "BUCK1        UNKNOWN    1000.0mV\n");
    board.SetFault("i2c nack bus=4 addr=0x23 after=2");  // the write goes through, the read-back does not
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1", "1100"}), "Failed: Unable to read from the MAX77660 device.\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x46), 0x50);

    board.SetFault("i2c open bus=4");
    std::string all;
    for (int i = 0; i < 25; ++i)
        all += "Failed: Unable to open I2C device.\n";
    EXPECT_EQ(board.RigoOut({"-max77660", "list"}), all);
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1", "1000"}), "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1", "ON"}), "Failed: Unable to access the PMU!\n");
    EXPECT_TRUE(board.Transfers().empty());
}
