#include <gtest/gtest.h>

#include "e2e.h"
#include "pmic/tps8003x.h"

namespace {

using enum Tps8003xKind;

struct Case {
    Tps8003xKind kind;
    DWORD in;
    double out;
};

}  // namespace

// 12.5 mV converters: a line from 600 mV written up to 1300 mV, then fixed levels reached
// from bands; the 38.6 mV converter: a line from 1852 mV written up to selector 56; LDOs:
// 100 mV steps from 1000 mV written up to 3200 mV. Selector 0 is off.
TEST(Tps8003xEncoding, SelectorsAtTheRangeEndsAndTheFixedLevels)
{
    const Case toSelector[] = {
        {kSmps12mV5, 0, 0},     {kSmps12mV5, 612, 1},   {kSmps12mV5, 613, 2},   {kSmps12mV5, 1349, 57},
        {kSmps12mV5, 1350, 58}, {kSmps12mV5, 1399, 58}, {kSmps12mV5, 1400, 59}, {kSmps12mV5, 1649, 59},
        {kSmps12mV5, 1650, 60}, {kSmps12mV5, 1849, 60}, {kSmps12mV5, 1850, 61}, {kSmps12mV5, 1999, 61},
        {kSmps12mV5, 2000, 62}, {kSmps12mV5, ~0u, 62},  {kSmps38mV6, 0, 0},     {kSmps38mV6, 1928, 2},
        {kSmps38mV6, 1929, 3},  {kSmps38mV6, 3975, 56}, {kSmps38mV6, ~0u, 56},  {kLdo100mV, 0, 1},
        {kLdo100mV, 1099, 1},   {kLdo100mV, 1100, 2},   {kLdo100mV, 3200, 23},  {kLdo100mV, ~0u, 23},
    };
    for (const Case& c : toSelector)
        EXPECT_EQ(tps8003x_Selector(c.kind, c.in), c.out) << static_cast<int>(c.kind) << " at " << c.in << " mV";
    // Whole millivolts, off the step grid shown with the step's fraction; LDO selectors
    // 26-31 are one level.
    const Case tps80031[] = {
        {kSmps12mV5, 0, 0},      {kSmps12mV5, 1, 600},    {kSmps12mV5, 50, 1212.5}, {kSmps12mV5, 57, 1300},
        {kSmps12mV5, 58, 1350},  {kSmps12mV5, 62, 2100},  {kSmps12mV5, 63, 1375},   {kSmps38mV6, 1, 1852.6},
        {kSmps38mV6, 57, 4013.6}, {kSmps38mV6, 58, 2084.6}, {kSmps38mV6, 63, 4245.6}, {kLdo100mV, 0, 0},
        {kLdo100mV, 1, 1000},    {kLdo100mV, 25, 3400},   {kLdo100mV, 26, 2750},    {kLdo100mV, 31, 2750},
        {kLdo100mV, 32, 4100},   {kLdo100mV, 63, 7200},
    };
    for (const Case& c : tps80031)
        EXPECT_DOUBLE_EQ(tps80031_ShownMillivolts(c.kind, c.in), c.out) << static_cast<int>(c.kind) << " " << c.in;
    // The TPS80032 reads its 12.5 mV converters from a table of its own.
    const Case tps80032[] = {{kSmps12mV5, 0, 0},      {kSmps12mV5, 1, 607.7},  {kSmps12mV5, 57, 1316.7},
                             {kSmps12mV5, 62, 2127},  {kSmps12mV5, 63, 0},     {kSmps38mV6, 26, 2817.6},
                             {kLdo100mV, 23, 3200}};
    for (const Case& c : tps80032)
        EXPECT_DOUBLE_EQ(tps80032_ShownMillivolts(c.kind, c.in), c.out) << static_cast<int>(c.kind) << " " << c.in;
}

// Each rail's registers sit at its own device address; the given one only has to be set.
TEST(Tps8003xCommand, RailsOnTwoDevicesWithTheirFields)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x12, 0x55, {0xFA});
    board.SetRegisters(4, 0x48, 0x54, {0xFE});
    EXPECT_EQ(board.RigoOut({"-tps80031", "4", "0x2d", "smps1"}), "SMPS1         ON 1350.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x12 w 55 r fa", "i2c-4 0x48 w 54 r fe"}));

    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1", "1213"}), "");
    EXPECT_EQ(board.Register(4, 0x12, 0x55), 0xF2);
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1", "OFF"}), "");
    EXPECT_EQ(board.Register(4, 0x48, 0x54), 0xFC);
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1"}), "SMPS1        OFF 1212.5mV\n");

    // A failed access reads as 0 and is not reported; bus 0 is not even opened.
    board.Fault("i2c nack bus=4 addr=0x12");
    EXPECT_EQ(board.RigoOut({"-tps80031", "VIO"}), "VIO           ON    0.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80031", "VIO", "1500"}), "");
    board.ClearFaults();
    EXPECT_EQ(board.RigoOut({"-tps80031", "0", "0x48", "LDO7", "ON"}), "");
    EXPECT_TRUE(board.BusLines().empty());
}

TEST(Tps8003xCommand, Tps80032ReadsItsConvertersThroughItsOwnTable)
{
    SimBoard board("0x33:1");
    EXPECT_EQ(board.RigoOut({"-tps80032", "SMPS1", "1213"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x12 w 55 r 20", "i2c-4 0x12 w 55 32"}));
    EXPECT_EQ(board.RigoOut({"-tps80032", "SMPS1"}), "SMPS1         ON 1228.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80032", "SMPS4"}), "SMPS4         ON 2817.6mV\n");
}
