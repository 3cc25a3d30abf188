#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "lp8755.h"

namespace {

using Lines = std::vector<std::string>;

const char kDernList[] =
    "BUCK0        ON         1000.000000mV\n"
    "BUCK1        ON         1100.000000mV\n"
    "BUCK2        OFF        900.000000mV\n"
    "BUCK3        ON         1200.000000mV\n"
    "BUCK4        OFF        1000.000000mV\n"
    "BUCK5        OFF        1000.000000mV\n";

const char kValidNames[] = "Valid Voltage names: \nBUCK0, BUCK1, BUCK2, BUCK3, BUCK4, BUCK5, \n";

}  // namespace

TEST(Lp8755Encoding, CodeIsTenMillivoltStepsFrom500)
{
    EXPECT_EQ(lp8755_CodeToMillivolts(0), 500u);
    EXPECT_EQ(lp8755_CodeToMillivolts(75), 1250u);
    EXPECT_EQ(lp8755_CodeToMillivolts(117), 1670u);
    // Codes above the settable range still decode.
    EXPECT_EQ(lp8755_CodeToMillivolts(120), 1700u);
    EXPECT_EQ(lp8755_CodeToMillivolts(127), 1770u);

    EXPECT_EQ(lp8755_MillivoltsToCode(500), 0u);
    EXPECT_EQ(lp8755_MillivoltsToCode(509), 0u);
    EXPECT_EQ(lp8755_MillivoltsToCode(1005), 50u);
    EXPECT_EQ(lp8755_MillivoltsToCode(1250), 75u);
    EXPECT_EQ(lp8755_MillivoltsToCode(1669), 116u);
    EXPECT_EQ(lp8755_MillivoltsToCode(1670), 117u);
}

TEST(Lp8755Lookup, FindsAnyCaseAndListsNamesOtherwise)
{
    DWORD index = 99;
    EXPECT_EQ(lp8755_LookupVoltageIndex("buck3", &index), 0);
    EXPECT_EQ(index, 3u);
    EXPECT_EQ(lp8755_VoltTab[index].voltReg, 0x01u);
    EXPECT_EQ(lp8755_LookupVoltageIndex("BUCK0", nullptr), 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(lp8755_LookupVoltageIndex("BUCK6", &index), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kValidNames);
}

TEST(Lp8755Command, ListsAndReadsTheReferenceBoard)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-lp8755", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kDernList);
    EXPECT_EQ(r.err, "");

    // Registers do not follow the buck numbers: buck3 is register 0x01.
    r = board.Rigo({"-lp8755", "buck3"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "BUCK3        ON         1200.000000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 01 r c6", "i2c-4 0x60 w 01 r c6"}));
    EXPECT_EQ(board.Pauses(50000), 2);

    r = board.Rigo({"-LP8755", "4", "0x60", "BUCK1"});
    EXPECT_EQ(r.out, "BUCK1        ON         1100.000000mV\n");

    board.SetRegisters(4, 0x60, 0x02, {0x78});
    r = board.Rigo({"-lp8755", "BUCK5"});
    EXPECT_EQ(r.out, "BUCK5        OFF        1700.000000mV\n");
}

TEST(Lp8755Command, SetWritesTheCodeKeepsTheEnableAndReadsBack)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-lp8755", "BUCK1", "1250"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "BUCK1        ON         1250.000000mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x05), 0xCB);
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 05 r bc", "i2c-4 0x60 w 05 cb", "i2c-4 0x60 w 05 r cb",
                                        "i2c-4 0x60 w 05 r cb"}));

    // The typed value is truncated to whole millivolts, the code rounds down.
    r = board.Rigo({"-lp8755", "BUCK2", "1669.9"});
    EXPECT_EQ(r.out, "BUCK2        OFF        1660.000000mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x04), 0x74);

    r = board.Rigo({"-lp8755", "4", "0x60", "BUCK4", "1670"});
    EXPECT_EQ(r.out, "BUCK4        OFF        1670.000000mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x03), 0x75);

    r = board.Rigo({"-lp8755", "BUCK0", "500"});
    EXPECT_EQ(r.out, "BUCK0        ON         500.000000mV\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x80);
}

TEST(Lp8755Command, RefusesValuesOutsideTheRangeWithoutTraffic)
{
    SimBoard board("dern");
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"1671", "1671"}, {"499", "499"}, {"abc", "0"}, {"-5", "0"}};
    for (const auto& [typed, shown] : refused) {
        RunResult r = board.Rigo({"-lp8755", "BUCK0", typed});
        EXPECT_EQ(r.status, 0) << typed;
        EXPECT_EQ(r.out, "Failed: Wrong volt " + shown + ", valid range is [500, 1670]\n") << typed;
        EXPECT_TRUE(board.Transfers().empty()) << typed;
    }
    EXPECT_EQ(board.Registers(4, 0x60, 0, 6), (std::vector<uint8_t>{0xB2, 0xC6, 0x32, 0x32, 0x28, 0xBC}));
}

TEST(Lp8755Command, OnOffRewritesOnlyTheEnableBit)
{
    SimBoard board("dern");
    for (const char* word : {"on", "ON", "On"}) {
        board.SetRegisters(4, 0x60, 0x04, {0x28});
        RunResult r = board.Rigo({"-lp8755", "BUCK2", word});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(board.Register(4, 0x60, 0x04), 0xA8) << word;
    }
    RunResult r = board.Rigo({"-lp8755", "BUCK0", "off"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x32);
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 00 r b2", "i2c-4 0x60 w 00 32"}));
}

TEST(Lp8755Command, UnknownRailListsTheNames)
{
    SimBoard board("dern");
    RunResult r = board.Rigo({"-lp8755", "BUCK9"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [BUCK9].\n");
    EXPECT_TRUE(board.Transfers().empty());

    r = board.Rigo({"-lp8755", "buck9", "1000"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [buck9].\n");

    r = board.Rigo({"-lp8755", "BUCK9", "ON"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output!\n");
    EXPECT_TRUE(board.Transfers().empty());

    // With bus and address given, "list" in the name position is just a name.
    r = board.Rigo({"-lp8755", "4", "0x60", "list"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [list].\n");
}

TEST(Lp8755Command, DefaultsOnlyOnCorvAndDern)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-lp8755", "list"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, HelpText());
    r = board.Rigo({"-lp8755", "BUCK0"});
    EXPECT_EQ(r.status, 1);

    SimBoard avin("avin");
    avin.SetRegisters(2, 0x61, 0x00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x7F});
    r = avin.Rigo({"-lp8755", "list", "2", "0x61"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "BUCK0        ON         500.000000mV\n"
              "BUCK1        OFF        1770.000000mV\n"
              "BUCK2        OFF        500.000000mV\n"
              "BUCK3        OFF        500.000000mV\n"
              "BUCK4        OFF        500.000000mV\n"
              "BUCK5        OFF        500.000000mV\n");

    SimBoard corv("0x13");
    r = corv.Rigo({"-lp8755", "BUCK0"});
    EXPECT_EQ(r.out, "BUCK0        ON         1000.000000mV\n");

    r = corv.Rigo({"-lp8755", "4", "0", "BUCK0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, HelpText());
}

TEST(Lp8755Command, BusThatCannotBeOpened)
{
    SimBoard board("dern");
    board.Fault("i2c open bus=4");
    RunResult r = board.Rigo({"-lp8755", "list"});
    EXPECT_EQ(r.status, 0);
    std::string expected;
    for (int i = 0; i < 6; ++i)
        expected += "Failed: Unable to open I2C device.\n";
    EXPECT_EQ(r.out, expected);

    r = board.Rigo({"-lp8755", "BUCK0", "1000"});
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = board.Rigo({"-lp8755", "BUCK0", "OFF"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to access the PMU!\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0xB2);
}

TEST(Lp8755Command, DeviceThatDoesNotAnswer)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x60");
    RunResult r = board.Rigo({"-lp8755", "BUCK0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to read from the LP8755 device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);

    r = board.Rigo({"-lp8755", "BUCK0", "1200"});
    EXPECT_EQ(r.out, "Failed: Unable to write to the LP8755 device.\n");
    r = board.Rigo({"-lp8755", "BUCK0", "OFF"});
    EXPECT_EQ(r.out, "Failed: Unable to write to the LP8755 device.\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0xB2);

    // Only the enable read fails: the rail is listed with its voltage.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x60 dir=read after=1 count=10");
    r = board.Rigo({"-lp8755", "BUCK0"});
    EXPECT_EQ(r.out, "BUCK0        UNKNOWN    1000.000000mV\n");

    // The write itself fails after a good read.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x60 dir=write");
    r = board.Rigo({"-lp8755", "BUCK0", "1200"});
    EXPECT_EQ(r.out, "Failed: Unable to write to the LP8755 device.\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0xB2);
}
