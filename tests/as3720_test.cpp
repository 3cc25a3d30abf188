#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "pmic/as3720.h"
#include "e2e.h"

namespace {

const char kReferenceList[] =
    "SD0          ON       1000.0mV\n"
    "SD1          ON       1100.0mV\n"
    "SD2          ON       1350.0mV\n"
    "SD3          ON       1800.0mV\n"
    "SD4          ON       1200.0mV\n"
    "SD5          OFF      3300.0mV\n"
    "SD6          ON        900.0mV\n"
    "LDO0         ON       1200.0mV\n"
    "LDO1         ON       1800.0mV\n"
    "LDO2         ON       1200.0mV\n"
    "LDO3         ON       1000.0mV\n"
    "LDO4         OFF      2800.0mV\n"
    "LDO5         ON       1800.0mV\n"
    "LDO6         OFF      3300.0mV\n"
    "LDO7         ON       1050.0mV\n"
    "LDO8         ON       1800.0mV\n"
    "LDO9         OFF      2850.0mV\n"
    "LDO10        ON       3300.0mV\n"
    "LDO11        OFF      1800.0mV\n";

const std::string kValidNames =
    "Valid Voltage names: \n"
    "SD0, SD1, SD2, SD3, SD4, SD5, SD6, LDO0, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, LDO10, "
    "LDO11, \n";

}  // namespace

// Codes go up to the next step between two; at or below the base they take the lowest.
// The converters' segment ends, which the reference boards do not reach.
TEST(As3720Encoding, SegmentEndsAndBetweenSteps)
{
    const std::pair<DWORD (*)(DWORD), std::vector<std::pair<DWORD, DWORD>>> codes[] = {
        {as3720_SdNomCode, {{600000, 1}, {1400000, 64}, {1400001, 65}, {2600000, 112}, {2600001, 113}}},
        {as3720_SdLowPowerCode, {{600000, 1}, {610001, 2}, {1500000, 90}}},
        {as3720_LdoCode, {{800000, 1}, {1700000, 36}, {1700001, 64}, {3300000, 127}}},
        {as3720_Ldo3Code, {{610001, 2}}},
        {as3720_Ldo0Code, {{1000001, 9}}},
    };
    for (const auto& [encode, cases] : codes)
        for (const auto& [microvolts, code] : cases)
            EXPECT_EQ(encode(microvolts), code) << microvolts;
    DWORD uv = 0;
    EXPECT_EQ(as3720_SdListVolt(14, 111, &uv), 0);
    EXPECT_EQ(uv, 2600000u);
    EXPECT_EQ(as3720_SdListVolt(14, 112, &uv), 0);
    EXPECT_EQ(uv, 2650000u);
}

TEST(As3720Command, ListsAndReadsEachEncoding)
{
    SimBoard belk("belk");
    EXPECT_EQ(belk.RigoOut({"-as3720", "list"}), kReferenceList);

    // The selector, then the enable register, on one open of the bus.
    EXPECT_EQ(belk.RigoOut({"-as3720", "sd0"}), "SD0          ON       1000.0mV\n");
    EXPECT_EQ(belk.Transfers(), (Lines{"i2c-4 0x40 w 00 r 28", "i2c-4 0x40 w 4d r 5f"}));
    EXPECT_EQ(belk.Pauses(50000), 2);
    const Lines trace = belk.Trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "open /dev/i2c-4"), 1);
    EXPECT_EQ(belk.RigoOut({"-AS3720", "4", "0x40", "LDO11"}), "LDO11        OFF      1800.0mV\n");
    EXPECT_EQ(belk.Transfers(), (Lines{"i2c-4 0x40 w 1b r 43", "i2c-4 0x40 w 4f r 05"}));

    // Code 0 reads as step 1; bit 7 is not part of the selector; the general LDOs skip
    // codes 37-63.
    belk.SetRegisters(4, 0x40, 0x00, {0x00});
    EXPECT_EQ(belk.RigoOut({"-as3720", "SD0"}), "SD0          ON        610.0mV\n");
    belk.SetRegisters(4, 0x40, 0x14, {0x00});
    EXPECT_EQ(belk.RigoOut({"-as3720", "LDO4"}), "LDO4         OFF       825.0mV\n");
    belk.SetRegisters(4, 0x40, 0x00, {0x85});
    EXPECT_EQ(belk.RigoOut({"-as3720", "SD0"}), "SD0          ON        650.0mV\n");
    belk.SetRegisters(4, 0x40, 0x11, {36});
    EXPECT_EQ(belk.RigoOut({"-as3720", "LDO1"}), "LDO1         ON       1700.0mV\n");
    belk.SetRegisters(4, 0x40, 0x11, {64});
    EXPECT_EQ(belk.RigoOut({"-as3720", "LDO1"}), "LDO1         ON       1725.0mV\n");
    belk.SetRegisters(4, 0x40, 0x02, {0x7F});
    EXPECT_EQ(belk.RigoOut({"-as3720", "SD2"}), "SD2          ON       3350.0mV\n");
    // Codes beyond the read range give no rail line.
    for (const auto& [rail, reg, code, out] : {std::tuple{"LDO0", 0x10, 19, "Selector 0x12 overflow\n"},
                                               std::tuple{"LDO3", 0x13, 120, "Selector 0x77 overflow\n"},
                                               std::tuple{"SD1", 0x01, 91, "Selector 0x5a overflow\n"}}) {
        belk.SetRegisters(4, 0x40, reg, {static_cast<uint8_t>(code)});
        EXPECT_EQ(belk.RigoOut({"-as3720", rail}),
                  std::string(out) + "Failed: Unable to set the voltage on this output!\n");
        EXPECT_EQ(belk.Transfers().size(), 1u) << rail;
    }

    for (const char* model : {"corv", "0x33"}) {
        SimBoard board(model);
        EXPECT_EQ(board.RigoOut({"-as3720", "list"}), kReferenceList) << model;
    }
    // No default on the other chips, but bus and address can be given.
    SimBoard dern("dern");
    EXPECT_EQ(dern.Rigo({"-as3720", "SD0"}), (RunResult{1, "", HelpText()}));
    dern.AddDevice(2, 0x41);
    EXPECT_EQ(dern.Rigo({"-as3720", "2", "0x41", "SD6", "900000"}).status, 0);
    EXPECT_EQ(dern.Transfers(), (Lines{"i2c-2 0x41 w 06 r 00", "i2c-2 0x41 w 06 1e"}));
}

TEST(As3720Command, SetWritesTheSelectorBitsOnlyAndPrintsNothing)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x40, 0x00, {0x85});
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0", "1000000.9"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 00 r 85", "i2c-4 0x40 w 00 a8"}));

    const struct {
        const char* rail;
        const char* typed;
        int reg;
        uint8_t code;
    } sets[] = {
        {"SD2", "1000001", 0x02, 33},  {"SD5", "3350000", 0x05, 127}, {"LDO5", "1800000", 0x15, 67},
        {"LDO0", "1250000", 0x10, 18}, {"LDO3", "1800000", 0x13, 120}, {"SD6", "1500000", 0x06, 90},
        {"SD1", "500000", 0x01, 1},
    };
    for (const auto& s : sets) {
        board.Rigo({"-as3720", "4", "0x40", s.rail, s.typed});
        EXPECT_EQ(board.Register(4, 0x40, s.reg), s.code) << s.rail << " " << s.typed;
    }
    EXPECT_EQ(board.RigoOut({"-as3720", "LDO5"}), "LDO5         ON       1800.0mV\n");

    // Too small (checked before the name) or above the rail's range: nothing is sent.
    const std::vector<uint8_t> before = board.Registers(4, 0x40, 0x00, 256);
    const std::pair<Lines, const char*> refused[] = {
        {{"SD0", "1000"}, "SetVolt(uV), 1000uV seems too small\n"},
        {{"SD7", "1212.5"}, "SetVolt(uV), 1212uV seems too small\n"},
        {{"SD0", "49999.9"}, "SetVolt(uV), 49999uV seems too small\n"},
        {{"SD0", "-1000000"}, "SetVolt(uV), 0uV seems too small\n"},
        {{"SD0", "1500001"}, "Voltage 1500001 overflow\n"},
        {{"SD3", "3350001"}, "Voltage 3350001 overflow\n"},
        {{"LDO0", "1250001"}, "Voltage 1250001 overflow\n"},
        {{"LDO3", "1800001"}, "Voltage 1800001 overflow\n"},
        {{"LDO11", "3300001"}, "Voltage 3300001 overflow\n"},
    };
    for (const auto& [args, out] : refused) {
        EXPECT_EQ(board.RigoOut({"-as3720", args[0], args[1]}), out);
        EXPECT_TRUE(board.Transfers().empty()) << args[1];
    }
    EXPECT_EQ(board.Registers(4, 0x40, 0x00, 256), before);

    // ON and OFF flip one enable bit.
    EXPECT_EQ(board.RigoOut({"-as3720", "LDO7", "OFF"}), "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 4e r af", "i2c-4 0x40 w 4e 2f"}));
    board.Rigo({"-as3720", "ldo4", "On"});
    EXPECT_EQ(board.Register(4, 0x40, 0x4E), 0x3F);
    board.Rigo({"-as3720", "4", "0x40", "SD5", "on"});
    EXPECT_EQ(board.Register(4, 0x40, 0x4D), 0x7F);
    board.Rigo({"-as3720", "LDO10", "off"});
    EXPECT_EQ(board.Register(4, 0x40, 0x4F), 0x01);
    EXPECT_EQ(board.RigoOut({"-as3720", "LDO10"}), "LDO10        OFF      3300.0mV\n");
}

TEST(As3720Command, UnknownRailsAndFailingBus)
{
    SimBoard board("belk");
    const std::pair<Lines, std::string> unknown[] = {
        {{"-as3720", "SD7"}, kValidNames + "Failed: Unable to find the PMU output [SD7].\n"},
        {{"-as3720", "4", "0x40", "list"}, kValidNames + "Failed: Unable to find the PMU output [list].\n"},
        {{"-as3720", "ldo12", "1000000"}, kValidNames + "Failed: Unable to find the PMU output [ldo12].\n"},
        {{"-as3720", "LDO12", "ON"}, kValidNames},
    };
    for (const auto& [args, out] : unknown) {
        EXPECT_EQ(board.RigoOut(args), out);
        EXPECT_TRUE(board.Transfers().empty());
    }

    board.Fault("i2c nack bus=4 addr=0x40");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "Failed: Unable to read from PMU.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    std::string all;
    for (int i = 0; i < 19; ++i)
        all += "Failed: Unable to read from PMU.\n";
    EXPECT_EQ(board.RigoOut({"-as3720", "list"}), all);
    for (const char* value : {"1000000", "OFF"})
        EXPECT_EQ(board.RigoOut({"-as3720", "SD0", value}), "");
    // Only the enable register fails: the line shows the state as ERR.
    board.SetFault("i2c nack bus=4 addr=0x40 after=1");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "SD0          ERR      1000.0mV\n");

    board.SetFault("i2c open bus=4");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0"}), "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0", "1000000"}), "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.RigoOut({"-as3720", "SD0", "ON"}), "");
    EXPECT_TRUE(board.Transfers().empty());
}
