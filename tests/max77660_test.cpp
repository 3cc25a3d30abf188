#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "max77660.h"

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

const MAX77660& Rail(const char* name)
{
    DWORD index = 0;
    EXPECT_EQ(max77660_LookupVoltageIndex(name, &index), 0);
    return max77660_tab[index];
}

std::string Repeat(const std::string& text, int count)
{
    std::string all;
    for (int i = 0; i < count; ++i)
        all += text;
    return all;
}

const char* const kValidNames =
    "Valid Voltage names: \n"
    "BUCK1, BUCK2, BUCK3, BUCK4, BUCK5, BUCK6, BUCK7, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, "
    "LDO10, LDO11, LDO12, LDO13, LDO14, LDO15, LDO16, LDO17, LDO18, \n";

}  // namespace

TEST(Max77660Encoding, CodesReadAsWholeMillivoltsWithoutUpperBound)
{
    const MAX77660& buck1 = Rail("BUCK1");
    EXPECT_EQ(max77660_CodeToMillivolts(buck1, 0), 600u);
    EXPECT_EQ(max77660_CodeToMillivolts(buck1, 64), 1000u);
    EXPECT_EQ(max77660_CodeToMillivolts(buck1, 65), 1006u);  // 1006.25, quarter dropped
    EXPECT_EQ(max77660_CodeToMillivolts(buck1, 144), 1500u);
    EXPECT_EQ(max77660_CodeToMillivolts(buck1, 255), 2193u);
    EXPECT_EQ(max77660_CodeToMillivolts(Rail("BUCK6"), 63), 4150u);
    EXPECT_EQ(max77660_CodeToMillivolts(Rail("LDO1"), 63), 2175u);
    EXPECT_EQ(max77660_CodeToMillivolts(Rail("LDO2"), 0), 800u);
}

TEST(Max77660Encoding, RequestsAreCheckedInMicrovoltsAndRoundedDownToTheStep)
{
    EXPECT_EQ(max77660_RequestMicrovolts(1003.1), 1003100u);
    EXPECT_EQ(max77660_RequestMicrovolts(599.9), 599900u);
    EXPECT_EQ(max77660_RequestMicrovolts(-5), 0u);
    EXPECT_EQ(max77660_RequestMicrovolts(1e12), 0xFFFFFFFFu);

    const MAX77660& buck1 = Rail("BUCK1");
    EXPECT_FALSE(max77660_InRange(buck1, 599999));
    EXPECT_TRUE(max77660_InRange(buck1, 600000));
    EXPECT_TRUE(max77660_InRange(buck1, 1500000));
    EXPECT_FALSE(max77660_InRange(buck1, 1500001));
    EXPECT_TRUE(max77660_InRange(Rail("LDO1"), 600000));
    EXPECT_FALSE(max77660_InRange(Rail("LDO2"), 600000));

    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 600000), 0u);
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1000000), 64u);
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1006249), 64u);
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1006250), 65u);
    EXPECT_EQ(max77660_MicrovoltsToCode(buck1, 1500000), 144u);
    EXPECT_EQ(max77660_MicrovoltsToCode(Rail("BUCK3"), 3787500), 255u);
    EXPECT_EQ(max77660_MicrovoltsToCode(Rail("BUCK7"), 4150000), 63u);
}

TEST(Max77660Command, ListsEveryRailWithModeAndVoltage)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-max77660", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
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

    // Explicit bus and address; on other SoCs there is no default.
    r = board.Rigo({"-max77660", "4", "0x23", "buck4"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "BUCK4        NORMAL     1200.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 53 r 60", "i2c-4 0x23 w 37 r ff"}));
    SimBoard belk("belk");
    r = belk.Rigo({"-max77660", "BUCK1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, HelpText());
}

TEST(Max77660Command, SetsVoltageRoundedDownToTheStepAndReadsBack)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-max77660", "BUCK2", "1003.1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "BUCK2        NORMAL     1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 47 r 50", "i2c-4 0x23 w 47 40", "i2c-4 0x23 w 47 r 40",
                                        "i2c-4 0x23 w 37 r ff"}));
    EXPECT_EQ(board.Register(4, 0x23, 0x47), 0x40);

    // The value reaches the driver unrounded: 1212.5 is a 12.5 mV step of BUCK3.
    r = board.Rigo({"-max77660", "BUCK3", "1212.5"});
    EXPECT_EQ(r.out, "BUCK3        NORMAL     1212.0mV\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x48), 49);

    // A 6-bit field keeps the register's top bits.
    board.SetRegisters(4, 0x23, 0x4C, {0xC1});
    r = board.Rigo({"-max77660", "BUCK6", "4150"});
    EXPECT_EQ(r.out, "BUCK6        NORMAL     4150.0mV\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x4C), 0xFF);

    r = board.Rigo({"-max77660", "LDO1", "600"});
    EXPECT_EQ(r.out, "LDO1         NORMAL      600.0mV\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x54), 0x00);

    // A code beyond the settable range reads as it computes.
    board.SetRegisters(4, 0x23, 0x46, {0xFF});
    r = board.Rigo({"-max77660", "BUCK1"});
    EXPECT_EQ(r.out, "BUCK1        NORMAL     2193.0mV\n");
}

TEST(Max77660Command, RefusesVoltagesOutsideTheRailRange)
{
    SimBoard board("dern");
    const std::vector<std::vector<std::string>> cases = {
        {"BUCK1", "1600", "Failed: Wrong volt 1600, valid range is [600, 1500]\n"},
        {"BUCK1", "599.9", "Failed: Wrong volt 599, valid range is [600, 1500]\n"},
        {"LDO2", "600", "Failed: Wrong volt 600, valid range is [800, 3950]\n"},
        {"BUCK6", "-5", "Failed: Wrong volt -5, valid range is [1000, 4150]\n"},
        {"LDO7", "abc", "Failed: Wrong volt 0, valid range is [600, 2175]\n"},
    };
    for (const auto& c : cases) {
        RunResult r = board.Rigo({"-max77660", c[0], c[1]});
        EXPECT_EQ(r.status, 0) << c[1];
        EXPECT_EQ(r.out, c[2]);
        EXPECT_EQ(BusLines(board), Lines{}) << c[1];
    }
}

TEST(Max77660Command, OnSelectsSleepModeAndOffSwitchesOff)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-max77660", "LDO5", "ON"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 3f r b3", "i2c-4 0x23 w 3f b1"}));
    r = board.Rigo({"-max77660", "LDO5"});
    EXPECT_EQ(r.out, "LDO5         SLEEP      1800.0mV\n");

    r = board.Rigo({"-max77660", "4", "0x23", "ldo5", "off"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x23, 0x3F), 0xB0);  // LDO6-8 untouched
    r = board.Rigo({"-max77660", "LDO5"});
    EXPECT_EQ(r.out, "LDO5         OFF        1800.0mV\n");
}

TEST(Max77660Command, UnknownRailsListTheValidNames)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-max77660", "LDO19"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [LDO19].\n");
    r = board.Rigo({"-max77660", "4", "0x23", "list", "1000"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [list].\n");
    r = board.Rigo({"-max77660", "LDO19", "ON"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output!\n");
    EXPECT_TRUE(board.Transfers().empty());
}

TEST(Max77660Command, DeviceThatDoesNotAnswer)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x23");
    RunResult r = board.Rigo({"-max77660", "BUCK1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to read from the MAX77660 device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    r = board.Rigo({"-max77660", "BUCK1", "1100"});
    EXPECT_EQ(r.out, "Failed: Unable to write to the MAX77660 device.\n");
    r = board.Rigo({"-max77660", "BUCK1", "OFF"});
    EXPECT_EQ(r.out, "Failed: Unable to write to the MAX77660 device.\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x37), 0xFF);

    // The voltage answers, the mode does not.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x23 after=1");
    r = board.Rigo({"-max77660", "BUCK1"});
    EXPECT_EQ(r.out, "BUCK1        UNKNOWN    1000.0mV\n");

    // The write goes through, the read-back does not.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x23 after=2");
    r = board.Rigo({"-max77660", "BUCK1", "1100"});
    EXPECT_EQ(r.out, "Failed: Unable to read from the MAX77660 device.\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x46), 0x50);
}

TEST(Max77660Command, BusThatCannotBeOpened)
{
    SimBoard board("dern");
    board.Fault("i2c open bus=4");
    RunResult r = board.Rigo({"-max77660", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Repeat("Failed: Unable to open I2C device.\n", 25));
    r = board.Rigo({"-max77660", "BUCK1", "1000"});
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = board.Rigo({"-max77660", "BUCK1", "ON"});
    EXPECT_EQ(r.out, "Failed: Unable to access the PMU!\n");
    EXPECT_TRUE(board.Transfers().empty());
}
