#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "rail.h"
#include "tps80031.h"
#include "tps80032.h"

namespace {

const std::string kValidNames =
    "Valid Voltage names: \n"
    "SMPS1, SMPS2, SMPS3, SMPS4, VIO, VANA, LDOLN, LDOUSB, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, \n";

}  // namespace

TEST(Tps8003xEncoding, Converter12mV5SelectorFromMillivolts)
{
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 0), 0u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 600), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 612), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 613), 2u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1000), 33u);
    // Between two steps the lower one is taken.
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1212), 49u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1213), 50u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1300), 57u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1340), 57u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1349), 57u);
    // The fixed levels are reached from bands around them.
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1350), 58u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1399), 58u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1400), 59u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1649), 59u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1650), 60u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1849), 60u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1850), 61u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 1999), 61u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 2000), 62u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 5000), 62u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps12mV5, 0xFFFFFFFF), 62u);
    for (DWORD volt = 600; volt <= 1300; ++volt) {
        DWORD level = tps8003x_SelectorToMillivolts(kTpsSmps12mV5, tps8003x_MillivoltsToSelector(kTpsSmps12mV5, volt));
        EXPECT_LE(level, volt) << volt;
        EXPECT_LT(volt - level, 13u) << volt;
    }
}

TEST(Tps8003xEncoding, LdoAndConverter38mV6SelectorsClamp)
{
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 0), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 500), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 1099), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 1100), 2u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 1850), 9u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 3199), 22u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 3200), 23u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsLdo100mV, 3300), 23u);

    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 0), 0u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 1000), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 1859), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 1860), 1u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 1891), 2u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 2850), 26u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 3999), 56u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 4000), 56u);
    EXPECT_EQ(tps8003x_MillivoltsToSelector(kTpsSmps38mV6, 0xFFFFFFFF), 56u);
}

TEST(Tps8003xEncoding, Tps80031LevelsBySelector)
{
    const DWORD smps[][2] = {{0, 0},     {1, 600},     {33, 1000},   {49, 1200},   {50, 1212},
                             {57, 1300}, {58, 1350},   {59, 1500},   {60, 1800},   {61, 1900},
                             {62, 2100}, {63, 1375}};
    for (const auto& [selector, millivolts] : smps)
        EXPECT_EQ(tps8003x_SelectorToMillivolts(kTpsSmps12mV5, selector), millivolts) << selector;
    const DWORD smps4[][2] = {{0, 0},     {1, 1852},    {26, 2817},   {56, 3975},   {57, 4013},
                              {58, 2084}, {62, 3241},   {63, 4245}};
    for (const auto& [selector, millivolts] : smps4)
        EXPECT_EQ(tps8003x_SelectorToMillivolts(kTpsSmps38mV6, selector), millivolts) << selector;
    const DWORD ldo[][2] = {{0, 0}, {1, 1000}, {23, 3200}, {25, 3400}, {26, 2750}, {31, 2750}, {32, 4100}, {63, 7200}};
    for (const auto& [selector, millivolts] : ldo)
        EXPECT_EQ(tps8003x_SelectorToMillivolts(kTpsLdo100mV, selector), millivolts) << selector;
}

TEST(Tps8003xEncoding, Tps80032ReadsItsConvertersFromTable)
{
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 0), 0u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 1), 6077u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 32), 10002u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 50), 12280u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 57), 13167u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 58), 13674u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 62), 21270u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps12mV5, 63), 0u);
    // The other groups read as on the TPS80031, in millivolts.
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsSmps38mV6, 26), 2817u);
    EXPECT_EQ(tps80032_SelectorToVolt(kTpsLdo100mV, 23), 3200u);
}

TEST(Tps8003xEncoding, ShownMillivoltsRestoreTheStepFraction)
{
    EXPECT_DOUBLE_EQ(ShownMillivolts(1200, 12.5), 1200.0);
    EXPECT_DOUBLE_EQ(ShownMillivolts(1212, 12.5), 1212.5);
    EXPECT_DOUBLE_EQ(ShownMillivolts(0, 12.5), 0.0);
    EXPECT_NEAR(ShownMillivolts(1852, 38.6), 1852.6, 1e-9);
    EXPECT_DOUBLE_EQ(ShownMillivolts(2750, 100.0), 2750.0);
}

TEST(Tps80031Command, ListsTheRailsOfTheReferenceBoard)
{
    SimBoard board("belk");
    RunResult run = board.Rigo({"-tps80031", "list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "SMPS1         ON 1000.0mV\n"
              "SMPS2         ON 1200.0mV\n"
              "SMPS3         ON 1350.0mV\n"
              "SMPS4         ON 2817.6mV\n"
              "VIO           ON 1800.0mV\n"
              "VANA          ON 1800.0mV\n"
              "LDOLN        OFF 1000.0mV\n"
              "LDOUSB        ON 3300.0mV\n"
              "LDO1         OFF 1200.0mV\n"
              "LDO2          ON 3300.0mV\n"
              "LDO3         OFF 1300.0mV\n"
              "LDO4          ON 3000.0mV\n"
              "LDO5          ON 3300.0mV\n"
              "LDO6          ON 2800.0mV\n"
              "LDO7         OFF 1200.0mV\n");
    // Two reads per rail, each its own transfer and pause.
    EXPECT_EQ(board.Transfers().size(), 30u);
    EXPECT_EQ(board.Pauses(50000), 30);

    // LIST in any case, and on a SoC without a default once bus and address are given.
    SimBoard avin("avin");
    avin.SetRegisters(4, 0x12, 0x55, {0x31});
    avin.SetRegisters(4, 0x48, 0x54, {0x01});
    run = avin.Rigo({"-TPS80031", "LIST", "4", "0x48"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, 26), "SMPS1         ON 1200.0mV\n");
    EXPECT_EQ(run.out.substr(26, 26), "SMPS2        OFF    0.0mV\n");
}

TEST(Tps80031Command, ReadsVoltageAndStateFromTheirDevices)
{
    SimBoard board("belk");
    RunResult run = board.Rigo({"-tps80031", "smps1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SMPS1         ON 1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x12 w 55 r 21", "i2c-4 0x48 w 54 r e1"}));

    // The given address only has to be non-zero: the rail's own devices are read.
    board.SetRegisters(4, 0x12, 0x55, {0xFA});
    run = board.Rigo({"-tps80031", "4", "0x2d", "SMPS1"});
    EXPECT_EQ(run.out, "SMPS1         ON 1350.0mV\n");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x12 w 55 r fa", "i2c-4 0x48 w 54 r e1"}));

    board.SetRegisters(4, 0x48, 0x54, {0xFC});
    board.SetRegisters(4, 0x12, 0x55, {0x32});
    EXPECT_EQ(board.Rigo({"-tps80031", "SMPS1"}).out, "SMPS1        OFF 1212.5mV\n");
    board.SetRegisters(4, 0x48, 0x44, {0x01});
    EXPECT_EQ(board.Rigo({"-tps80031", "SMPS4"}).out, "SMPS4         ON 1852.6mV\n");
    board.SetRegisters(4, 0x48, 0x9B, {0x1C});
    EXPECT_EQ(board.Rigo({"-tps80031", "LDO5"}).out, "LDO5          ON 2750.0mV\n");
}

TEST(Tps80031Command, SetsTheSelectorKeepingTheOtherBits)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x12, 0x55, {0xC0});
    RunResult run = board.Rigo({"-tps80031", "SMPS1", "1212"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x12 w 55 r c0", "i2c-4 0x12 w 55 f1"}));
    EXPECT_EQ(board.Pauses(50000), 2);
    EXPECT_EQ(board.Rigo({"-tps80031", "SMPS1"}).out, "SMPS1         ON 1200.0mV\n");

    board.Rigo({"-tps80031", "SMPS1", "1213"});
    EXPECT_EQ(board.Register(4, 0x12, 0x55), 0xF2);
    EXPECT_EQ(board.Rigo({"-tps80031", "SMPS1"}).out, "SMPS1         ON 1212.5mV\n");

    // Values are whole decimal millivolts: the fraction and a hex prefix are dropped.
    // Values are whole decimal millivolts (a fraction or a hex prefix is dropped, a sign
    // wraps), clamped to the rail's range; each rail's voltage register on its own device.
    const struct {
        const char* rail;
        const char* value;
        int device;
        int reg;
        uint8_t selector;
    } cases[] = {
        {"SMPS1", "1212.5", 0x12, 0x55, 49}, {"SMPS1", "0x4B0", 0x12, 0x55, 0}, {"SMPS2", "-5", 0x12, 0x5B, 62},
        {"VIO", "300", 0x12, 0x49, 1},       {"SMPS3", "1350", 0x48, 0x68, 58}, {"LDO5", "3300", 0x48, 0x9B, 23},
        {"SMPS4", "4500", 0x48, 0x44, 56},
    };
    for (const auto& c : cases) {
        board.SetRegisters(4, c.device, c.reg, {0x40});
        run = board.Rigo({"-tps80031", c.rail, c.value});
        EXPECT_EQ(run.out, "") << c.rail << " " << c.value;
        EXPECT_EQ(board.Register(4, c.device, c.reg), 0x40 | c.selector) << c.rail << " " << c.value;
    }
    EXPECT_EQ(board.Rigo({"-tps80031", "SMPS4"}).out, "SMPS4         ON 3975.6mV\n");
    EXPECT_EQ(board.Rigo({"-tps80031", "LDO5"}).out, "LDO5          ON 3200.0mV\n");
}

TEST(Tps80031Command, SwitchesTheStateBitsOnly)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x48, 0xA6, {0xE2});
    RunResult run = board.Rigo({"-tps80031", "LDO7", "ON"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x48 w a6 r e2", "i2c-4 0x48 w a6 e1"}));
    EXPECT_EQ(board.Register(4, 0x48, 0xA7), 0x03);

    run = board.Rigo({"-tps80031", "4", "0x48", "ldo2", "off"});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Register(4, 0x48, 0x86), 0xE0);
    EXPECT_EQ(board.Rigo({"-tps80031", "LDO2"}).out, "LDO2         OFF 3300.0mV\n");
    board.Rigo({"-tps80031", "LDO2", "On"});
    EXPECT_EQ(board.Register(4, 0x48, 0x86), 0xE1);
}

TEST(Tps80031Command, UnknownRailsListTheValidNames)
{
    SimBoard board("belk");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-tps80031", "SMPS5"},
             {"-tps80031", "SMPS5", "1200"},
             {"-tps80031", "SMPS5", "ON"},
             {"-tps80031", "4", "0x48", "list"},
         }) {
        RunResult run = board.Rigo(args);
        EXPECT_EQ(run.status, 0) << args.back();
        EXPECT_EQ(run.out, kValidNames) << args.back();
        EXPECT_TRUE(board.Transfers().empty()) << args.back();
    }
}

TEST(Tps80031Command, UsageErrorsShowTheHelp)
{
    SimBoard belk("belk");
    SimBoard avin("avin");
    const std::vector<std::vector<std::string>> cases = {
        {"-tps80031"},
        {"-tps80031", "list", "4"},
        {"-tps80031", "4", "0", "SMPS1"},
        {"-tps80032"},
    };
    for (const auto& args : cases) {
        RunResult run = belk.Rigo(args);
        EXPECT_EQ(run.status, 1) << args.size();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, HelpText());
    }
    // No default bus and address on this SoC.
    for (const char* command : {"-tps80031", "-tps80032"}) {
        for (const char* word : {"list", "SMPS1"}) {
            RunResult run = avin.Rigo({command, word});
            EXPECT_EQ(run.status, 1) << command << " " << word;
            EXPECT_EQ(run.err, HelpText());
        }
    }
}

TEST(Tps80031Command, FailedAccessesReadAsZeroAndAreNotReported)
{
    SimBoard board("belk");
    board.Fault("i2c nack bus=4 addr=0x12");
    RunResult run = board.Rigo({"-tps80031", "SMPS1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SMPS1         ON    0.0mV\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.Pauses(50000), 1);

    // A refused write leaves the register as it was and prints nothing.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x48 dir=write");
    run = board.Rigo({"-tps80031", "LDO7", "ON"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Register(4, 0x48, 0xA6), 0x00);
    EXPECT_EQ(board.Pauses(5000), 10);

    // A bus that cannot be opened: every rail reads off at 0 mV.
    board.ClearFaults();
    board.Fault("i2c open bus=4");
    run = board.Rigo({"-tps80031", "SMPS1"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SMPS1        OFF    0.0mV\n");
    EXPECT_TRUE(board.Transfers().empty());
    run = board.Rigo({"-tps80031", "SMPS1", "1500"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Register(4, 0x12, 0x55), 0x21);

    // Bus 0 counts as not set: no bus node is even opened.
    board.ClearFaults();
    auto expectNoBusAccess = [&board] {
        for (const std::string& line : board.Trace())
            EXPECT_EQ(line.find("i2c"), std::string::npos) << line;
    };
    run = board.Rigo({"-tps80031", "0", "0x48", "SMPS1"});
    EXPECT_EQ(run.out, "SMPS1        OFF    0.0mV\n");
    expectNoBusAccess();
    run = board.Rigo({"-tps80031", "0", "0x48", "LDO7", "ON"});
    EXPECT_EQ(run.out, "");
    expectNoBusAccess();
}

TEST(Tps80032Command, ReadsItsConvertersThroughItsOwnTable)
{
    SimBoard board("0x33:1");
    RunResult run = board.Rigo({"-tps80032", "list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "SMPS1         ON 1000.2mV\n"
              "SMPS2         ON 1202.7mV\n"
              "SMPS3         ON 1316.7mV\n"
              "SMPS4         ON 2817.6mV\n"
              "VIO           ON 1823.1mV\n"
              "VANA          ON 1800.0mV\n"
              "LDOLN         ON 1000.0mV\n"
              "LDOUSB        ON 3300.0mV\n"
              "LDO1          ON 1200.0mV\n"
              "LDO2          ON 3300.0mV\n"
              "LDO3         OFF 1300.0mV\n"
              "LDO4          ON 3000.0mV\n"
              "LDO5         OFF 3300.0mV\n"
              "LDO6          ON 2800.0mV\n"
              "LDO7          ON 1200.0mV\n");

    // Same write encoding as the TPS80031, read back through the table.
    run = board.Rigo({"-tps80032", "SMPS1", "1213"});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x12 w 55 r 20", "i2c-4 0x12 w 55 32"}));
    EXPECT_EQ(board.Rigo({"-tps80032", "SMPS1"}).out, "SMPS1         ON 1228.0mV\n");
    board.SetRegisters(4, 0x12, 0x55, {0x3A});
    EXPECT_EQ(board.Rigo({"-tps80032", "SMPS1"}).out, "SMPS1         ON 1367.4mV\n");
    board.SetRegisters(4, 0x12, 0x55, {0x3F});
    EXPECT_EQ(board.Rigo({"-tps80032", "SMPS1"}).out, "SMPS1         ON    0.0mV\n");

    run = board.Rigo({"-tps80032", "LDO5", "ON"});
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(board.Register(4, 0x48, 0x9A), 0x01);
    EXPECT_EQ(board.Rigo({"-tps80032", "nope"}).out, kValidNames);
}
