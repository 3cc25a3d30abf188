#include <gtest/gtest.h>

#include <tuple>

#include "e2e.h"
#include "pmic/as3720.h"

namespace {

using enum As3720Encoding;

}  // namespace

// Selector code to microvolts at every range end; 0 where the code does not read back.
TEST(As3720Encoding, CodesReadAtTheRangeEnds)
{
    const std::tuple<As3720Encoding, DWORD, DWORD> cases[] = {
        {kSdLowPower, 0, 610000},   {kSdLowPower, 90, 1500000}, {kSdLowPower, 91, 0},
        {kSdNominal, 1, 612500},    {kSdNominal, 64, 1400000},  {kSdNominal, 65, 1425000},
        {kSdNominal, 112, 2600000}, {kSdNominal, 113, 2650000}, {kSdNominal, 127, 3350000},
        {kLdo0, 1, 825000},         {kLdo0, 18, 1250000},       {kLdo0, 19, 0},
        {kLdo3, 90, 1500000},       {kLdo3, 91, 0},             {kLdo, 0, 825000},
        {kLdo, 36, 1700000},        {kLdo, 37, 1725000},        {kLdo, 63, 2375000},
        {kLdo, 64, 1725000},        {kLdo, 127, 3300000},
    };
    for (const auto& [encoding, code, microvolts] : cases) {
        DWORD read = 0;
        EXPECT_EQ(as3720_CodeToMicrovolts(encoding, code, &read), microvolts != 0) << code;
        EXPECT_EQ(read, microvolts) << code;
    }
}

// Requests go up to the next step; at or below the lowest step they take code 1; 0 where
// the request is above the encoding's top.
TEST(As3720Encoding, RequestsRoundUpToTheNextStep)
{
    const std::tuple<As3720Encoding, DWORD, DWORD> cases[] = {
        {kSdLowPower, 50000, 1},    {kSdLowPower, 610001, 2},   {kSdLowPower, 1500000, 90},
        {kSdLowPower, 1500001, 0},  {kSdNominal, 600000, 1},    {kSdNominal, 1400000, 64},
        {kSdNominal, 1400001, 65},  {kSdNominal, 2600000, 112}, {kSdNominal, 2600001, 113},
        {kSdNominal, 3350000, 127}, {kSdNominal, 3350001, 0},   {kLdo0, 1000001, 9},
        {kLdo0, 1250000, 18},       {kLdo0, 1250001, 0},        {kLdo3, 1800000, 120},
        {kLdo3, 1800001, 0},        {kLdo, 800000, 1},          {kLdo, 1700000, 36},
        {kLdo, 1700001, 64},        {kLdo, 3300000, 127},       {kLdo, 3300001, 0},
    };
    for (const auto& [encoding, microvolts, code] : cases) {
        DWORD written = 0;
        EXPECT_EQ(as3720_MicrovoltsToCode(encoding, microvolts, &written), code != 0) << microvolts;
        EXPECT_EQ(written, code) << microvolts;
    }
}

TEST(As3720Command, ReadShowsSelectorAndEnableOnOneOpen)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x40, 0x00, {0x85});  // bit 7 is not part of the selector
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "SD0          ON        650.0mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-4", "i2c-4 0x40 w 00 r 85", "i2c-4 0x40 w 4d r 5f",
                                       "close /dev/i2c-4"}));
    board.SetRegisters(4, 0x40, 0x01, {91});
    EXPECT_EQ(board.RigoOut({"-as3720", "SD1"}),
              "Selector 0x5a overflow\nFailed: Unable to set the voltage on this output!\n");
    // Only the enable register fails: the state shows as ERR.
    board.Fault("i2c nack bus=4 addr=0x40 after=1");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "SD0          ERR       650.0mV\n");
}

TEST(As3720Command, SetWritesOnlyTheSelectorBits)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x40, 0x00, {0x85});
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0", "1000000.9"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 00 r 85", "i2c-4 0x40 w 00 a8"}));
    EXPECT_EQ(board.RigoOut({"-as3720", "LDO7", "OFF"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 4e r af", "i2c-4 0x40 w 4e 2f"}));

    // Too small (checked before the name) or above the rail's range: nothing is sent.
    for (const auto& [rail, typed, out] : {std::tuple{"SD7", "49999.9", "SetVolt(uV), 49999uV seems too small\n"},
                                           std::tuple{"SD0", "-1", "SetVolt(uV), 0uV seems too small\n"},
                                           std::tuple{"LDO3", "1800001", "Voltage 1800001 overflow\n"}}) {
        EXPECT_EQ(board.RigoOut({"-as3720", rail, typed}), out);
        EXPECT_TRUE(board.Transfers().empty()) << typed;
    }
}
