// The regulator chips' voltage encodings at their range ends and each chip's register
// quirks end to end on simulated boards.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "e2e.h"
#include "pmic/as3720.h"
#include "pmic/ds442x.h"
#include "pmic/lp8755.h"
#include "pmic/max77660.h"
#include "pmic/max77663.h"
#include "pmic/tps51632.h"
#include "pmic/tps6236x.h"
#include "pmic/tps65911.h"
#include "pmic/tps65913.h"
#include "pmic/tps80036.h"
#include "pmic/tps8003x.h"

// Selector code to microvolts and back at every range end; 0 where the code does not read
// back or the request is above the encoding's top. Requests round up to the next step.
TEST(As3720Encoding, RangeEndsBothWays)
{
    using enum As3720Encoding;
    const std::tuple<As3720Encoding, DWORD, DWORD> reads[] = {
        {kSdLowPower, 90, 1500000}, {kSdLowPower, 91, 0}, {kSdNominal, 64, 1400000}, {kSdNominal, 65, 1425000},
        {kSdNominal, 113, 2650000}, {kLdo0, 19, 0},       {kLdo3, 91, 0},            {kLdo, 37, 1725000},
        {kLdo, 63, 2375000},        {kLdo, 64, 1725000},  {kLdo, 127, 3300000},
    };
    for (const auto& [encoding, code, microvolts] : reads) {
        DWORD read = 0;
        EXPECT_EQ(as3720_CodeToMicrovolts(encoding, code, &read), microvolts != 0) << code;
        EXPECT_EQ(read, microvolts) << code;
    }
    const std::tuple<As3720Encoding, DWORD, DWORD> sets[] = {
        {kSdLowPower, 50000, 1},    {kSdLowPower, 610001, 2},   {kSdLowPower, 1500001, 0}, {kSdNominal, 1400001, 65},
        {kSdNominal, 2600001, 113}, {kSdNominal, 3350001, 0},   {kLdo0, 1250001, 0},       {kLdo3, 1800000, 120},
        {kLdo, 1700001, 64},        {kLdo, 3300001, 0},
    };
    for (const auto& [encoding, microvolts, code] : sets) {
        DWORD written = 0;
        EXPECT_EQ(as3720_MicrovoltsToCode(encoding, microvolts, &written), code != 0) << microvolts;
        EXPECT_EQ(written, code) << microvolts;
    }
}

TEST(As3720Command, ReadsSelectorAndEnableSetsOnlyTheSelectorBits)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x40, 0x00, {0x85});  // bit 7 is not part of the selector
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "SD0          ON        650.0mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-4", "i2c-4 0x40 w 00 r 85", "i2c-4 0x40 w 4d r 5f",
                                       "close /dev/i2c-4"}));
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0", "1000000.9"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 00 r 85", "i2c-4 0x40 w 00 a8"}));
    EXPECT_EQ(board.RigoOut({"-as3720", "LDO7", "OFF"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 4e r af", "i2c-4 0x40 w 4e 2f"}));
    board.SetRegisters(4, 0x40, 0x01, {91});
    EXPECT_EQ(board.RigoOut({"-as3720", "SD1"}),
              "Selector 0x5a overflow\nFailed: Unable to set the voltage on this output!\n");
    // Too small (checked before the name) or above the rail's range: nothing is sent.
    EXPECT_EQ(board.RigoOut({"-as3720", "SD7", "49999.9"}), "SetVolt(uV), 49999uV seems too small\n");
    EXPECT_EQ(board.RigoOut({"-as3720", "LDO3", "1800001"}), "Voltage 1800001 overflow\n");
    EXPECT_TRUE(board.Transfers().empty());
    // Only the enable register fails: the state shows as ERR.
    board.Fault("i2c nack bus=4 addr=0x40 after=1");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "SD0          ERR      1000.0mV\n");
}

// Code 0 is nominal, bit 7 the direction, 127 codes reach each limit; a code reads half a
// millivolt towards its sign; the VREF rails invert the sign sense.
TEST(Ds442xEncoding, LimitAndStepModelEnds)
{
    const Ds442xLimits ddr = {1219, 1356, 1494, false};
    const Ds442xLimits vref = {480, 600, 720, true};
    EXPECT_EQ(ds442x_MillivoltsToDac(1494, ddr), 0x7Fu);
    EXPECT_EQ(ds442x_DacToMillivolts(0x80, ddr), 1355u);
    EXPECT_EQ(ds442x_MillivoltsToDac(720, vref), 0xFFu);
    EXPECT_EQ(ds442x_DacToMillivolts(0x00, vref), 599u);
    const Ds442xStep step = {50, 12.7};
    EXPECT_EQ(ds442x_StepMillivoltsToDac(60, step), 0xFFu);
    EXPECT_EQ(ds442x_StepDacToMillivolts(0x7F, step), 40u);
}

// Each board's table says which outputs trim which rail; the bus is opened per access.
TEST(Ds442xCommand, LimitModelTakesTheBoardsRails)
{
    SimBoard board("belk");
    board.SetRegisters(0, 0x10, 0xF8, {0xB4, 0xEA});
    EXPECT_EQ(board.RigoOut({"-DS4424N", "LIST", "brd03"}),
              "OUT0         1300mV\nOUT1         790mV\n[OUT2] Failed to access.\n[OUT3] Failed to access.\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "out0", "1300"}), "out0         1300mV\n");
    EXPECT_EQ(board.BusLines(), (Lines{"open /dev/i2c-0", "i2c-0 0x10 w f8 b4", "close /dev/i2c-0", "open /dev/i2c-0",
                                       "i2c-0 0x10 w f8 r b4", "close /dev/i2c-0"}));
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "OUT0", "1495"}),
              "Unsupported voltage, VDDIO_DDR support 1219 mV to 1494 mV.\n");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "OUT2", "1300"}), "Failed: Invalid voltage output name.\n");
    EXPECT_EQ(board.Transfers(), Lines{});
    board.AddDevice(4, 0x10);
    EXPECT_EQ(board.RigoOut({"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0", "600"}),
              "Unsupported voltage limits, OUT1 needs <MIN> below <MAX>.\n");
    EXPECT_EQ(board.Transfers(), Lines{});
    EXPECT_EQ(board.RigoOut({"-ds4422N", "4", "0x10", "OUT3", "480", "600", "720", "1", "700"}), "OUT3         699mV\n");
    EXPECT_EQ(board.Register(4, 0x10, 0xFB), 0xEA);
    EXPECT_EQ(board.Rigo({"-ds4422N", "list", "BRD19"}),
              (RunResult{1, "This platform does not support Maxim DS4422N+/DS4424N+ I/O.\n", ""}));
}

// Corv boards: a step per board; a board without one reads the register, then refuses;
// the explicit limit form does nothing.
TEST(Ds442xCommand, StepModelOnCorv)
{
    SimBoard board("corv");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD11", "OUT0", "45"}), "OUT0         45mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 5b", "i2c-0 0x70 w f8 r 5b"}));
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD11", "OUT0", "57"}), "Unsupported voltage, OUT0 support 44 mV to 56 mV.\n");
    EXPECT_EQ(board.RigoOut({"-ds4424n", "0", "0x70", "OUT0", "1219", "1356", "1494", "0", "1300"}), "");
    EXPECT_EQ(board.Transfers(), Lines{});
    EXPECT_EQ(board.RigoOut({"-ds4422N", "list", "BRD01"}), "Error: Unsupported platform!\nError: Unsupported platform!\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 r 5b", "i2c-0 0x70 w f9 r 00"}));
}

TEST(Lp8755Encoding, SettableRangeEndsAndReadBackBeyond)
{
    EXPECT_EQ(lp8755_CodeToMillivolts(127), 1770u);  // above what can be set
    DWORD written = 0;
    EXPECT_TRUE(lp8755_MillivoltsToCode(1669, &written));
    EXPECT_EQ(written, 116u);
    EXPECT_FALSE(lp8755_MillivoltsToCode(499, &written));
    EXPECT_FALSE(lp8755_MillivoltsToCode(1671, &written));
}

// Registers do not follow the buck numbers; the code and the enable bit share one.
TEST(Lp8755Command, SetKeepsTheEnableBitAndReadsBack)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK1", "1250"}), "BUCK1        ON         1250.000000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 05 r bc", "i2c-4 0x60 w 05 cb", "i2c-4 0x60 w 05 r cb",
                                        "i2c-4 0x60 w 05 r cb"}));
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "off"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 00 r b2", "i2c-4 0x60 w 00 32"}));
    // Only the enable read fails: the rail is listed with its voltage.
    board.Fault("i2c nack bus=4 addr=0x60 dir=read after=1 count=10");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK3"}), "BUCK3        UNKNOWN    1200.000000mV\n");
}

// Requests are checked in whole microvolts and rounded down to the step; a read shows any
// code of the field, fractions of a millivolt dropped.
TEST(Max77660Encoding, RangeEndsAndBetweenSteps)
{
    DWORD code = ~0u;
    EXPECT_FALSE(max77660_MillivoltsToCode("BUCK1", 599.999, &code));
    EXPECT_FALSE(max77660_MillivoltsToCode("BUCK1", 1500.001, &code));
    EXPECT_TRUE(max77660_MillivoltsToCode("BUCK1", 1006.249, &code));
    EXPECT_EQ(code, 64u);
    EXPECT_TRUE(max77660_MillivoltsToCode("LDO18", 3950, &code));
    EXPECT_EQ(code, 63u);
    EXPECT_EQ(max77660_CodeToMillivolts("BUCK1", 65), 1006u);   // 1006.25
    EXPECT_EQ(max77660_CodeToMillivolts("BUCK1", 255), 2193u);  // past the range
}

TEST(Max77660Command, SetsAreCheckedAgainstTheRangeAndOnSelectsSleep)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK2", "1003.1"}), "BUCK2        NORMAL     1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 47 r 50", "i2c-4 0x23 w 47 40", "i2c-4 0x23 w 47 r 40",
                                        "i2c-4 0x23 w 37 r ff"}));
    // A six-bit field keeps the register's top bits.
    board.SetRegisters(4, 0x23, 0x4C, {0xC1});
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK6", "4150"}), "BUCK6        NORMAL     4150.0mV\n");
    EXPECT_EQ(board.Register(4, 0x23, 0x4C), 0xFF);
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO7", "-5"}), "Failed: Wrong volt -5, valid range is [600, 2175]\n");
    EXPECT_TRUE(board.Transfers().empty());
    // ON selects the sleep mode; LDO6-8 share the register, untouched.
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 3f r b3", "i2c-4 0x23 w 3f b1"}));
    // The voltage answers, the mode does not.
    board.Fault("i2c nack bus=4 addr=0x23 after=1");
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1"}), "BUCK1        UNKNOWN    1000.0mV\n");
}

// The fraction of a step is dropped; below the minimum gives 0; no range check.
TEST(Max77663Encoding, OffsetsStepsAndSaturation)
{
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("SD4", 255), 3787.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("DVSSD1", 63), 1587.5);
    EXPECT_DOUBLE_EQ(max77663_CodeToMillivolts("LDO8", 63), 3950.0);
    EXPECT_EQ(max77663_MillivoltsToCode("SD0", 1006.2), 32u);
    EXPECT_EQ(max77663_MillivoltsToCode("SD1", 799.0), 0u);
    EXPECT_EQ(max77663_MillivoltsToCode("LDO2", 3949.9), 62u);
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
    EXPECT_EQ(board.RigoOut({"-max77663", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x3c w 4b r c0", "i2c-4 0x3c w 4b c0", "i2c-4 0x3c w 2d r 29",
                                        "i2c-4 0x3c w 2d e9"}));
    // DVSSD1 shares SD1's configuration and sequencer registers.
    EXPECT_EQ(board.RigoOut({"-max77663", "dvssd1", "Off"}), "");
    EXPECT_EQ(board.Register(4, 0x3c, 0x50), 0xC2);
    EXPECT_EQ(board.Register(4, 0x3c, 0x1e), 0x00);
    board.SetFault("i2c nack bus=4 addr=0x3c dir=write");
    EXPECT_EQ(board.RigoOut({"-max77663", "SD0", "1200"}), "Failed: Unable to write to the MAX77663 device.\n");
}

TEST(Tps51632Encoding, RangeEndsBothWays)
{
    DWORD value = 0;
    EXPECT_FALSE(tps51632_CodeToMillivolts(24, &value));  // codes 0-24: no voltage
    EXPECT_TRUE(tps51632_MillivoltsToCode(509, &value));
    EXPECT_EQ(value, 25u);
    EXPECT_FALSE(tps51632_MillivoltsToCode(499, &value));
    EXPECT_FALSE(tps51632_MillivoltsToCode(1521, &value));
}

TEST(Tps51632Command, ReadAndSetLeaveBit7Alone)
{
    SimBoard board("corv");
    board.SetRegisters(4, 0x43, 0x00, {0xCB});
    EXPECT_EQ(board.RigoOut({"-tps51632", "CPU", "1209"}), "");
    EXPECT_EQ(board.BusLines(),
              (Lines{"open /dev/i2c-4", "i2c-4 0x43 w 00 r cb", "i2c-4 0x43 w 00 df", "close /dev/i2c-4"}));
    board.SetRegisters(4, 0x43, 0x00, {0x99});
    EXPECT_EQ(board.RigoOut({"-tps51632", "cpu"}), "CPU              ON    500mV\n");
    board.SetRegisters(4, 0x43, 0x00, {0x18});
    EXPECT_EQ(board.Rigo({"-tps51632", "CPU"}),
              (RunResult{1, "Invalid value of register VSR (24)\n"
                            "Error: An error occurred while attempting to read the TPS51632 voltage.\n", ""}));
}

TEST(Tps6236xEncoding, RequestsAreClampedAndRoundedDownReadsTakeTheWholeByte)
{
    EXPECT_EQ(tps6236x_MillivoltsToCode(0xFFFFFFFF), 127u);
    EXPECT_EQ(tps6236x_CodeToMillivolts(0xFF), 3050u);  // bit 7, the mode bit, counts
}

// The TPS62366 has no SET2 and SET3; the TPS62365 and TPS62366 let the output settle
// 10 ms before the read-back.
TEST(Tps6236xCommand, ListAndSetPerVariant)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps62366", "list"}), "SET0         1000mV\nSET1         1100mV\n");
    EXPECT_EQ(board.RigoOut({"-tps62361", "SET1", "1255"}), "SET1         1250mV\n");
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x60 w 01 4b", "usleep 50000", "i2c-4 0x60 w 01 r 4b",
                                      "usleep 50000", "close /dev/i2c-4"}));
    EXPECT_EQ(board.RigoOut({"-tps62365", "SET0", "1200"}), "SET0         1200mV\n");
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x60 w 00 46", "usleep 50000", "usleep 10000",
                                      "i2c-4 0x60 w 00 r 46", "usleep 50000", "close /dev/i2c-4"}));
    // A failed read-back fails the set, though the write landed.
    board.Fault("i2c nack bus=4 addr=0x60 dir=read");
    EXPECT_EQ(board.Rigo({"-tps62366", "SET0", "1100"}).status, 1);
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0x3C);
}

TEST(Tps65911Encoding, SelectorsBothWaysAtTheRangeEnds)
{
    using Case = std::tuple<const char*, DWORD, DWORD>;  // rail, from, to
    const Case reads[] = {{"VIO", 3, 3300}, {"VDD1", 0, 0}, {"VDD1", 4, 612}, {"LDO5", 3, 1100}, {"LDO6", 63, 7100}};
    for (const auto& [rail, selector, millivolts] : reads)
        EXPECT_EQ(tps65911_SelectorToMillivolts(rail, selector), millivolts) << rail << " " << selector;
    const Case sets[] = {
        // VIO: the nearest level; converters from 2000 up in tenths of a millivolt; VDDCTRL 0 is off.
        {"VIO", 1650, 0}, {"VIO", 1651, 1}, {"VIO", 90000, 3}, {"VDD1", 612, 3}, {"VDD1", 613, 4},
        {"VDD2", 1999, 75}, {"VDD2", 2000, 3}, {"VDD1", 15001, 75}, {"VDDCTRL", 0, 0}, {"VDDCTRL", 1401, 67},
        {"LDO1", 999, 4}, {"LDO1", 3301, 50}, {"LDO5", 1099, 2},
    };
    for (const auto& [rail, request, selector] : sets)
        EXPECT_EQ(tps65911_RequestToSelector(rail, request), selector) << rail << " " << request;
}

// Bit 7 of a converter's operating register hands the selector over to its SR register;
// VDDCTRLSR is that register on its own, in whole millivolts. LDO fields keep their neighbours.
TEST(Tps65911Command, ConvertersFollowTheSrSelectBit)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x2d, 0x22, {0xB3, 0x34});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD1"}), "VDD1          ON 1212.5mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 22 r b3", "i2c-4 0x2d w 23 r 34", "i2c-4 0x2d w 21 r 01"}));
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDD1", "1200"}), "VDD1          ON 1200.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x2d, 0x22, 2), (std::vector<uint8_t>{0xB3, 51}));
    board.SetRegisters(4, 0x2d, 0x28, {0x34, 0xB4});
    EXPECT_EQ(board.RigoOut({"-tps65911", "VDDCTRLSR", "1213"}), "VDDCTRLSR    OFF 1212.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x29), 0x34);
    board.SetRegisters(4, 0x2d, 0x35, {0x83, 0x00, 0x82});
    EXPECT_EQ(board.RigoOut({"-tps65911", "LDO6", "1200"}), "LDO6          ON 1200.0mV\n");
    EXPECT_EQ(board.Register(4, 0x2d, 0x35), 0x13);
}

TEST(Tps65911Bypass, DrivesThePinHighThenSwitchesTheLdoOff)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "ldo7"}), "LDO7         OFF 1100.0mV\n");
    EXPECT_EQ(board.BusTrace(),
              (Lines{"open /dev/i2c-4", "i2c-4 0x20 w 07 r ff", "usleep 50000", "i2c-4 0x20 w 03 r 00", "usleep 50000",
                     "i2c-4 0x20 w 07 ef", "usleep 50000", "i2c-4 0x20 w 03 10", "usleep 50000", "usleep 1000",
                     "i2c-4 0x2d w 34 r 0d", "usleep 50000", "close /dev/i2c-4", "open /dev/i2c-4",
                     "i2c-4 0x2d w 34 0c", "usleep 50000", "close /dev/i2c-4", "open /dev/i2c-4",
                     "i2c-4 0x2d w 34 r 0c", "usleep 50000", "close /dev/i2c-4", "open /dev/i2c-4",
                     "i2c-4 0x2d w 34 r 0c", "usleep 50000", "close /dev/i2c-4"}));
    EXPECT_EQ(board.Rigo({"-tps65911", "bypass", "LDO6"}),
              (RunResult{1, "Error: Does not support bypass of LDO6.\n", ""}));
    // A failed pin write ends the bypass quietly; the LDO stays on.
    board.Fault("i2c nack bus=4 addr=0x20 dir=write after=1");
    board.SetRegisters(4, 0x2d, 0x34, {0x0D});
    EXPECT_EQ(board.RigoOut({"-tps65911", "bypass", "LDO7"}), "");
    EXPECT_EQ(board.Register(4, 0x2d, 0x34), 0x0D);
}

// Converters: 10 mV steps from 500 mV at 0x06 to 1650 mV, bit 7 doubles; LDOs: 50 mV steps
// from 900 mV to 3300 mV. Writes round down and clamp.
TEST(Tps65913Encoding, RangeEnds)
{
    EXPECT_EQ(tps65913_SmpsMillivolts(0x80), 0u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0xFF), 3300u);
    EXPECT_EQ(tps65913_SmpsVoltageRegister(509), 0x06u);
    EXPECT_EQ(tps65913_SmpsVoltageRegister(1651), 0xA6u);
    EXPECT_EQ(tps65913_SmpsVoltageRegister(0xFFFFFFFF), 0xF9u);
    EXPECT_EQ(tps65913_LdoMillivolts(63), 3300u);
    EXPECT_EQ(tps65913_LdoSelector(0xFFFFFFFF), 49u);
}

// Converters show their mode (control bits 5-4) and switch bits 1-0 with the whole voltage
// register; LDOs show bit 4, switch bit 0 and set bits 5-0. SMPS12 and SMPS123 are one rail.
TEST(Tps65913Command, FieldsOfTheSharedRegisterMap)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS8"}), "SMPS8          FORCED_PWM   1200mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x49 w 37 r 4c", "i2c-4 0x49 w 34 r 33"}));
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS123", "1820"}), "SMPS123              AUTO   1820mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x23), 0xAF);
    board.SetRegisters(4, 0x49, 0x20, {0x32});
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS12", "ON"}), "SMPS12         FORCED_PWM   1820mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x20), 0x31);
    board.SetRegisters(4, 0x49, 0x58, {0xEF, 0xD3});
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO5", "900"}), "LDO5                  OFF    900mV\n");
    EXPECT_EQ(board.RigoOut({"-tps65913", "LDO5", "OFF"}), "LDO5                  OFF    900mV\n");
    EXPECT_EQ(board.Registers(4, 0x49, 0x58, 2), (std::vector<uint8_t>{0xEE, 0xC1}));
    // Failures report their codes; an unreadable state shows UNKNOWN.
    EXPECT_EQ(board.RigoOut({"-tps65913", "0", "0x49", "LDO1", "ON"}), "Failed to turn output ON [ERR CODE: 1]\n");
    board.Fault("i2c nack bus=4 addr=0x49 dir=write");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6", "1200"}), "Failed to set voltage [ERR CODE: 4]\n");
    board.SetFault("i2c nack bus=4 addr=0x49 after=1");
    EXPECT_EQ(board.RigoOut({"-tps65913", "SMPS6"}), "SMPS6             UNKNOWN    900mV\n");
}

// Converters: 10 mV steps from 500 mV at selector 6, which the range flag (bit 7) doubles;
// below 6 the floor, above 1650 mV the slope runs on. LDOs: 50 mV steps from 900 mV to
// 3300 mV; with the halving flag the request is doubled and not clamped.
TEST(Tps80036Encoding, RangeEnds)
{
    const DWORD smpsRead[][2] = {{0x00, 0}, {0x05, 500}, {0x7F, 1710}, {0x80, 0}, {0xFF, 3420}};
    for (const auto& [reg, millivolts] : smpsRead)
        EXPECT_EQ(tps80036_SmpsMillivolts(reg), millivolts) << reg;
    const DWORD smpsWrite[][3] = {{509, 0, 6}, {510, 0, 7}, {1019, 1, 6}, {3300, 1, 121}};
    for (const auto& [millivolts, doubled, selector] : smpsWrite)
        EXPECT_EQ(tps80036_SmpsSelector(millivolts, doubled != 0), selector) << millivolts;
    EXPECT_EQ(tps80036_LdoMillivolts(0), 0u);
    EXPECT_EQ(tps80036_LdoMillivolts(0xFF), 3300u);
    const DWORD ldoWrite[][3] = {{949, 0, 1}, {950, 0, 2}, {900, 1, 19}, {3300, 1, 115}};
    for (const auto& [millivolts, halving, selector] : ldoWrite)
        EXPECT_EQ(tps80036_LdoSelector(millivolts, halving != 0), selector) << millivolts;
}

// The halving flag halves LDO4, LDO5 and LDO9 while they are on, and no other LDO.
TEST(Tps80036Command, ReadsWholeRegistersWithItsLdoExceptions)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x20, {0x33, 0x00, 0x00, 0x83});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12"}), "SMPS12       FORCE_PWM  1000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 20 r 33", "i2c-4 0x58 w 23 r 83"}));
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDOLN"}), "LDOLN        ON         1800.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 6a r 00", "i2c-4 0x58 w 62 r 11", "i2c-4 0x58 w 63 r 13"}));
    board.SetRegisters(4, 0x58, 0x5D, {0x3F});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO7"}), "LDO7         OFF        5000.0mV\n");
    board.SetRegisters(4, 0x58, 0x6A, {0x08});
    board.SetRegisters(4, 0x58, 0x54, {0x11, 0x13, 0x01, 0xD3});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO3"}), "LDO3         ON         1800.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO4"}), "LDO4         OFF        3300.0mV\n");
    board.SetRegisters(4, 0x58, 0x58, {0x11, 0x13});
    board.SetRegisters(4, 0x58, 0x60, {0x11, 0x13});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO5"}), "LDO5         ON          900.0mV\n");
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO9"}), "LDO9         ON          900.0mV\n");
    // A set doubles the LDO request and switches on; bits 7-6 stay.
    board.SetRegisters(4, 0x58, 0x56, {0x10, 0xC0});
    EXPECT_EQ(board.RigoOut({"-tps80036", "LDO4", "1800"}), "LDO4         ON         1650.0mV\n");
    EXPECT_EQ(board.Registers(4, 0x58, 0x56, 2), (std::vector<uint8_t>{0x11, 0xF7}));
}

TEST(Tps80036Command, SetChecksTheRangeWritesTheSelectorSwitchesOnAndReadsBack)
{
    SimBoard board("dern");
    board.SetRegisters(4, 0x58, 0x20, {0x20, 0x00, 0x00, 0x85});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "2000"}), "SMPS12       ECO        2000.0mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x58 w 23 r 85", "i2c-4 0x58 w 23 r 85", "i2c-4 0x58 w 23 b8",
                                        "i2c-4 0x58 w 20 r 20", "i2c-4 0x58 w 20 21", "i2c-4 0x58 w 20 r 21",
                                        "i2c-4 0x58 w 23 r b8"}));
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS12", "999"}), "Wrong volt 999, valid range is [1000, 3300]\n");
    EXPECT_EQ(board.Transfers().size(), 1u);
    // A refused selector write leaves the rail off, as the read-back shows.
    board.Fault("i2c nack bus=4 addr=0x58 dir=write");
    board.SetRegisters(4, 0x58, 0x38, {0x00});
    EXPECT_EQ(board.RigoOut({"-tps80036", "SMPS9", "1000"}), "SMPS9        OFF        2800.0mV\n");
}

// 12.5 mV converters: a line from 600 mV written up to 1300 mV, then fixed levels reached
// from bands; the 38.6 mV converter: a line from 1852 mV written up to selector 56; LDOs:
// 100 mV steps from 1000 mV written up to 3200 mV, selectors 26-31 one level. 0 is off.
TEST(Tps8003xEncoding, SelectorsAtTheRangeEndsAndTheFixedLevels)
{
    using enum Tps8003xKind;
    using Case = std::tuple<Tps8003xKind, DWORD, double>;
    const Case toSelector[] = {
        {kSmps12mV5, 612, 1},   {kSmps12mV5, 613, 2},  {kSmps12mV5, 1349, 57}, {kSmps12mV5, 1350, 58},
        {kSmps12mV5, 1999, 61}, {kSmps12mV5, ~0u, 62}, {kSmps38mV6, 1929, 3},  {kSmps38mV6, ~0u, 56},
        {kLdo100mV, 0, 1},      {kLdo100mV, 1100, 2},  {kLdo100mV, ~0u, 23},
    };
    for (const auto& [kind, in, out] : toSelector)
        EXPECT_EQ(tps8003x_Selector(kind, in), out) << static_cast<int>(kind) << " " << in;
    const Case tps80031[] = {
        {kSmps12mV5, 0, 0},     {kSmps12mV5, 50, 1212.5}, {kSmps12mV5, 62, 2100}, {kSmps12mV5, 63, 1375},
        {kSmps38mV6, 58, 2084.6}, {kLdo100mV, 25, 3400},  {kLdo100mV, 31, 2750},  {kLdo100mV, 63, 7200},
    };
    for (const auto& [kind, in, out] : tps80031)
        EXPECT_DOUBLE_EQ(tps80031_ShownMillivolts(kind, in), out) << static_cast<int>(kind) << " " << in;
    // The TPS80032 reads its 12.5 mV converters from its own table; the other kinds as the TPS80031.
    const Case tps80032[] = {
        {kSmps12mV5, 0, 0},      {kSmps12mV5, 1, 607.7},  {kSmps12mV5, 32, 1000.2}, {kSmps12mV5, 57, 1316.7},
        {kSmps12mV5, 58, 1367.4}, {kSmps12mV5, 62, 2127},  {kSmps12mV5, 63, 0},     {kLdo100mV, 31, 2750},
    };
    for (const auto& [kind, in, out] : tps80032)
        EXPECT_DOUBLE_EQ(tps80032_ShownMillivolts(kind, in), out) << static_cast<int>(kind) << " " << in;
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
    EXPECT_EQ(board.RigoOut({"-tps80031", "SMPS1", "OFF"}), "");
    EXPECT_EQ(board.Register(4, 0x12, 0x55), 0xF2);
    EXPECT_EQ(board.Register(4, 0x48, 0x54), 0xFC);
    // A failed access reads as 0 and is not reported.
    board.Fault("i2c nack bus=4 addr=0x12");
    EXPECT_EQ(board.RigoOut({"-tps80031", "VIO"}), "VIO           ON    0.0mV\n");

    // The TPS80032 reads its 12.5 mV converters from a table of its own.
    SimBoard tps80032("0x33:1");
    EXPECT_EQ(tps80032.RigoOut({"-tps80032", "SMPS1", "1213"}), "");
    EXPECT_EQ(tps80032.Transfers(), (Lines{"i2c-4 0x12 w 55 r 20", "i2c-4 0x12 w 55 32"}));
    EXPECT_EQ(tps80032.RigoOut({"-tps80032", "SMPS1"}), "SMPS1         ON 1228.0mV\n");
}
