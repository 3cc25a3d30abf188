#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/tps80032.h"

namespace {

const std::string kValidNames =
    "Valid Voltage names: \n"
    "SMPS1, SMPS2, SMPS3, SMPS4, VIO, VANA, LDOLN, LDOUSB, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, \n";

struct Case {
    DWORD type;
    DWORD in;
    DWORD out;
};

}  // namespace

TEST(Tps8003xEncoding, SelectorsAtTheRangeEndsBetweenStepsAndAtTheFixedLevels)
{
    const DWORD smps = kTpsSmps12mV5, ldo = kTpsLdo100mV, smps4 = kTpsSmps38mV6;
    // 12.5 mV converters: the lower step between two; the fixed levels above 1300 mV are
    // reached from bands around them.
    const Case toSelector[] = {
        {smps, 0, 0},      {smps, 1, 1},      {smps, 612, 1},    {smps, 613, 2},    {smps, 1212, 49},
        {smps, 1213, 50},  {smps, 1349, 57},  {smps, 1350, 58},  {smps, 1399, 58},  {smps, 1400, 59},
        {smps, 1649, 59},  {smps, 1650, 60},  {smps, 1849, 60},  {smps, 1850, 61},  {smps, 1999, 61},
        {smps, 2000, 62},  {smps, ~0u, 62},   {ldo, 0, 1},       {ldo, 1099, 1},    {ldo, 1100, 2},
        {ldo, 3199, 22},   {ldo, 3200, 23},   {ldo, 3300, 23},   {smps4, 0, 0},     {smps4, 1000, 1},
        {smps4, 1860, 1},  {smps4, 1891, 2},  {smps4, 3999, 56}, {smps4, ~0u, 56},
    };
    for (const Case& c : toSelector)
        EXPECT_EQ(tps8003x_MillivoltsToSelector(c.type, c.in), c.out) << c.type << " at " << c.in << " mV";
    const Case toMillivolts[] = {
        {smps, 0, 0},      {smps, 1, 600},    {smps, 50, 1212},  {smps, 57, 1300},  {smps, 58, 1350},
        {smps, 59, 1500},  {smps, 60, 1800},  {smps, 61, 1900},  {smps, 62, 2100},  {smps, 63, 1375},
        {smps4, 0, 0},     {smps4, 57, 4013}, {smps4, 58, 2084}, {smps4, 62, 3241}, {smps4, 63, 4245},
        {ldo, 0, 0},       {ldo, 1, 1000},    {ldo, 25, 3400},   {ldo, 26, 2750},   {ldo, 31, 2750},
        {ldo, 32, 4100},   {ldo, 63, 7200},
    };
    for (const Case& c : toMillivolts)
        EXPECT_EQ(tps8003x_SelectorToMillivolts(c.type, c.in), c.out) << c.type << " selector " << c.in;
    // The TPS80032 reads its 12.5 mV converters from a table, in tenths of a millivolt.
    const Case tps80032[] = {{smps, 0, 0},      {smps, 1, 6077},   {smps, 57, 13167}, {smps, 62, 21270},
                             {smps, 63, 0},     {smps4, 26, 2817}, {ldo, 23, 3200}};
    for (const Case& c : tps80032)
        EXPECT_EQ(tps80032_SelectorToVolt(c.type, c.in), c.out) << c.type << " selector " << c.in;
}

TEST(Tps80031Command, ListsAndReadsFromTheRailsDevices)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps80031", "list"}),
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

    // The given address only has to be non-zero: the rail's own devices are read.
    board.SetRegisters(4, 0x12, 0x55, {0xFA});
    EXPECT_EQ(board.RigoOut({"-tps80031", "4", "0x2d", "smps1"}), "SMPS1         ON 1350.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x12 w 55 r fa", "i2c-4 0x48 w 54 r e1"}));
    // Off the step grid the step's fraction is shown.
    board.SetRegisters(4, 0x48, 0x54, {0xFC});
    board.SetRegisters(4, 0x12, 0x55, {0x32});
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1"}), "SMPS1        OFF 1212.5mV\n");
    board.SetRegisters(4, 0x48, 0x44, {0x01});
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS4"}), "SMPS4         ON 1852.6mV\n");

    // LIST in any case, and on a SoC without a default once bus and address are given.
    SimBoard avin("avin");
    avin.SetRegisters(4, 0x12, 0x55, {0x31});
    avin.SetRegisters(4, 0x48, 0x54, {0x01});
    EXPECT_TRUE(avin.RigoOut({"-TPS80031", "LIST", "4", "0x48"})
                    .starts_with("SMPS1         ON 1200.0mV\nSMPS2        OFF    0.0mV\n"));
    for (const char* command : {"-tps80031", "-tps80032"})
        for (const char* word : {"list", "SMPS1"})
            EXPECT_EQ(avin.Rigo({command, word}).err, HelpText()) << command << " " << word;
}

TEST(Tps80031Command, SetsTheSelectorAndSwitchesKeepingTheOtherBits)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x12, 0x55, {0xC0});
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1", "1212"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x12 w 55 r c0", "i2c-4 0x12 w 55 f1"}));
    EXPECT_EQ(board.Pauses(50000), 2);

    // Values are whole decimal millivolts (a fraction or a hex prefix is dropped, a sign
    // wraps), clamped to the rail's range; each rail's voltage register on its own device.
    const struct {
        const char* rail;
        const char* value;
        int device;
        int reg;
        uint8_t selector;
    } cases[] = {
        {"SMPS1", "1213", 0x12, 0x55, 50},   {"SMPS1", "1212.5", 0x12, 0x55, 49}, {"SMPS1", "0x4B0", 0x12, 0x55, 0},
        {"SMPS2", "-5", 0x12, 0x5B, 62},     {"VIO", "300", 0x12, 0x49, 1},       {"SMPS3", "1350", 0x48, 0x68, 58},
        {"LDO5", "3300", 0x48, 0x9B, 23},    {"SMPS4", "4500", 0x48, 0x44, 56},
    };
    for (const auto& c : cases) {
        board.SetRegisters(4, c.device, c.reg, {0x40});
        EXPECT_EQ(board.RigoOut({"-tps80031", c.rail, c.value}), "") << c.rail << " " << c.value;
        EXPECT_EQ(board.Register(4, c.device, c.reg), 0x40 | c.selector) << c.rail << " " << c.value;
    }
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS4"}), "SMPS4         ON 3975.6mV\n");

    board.SetRegisters(4, 0x48, 0xA6, {0xE2});
    EXPECT_EQ(board.RigoOut({"-tps80031", "LDO7", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x48 w a6 r e2", "i2c-4 0x48 w a6 e1"}));
    EXPECT_EQ(board.Register(4, 0x48, 0xA7), 0x03);
    EXPECT_EQ(board.RigoOut({"-tps80031", "4", "0x48", "ldo2", "off"}), "");
    EXPECT_EQ(board.Register(4, 0x48, 0x86), 0xE0);
    EXPECT_EQ(board.RigoOut({"-tps80031", "LDO2"}), "LDO2         OFF 3300.0mV\n");
}

TEST(Tps80031Command, UnknownRailsAndUsageErrors)
{
    SimBoard board("belk");
    for (const Lines& args : {Lines{"-tps80031", "SMPS5", "1200"}, Lines{"-tps80031", "4", "0x48", "list"}}) {
        EXPECT_EQ(board.RigoOut(args), kValidNames);
        EXPECT_TRUE(board.Transfers().empty()) << args.back();
    }
    for (const Lines& args : {Lines{"-tps80031"}, Lines{"-tps80031", "list", "4"},
                              Lines{"-tps80031", "4", "0", "SMPS1"}, Lines{"-tps80032"}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));
    }
}

TEST(Tps80031Command, FailedAccessesReadAsZeroAndAreNotReported)
{
    SimBoard board("belk");
    board.Fault("i2c nack bus=4 addr=0x12");
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1"}), "SMPS1         ON    0.0mV\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.Pauses(50000), 1);

    // A refused write leaves the register as it was and prints nothing.
    board.SetFault("i2c nack bus=4 addr=0x48 dir=write");
    EXPECT_EQ(board.RigoOut({"-tps80031", "LDO7", "ON"}), "");
    EXPECT_EQ(board.Register(4, 0x48, 0xA6), 0x00);

    // A bus that cannot be opened: every rail reads off at 0 mV.
    board.SetFault("i2c open bus=4");
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1"}), "SMPS1        OFF    0.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1", "1500"}), "");
    EXPECT_EQ(board.Register(4, 0x12, 0x55), 0x21);
    EXPECT_TRUE(board.Transfers().empty());

    // Bus 0 counts as not set: no bus node is even opened.
    board.ClearFaults();
    EXPECT_EQ(board.RigoOut({"-tps80031", "0", "0x48", "SMPS1"}), "SMPS1        OFF    0.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80031", "0", "0x48", "LDO7", "ON"}), "");
    EXPECT_EQ(board.Trace().size(), 4u);  // the chip ID read only
}

TEST(Tps80032Command, ReadsItsConvertersThroughItsOwnTable)
{
    SimBoard board("0x33:1");
    EXPECT_EQ(board.RigoOut({"-tps80032", "list"}),
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
    EXPECT_EQ(board.RigoOut({"-tps80032", "SMPS1", "1213"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x12 w 55 r 20", "i2c-4 0x12 w 55 32"}));
    EXPECT_EQ(board.RigoOut({"-tps80032", "SMPS1"}), "SMPS1         ON 1228.0mV\n");
    board.SetRegisters(4, 0x12, 0x55, {0x3F});
    EXPECT_EQ(board.RigoOut({"-tps80032", "SMPS1"}), "SMPS1         ON    0.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80032", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Register(4, 0x48, 0x9A), 0x01);
    EXPECT_EQ(board.RigoOut({"-tps80032", "nope"}), kValidNames);
}
