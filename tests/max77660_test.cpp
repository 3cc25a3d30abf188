#include <gtest/gtest.h>

#include "e2e.h"
#include "pmic/max77660.h"

// Requests are checked in whole microvolts and rounded down to the step; a read shows any
// code of the field, fractions of a millivolt dropped.
TEST(Max77660Encoding, RangeEndsAndBetweenSteps)
{
    const struct {
        const char* rail;
        double millivolts;
        DWORD code;  // ~0u: refused
    } sets[] = {
        {"BUCK1", 599.999, ~0u}, {"BUCK1", 600, 0},     {"BUCK1", 1006.249, 64}, {"BUCK1", 1006.25, 65},
        {"BUCK1", 1500, 144},    {"BUCK1", 1500.001, ~0u}, {"BUCK3", 3787.5, 255}, {"BUCK6", 999, ~0u},
        {"BUCK7", 4150, 63},     {"LDO1", 2175, 63},    {"LDO2", 799, ~0u},      {"LDO18", 3950, 63},
        {"LDO8", -5, ~0u},       {"LDO8", 1e12, ~0u},
    };
    for (const auto& s : sets) {
        DWORD code = ~0u;
        EXPECT_EQ(max77660_MillivoltsToCode(s.rail, s.millivolts, &code), s.code != ~0u) << s.rail << " " << s.millivolts;
        EXPECT_EQ(code, s.code) << s.rail << " " << s.millivolts;
    }
    EXPECT_EQ(max77660_CodeToMillivolts("BUCK1", 65), 1006u);  // 1006.25
    EXPECT_EQ(max77660_CodeToMillivolts("BUCK1", 255), 2193u);  // past the range
    EXPECT_EQ(max77660_CodeToMillivolts("BUCK6", 0), 1000u);
    EXPECT_EQ(max77660_CodeToMillivolts("LDO7", 63), 2175u);
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

    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1", "599.9"}), "Failed: Wrong volt 599, valid range is [600, 1500]\n");
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO7", "-5"}), "Failed: Wrong volt -5, valid range is [600, 2175]\n");
    EXPECT_TRUE(board.Transfers().empty());

    // ON selects the sleep mode; LDO6-8 share the register, untouched.
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO5", "ON"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x23 w 3f r b3", "i2c-4 0x23 w 3f b1"}));
    EXPECT_EQ(board.RigoOut({"-max77660", "LDO5"}), "LDO5         SLEEP      1800.0mV\n");
    EXPECT_EQ(board.RigoOut({"-max77660", "ldo5", "off"}), "");
    EXPECT_EQ(board.Register(4, 0x23, 0x3F), 0xB0);

    // The voltage answers, the mode does not.
    board.SetFault("i2c nack bus=4 addr=0x23 after=1");
    EXPECT_EQ(board.RigoOut({"-max77660", "BUCK1"}), "BUCK1        UNKNOWN    1000.0mV\n");
}
