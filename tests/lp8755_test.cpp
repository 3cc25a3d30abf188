#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"

namespace {

const std::string kValidNames = "Valid Voltage names: \nBUCK0, BUCK1, BUCK2, BUCK3, BUCK4, BUCK5, \n";

}  // namespace

TEST(Lp8755Command, ListsAndReadsPerChip)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-lp8755", "list"}),
              "BUCK0        ON         1000.000000mV\n"
              "BUCK1        ON         1100.000000mV\n"
              "BUCK2        OFF        900.000000mV\n"
              "BUCK3        ON         1200.000000mV\n"
              "BUCK4        OFF        1000.000000mV\n"
              "BUCK5        OFF        1000.000000mV\n");

    // Registers do not follow the buck numbers: buck3 is register 0x01.
    EXPECT_EQ(board.RigoOut({"-lp8755", "buck3"}), "BUCK3        ON         1200.000000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 01 r c6", "i2c-4 0x60 w 01 r c6"}));
    EXPECT_EQ(board.Pauses(50000), 2);
    // Codes above the settable range still decode.
    board.SetRegisters(4, 0x60, 0x02, {0x78});
    EXPECT_EQ(board.RigoOut({"-LP8755", "4", "0x60", "BUCK5"}), "BUCK5        OFF        1700.000000mV\n");

    // Unknown rails list the names; with bus and address given, "list" is just a name.
    const std::pair<Lines, std::string> unknown[] = {
        {{"-lp8755", "BUCK9"}, "Failed: Unable to find the PMU output [BUCK9].\n"},
        {{"-lp8755", "buck9", "1000"}, "Failed: Unable to find the PMU output [buck9].\n"},
        {{"-lp8755", "BUCK9", "ON"}, "Failed: Unable to find the PMU output!\n"},
        {{"-lp8755", "4", "0x60", "list"}, "Failed: Unable to find the PMU output [list].\n"},
    };
    for (const auto& [args, failure] : unknown) {
        EXPECT_EQ(board.RigoOut(args), kValidNames + failure);
        EXPECT_TRUE(board.Transfers().empty());
    }

    // Defaults on Corv and Dern only; elsewhere bus and address must be given.
    SimBoard belk("belk");
    for (const Lines& args :
         {Lines{"-lp8755", "list"}, Lines{"-lp8755", "BUCK0"}, Lines{"-lp8755", "4", "0", "BUCK0"}}) {
        EXPECT_EQ(belk.Rigo(args), (RunResult{1, "", HelpText()}));
    }
    belk.SetRegisters(2, 0x61, 0x00, {0x80});
    EXPECT_TRUE(belk.RigoOut({"-lp8755", "list", "2", "0x61"}).starts_with("BUCK0        ON         500.000000mV\n"));
    SimBoard corv("0x13");
    EXPECT_EQ(corv.RigoOut({"-lp8755", "BUCK0"}), "BUCK0        ON         1000.000000mV\n");
}

TEST(Lp8755Command, SetWritesTheCodeKeepsTheEnableAndReadsBack)
{
    SimBoard board("dern");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK1", "1250"}), "BUCK1        ON         1250.000000mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 05 r bc", "i2c-4 0x60 w 05 cb", "i2c-4 0x60 w 05 r cb",
                                        "i2c-4 0x60 w 05 r cb"}));

    // The typed value is truncated to whole millivolts, the code rounds down; range ends.
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK2", "1669.9"}), "BUCK2        OFF        1660.000000mV\n");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK4", "1670"}), "BUCK4        OFF        1670.000000mV\n");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "509"}), "BUCK0        ON         500.000000mV\n");
    EXPECT_EQ(board.Registers(4, 0x60, 0x00, 6), (std::vector<uint8_t>{0x80, 0xC6, 0x32, 0x75, 0x74, 0xCB}));

    for (const auto& [typed, shown] : {std::pair{"1671", "1671"}, std::pair{"499", "499"}, std::pair{"abc", "0"},
                                       std::pair{"-5", "0"}}) {
        EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", typed}),
                  "Failed: Wrong volt " + std::string(shown) + ", valid range is [500, 1670]\n");
        EXPECT_TRUE(board.Transfers().empty()) << typed;
    }

    // ON and OFF rewrite only the enable bit and print nothing.
    for (const char* word : {"on", "ON", "On"}) {
        board.SetRegisters(4, 0x60, 0x04, {0x28});
        EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK2", word}), "");
        EXPECT_EQ(board.Register(4, 0x60, 0x04), 0xA8) << word;
    }
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "off"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x60 w 00 r 80", "i2c-4 0x60 w 00 00"}));
}

TEST(Lp8755Command, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    SimBoard board("dern");
    board.Fault("i2c nack bus=4 addr=0x60");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0"}), "Failed: Unable to read from the LP8755 device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    for (const char* value : {"1200", "OFF"})
        EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", value}), "Failed: Unable to write to the LP8755 device.\n");

    // Only the enable read fails: the rail is listed with its voltage.
    board.SetFault("i2c nack bus=4 addr=0x60 dir=read after=1 count=10");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0"}), "BUCK0        UNKNOWN    1000.000000mV\n");
    // The write itself fails after a good read.
    board.SetFault("i2c nack bus=4 addr=0x60 dir=write");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "1200"}), "Failed: Unable to write to the LP8755 device.\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0xB2);

    board.SetFault("i2c open bus=4");
    std::string expected;
    for (int i = 0; i < 6; ++i)
        expected += "Failed: Unable to open I2C device.\n";
    EXPECT_EQ(board.RigoOut({"-lp8755", "list"}), expected);
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "1000"}), "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.RigoOut({"-lp8755", "BUCK0", "OFF"}), "Failed: Unable to access the PMU!\n");
    EXPECT_EQ(board.Register(4, 0x60, 0x00), 0xB2);
}
