#include <gtest/gtest.h>

#include <utility>

#include "e2e.h"
#include "pmic/lp8755.h"

TEST(Lp8755Encoding, SettableRangeEndsAndReadBackBeyond)
{
    EXPECT_EQ(lp8755_CodeToMillivolts(0), 500u);
    EXPECT_EQ(lp8755_CodeToMillivolts(117), 1670u);
    EXPECT_EQ(lp8755_CodeToMillivolts(127), 1770u);  // above what can be set
    for (const auto& [millivolts, code] : {std::pair{500u, 0u}, std::pair{509u, 0u}, std::pair{1669u, 116u},
                                           std::pair{1670u, 117u}}) {
        DWORD written = 0;
        EXPECT_TRUE(lp8755_MillivoltsToCode(millivolts, &written)) << millivolts;
        EXPECT_EQ(written, code) << millivolts;
    }
    DWORD written = 0;
    EXPECT_FALSE(lp8755_MillivoltsToCode(499, &written));
    EXPECT_FALSE(lp8755_MillivoltsToCode(1671, &written));
}

// Registers do not follow the buck numbers; the code and the enable bit share one, read twice.
TEST(Lp8755Command, ReadsTheControlRegisterTwice)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-lp8755", "buck3"}), "BUCK3        ON         1200.000000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 01 r c6", "i2c-4 0x60 w 01 r c6"}));
    // Only the enable read fails: the rail is listed with its voltage.
    board.Fault("i2c nack bus=4 addr=0x60 dir=read after=1 count=10");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0"}), "BUCK0        UNKNOWN    1000.000000mV\n");
}

TEST(Lp8755Command, SetKeepsTheEnableBitAndReadsBack)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK1", "1250"}), "BUCK1        ON         1250.000000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 05 r bc", "i2c-4 0x60 w 05 cb", "i2c-4 0x60 w 05 r cb",
                                        "i2c-4 0x60 w 05 r cb"}));
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "1671"}), "Failed: Wrong volt 1671, valid range is [500, 1670]\n");
    EXPECT_TRUE(board.Transfers().empty());

    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "off"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 00 r b2", "i2c-4 0x60 w 00 32"}));
    board.Fault("i2c open bus=4");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "1000"}), "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "ON"}), "Failed: Unable to access the PMU!\n");
}
