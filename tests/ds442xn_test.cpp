#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e.h"
#include "main.h"
#include "maxDS442Xn.h"

namespace {

using Lines = std::vector<std::string>;

const char kValidNames[] = "Valid Voltage names: \nOUT0, OUT1, OUT2, OUT3, \n";
const char kNoPlatform[] = "This platform does not support Maxim DS4422N+/DS4424N+ I/O.\n";

// BRD01 and its siblings: OUT0 trims VDDIO_DDR.
DWORD Brd01Dac(DWORD mv)
{
    return ds442Xn_MillivoltsToDac(mv, 1219, 1356, 1494, 0);
}

DWORD Brd01Mv(DWORD dac)
{
    return ds442Xn_DacToMillivolts(dac, 1219, 1356, 1494, 0);
}

}  // namespace

TEST(Ds442xnEncoding, LimitModelCodesAndReadBack)
{
    EXPECT_EQ(Brd01Dac(1300), 0xB4u);
    EXPECT_EQ(Brd01Mv(0xB4), 1300u);
    EXPECT_EQ(Brd01Dac(1400), 0x28u);
    EXPECT_EQ(Brd01Mv(0x28), 1398u);
    // Range ends: the magnitude is clamped to 127 codes.
    EXPECT_EQ(Brd01Dac(1494), 0x7Fu);
    EXPECT_EQ(Brd01Mv(0x7F), 1492u);
    EXPECT_EQ(Brd01Dac(1219), 0xFFu);
    EXPECT_EQ(Brd01Mv(0xFF), 1219u);
    // Nominal sits at code 0; a negative zero reads half a millivolt lower.
    EXPECT_EQ(Brd01Dac(1356), 0x00u);
    EXPECT_EQ(Brd01Mv(0x00), 1356u);
    EXPECT_EQ(Brd01Mv(0x80), 1355u);
    EXPECT_EQ(Brd01Dac(1355), 0x80u);

    // Inverted sign sense (VDDIO_VREF).
    EXPECT_EQ(ds442Xn_MillivoltsToDac(700, 480, 600, 720, 1), 0xEAu);
    EXPECT_EQ(ds442Xn_DacToMillivolts(0xEA, 480, 600, 720, 1), 699u);
    EXPECT_EQ(ds442Xn_DacToMillivolts(0x00, 480, 600, 720, 1), 599u);
    EXPECT_EQ(ds442Xn_DacToMillivolts(0x80, 480, 600, 720, 1), 600u);
    EXPECT_EQ(ds442Xn_MillivoltsToDac(480, 480, 600, 720, 1), 0x7Fu);
    EXPECT_EQ(ds442Xn_MillivoltsToDac(720, 480, 600, 720, 1), 0xFFu);

    // A read can never go below 0 mV, whatever limits are given.
    EXPECT_EQ(ds442Xn_DacToMillivolts(0xFF, 0, 0, 1000, 0), 0u);
}

TEST(Ds442xnEncoding, StepModelCodesAndReach)
{
    EXPECT_EQ(ds442Xn_CorvStep(10), 12.7);
    EXPECT_EQ(ds442Xn_CorvStep(11), 18.2);
    EXPECT_EQ(ds442Xn_CorvStep(12), 12.7);
    EXPECT_EQ(ds442Xn_CorvStep(0), 0.0);
    EXPECT_EQ(ds442Xn_CorvStep(1), 0.0);
    EXPECT_EQ(ds442Xn_CorvStep(13), 0.0);

    EXPECT_EQ(ds442Xn_CorvReach(12.7), 10u);
    EXPECT_EQ(ds442Xn_CorvReach(18.2), 6u);

    EXPECT_EQ(ds442Xn_CorvDacToVolt(0x00, 12.7), 50u);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0x01, 12.7), 49u);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0x7F, 12.7), 40u);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0x80, 12.7), 50u);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0xFF, 12.7), 60u);

    EXPECT_EQ(ds442Xn_CorvVoltToDac(45, 12.7), 0x3Fu);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0x3F, 12.7), 45u);
    EXPECT_EQ(ds442Xn_CorvVoltToDac(55, 12.7), 0xBFu);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0xBF, 12.7), 54u);
    EXPECT_EQ(ds442Xn_CorvVoltToDac(50, 12.7), 0x00u);
    // The ends of the reach use the whole magnitude and no more.
    EXPECT_EQ(ds442Xn_CorvVoltToDac(60, 12.7), 0xFFu);
    EXPECT_EQ(ds442Xn_CorvVoltToDac(40, 12.7), 0x7Fu);
    EXPECT_EQ(ds442Xn_CorvVoltToDac(45, 18.2), 0x5Bu);
    EXPECT_EQ(ds442Xn_CorvDacToVolt(0x5B, 18.2), 45u);
    EXPECT_EQ(ds442Xn_CorvVoltToDac(44, 18.2), 0x6Du);
    EXPECT_EQ(ds442Xn_CorvVoltToDac(56, 18.2), 0xEDu);
}

TEST(Ds442xnBoards, OutputParametersFollowTheBoard)
{
    DWORD vmin = 1, vnom = 2, vmax = 3, si = 4;
    g_Platform = 2;
    EXPECT_STREQ(ds442Xn_GetOutputParams(0xF8, &vmin, &vnom, &vmax, &si), "VDDIO_DDR");
    EXPECT_EQ((Lines{std::to_string(vmin), std::to_string(vnom), std::to_string(vmax), std::to_string(si)}),
              (Lines{"1219", "1356", "1494", "0"}));
    g_Platform = 9;
    EXPECT_STREQ(ds442Xn_GetOutputParams(0xF8, &vmin, &vnom, &vmax, &si), "VDDIO_DDR");
    EXPECT_EQ(vmax, 1485u);
    EXPECT_STREQ(ds442Xn_GetOutputParams(0xF9, &vmin, &vnom, &vmax, &si), "VDDIO_VREF");
    EXPECT_EQ(si, 1u);
    g_Platform = 6;
    EXPECT_STREQ(ds442Xn_GetOutputParams(0xFA, &vmin, &vnom, &vmax, &si), "VDDIO_DDR");
    EXPECT_EQ(vnom, 1200u);

    // No rail there: the outputs stay as they were.
    vmin = 7;
    EXPECT_EQ(ds442Xn_GetOutputParams(0xF8, &vmin, &vnom, &vmax, &si), nullptr);
    EXPECT_EQ(vmin, 7u);
    g_Platform = 1;
    EXPECT_EQ(ds442Xn_GetOutputParams(0xFA, &vmin, &vnom, &vmax, &si), nullptr);
    g_Platform = 10;
    EXPECT_EQ(ds442Xn_GetOutputParams(0xF8, &vmin, &vnom, &vmax, &si), nullptr);
    g_Platform = 0;
    EXPECT_EQ(ds442Xn_GetOutputParams(0xF9, &vmin, &vnom, &vmax, &si), nullptr);
}

TEST(Ds442xnLookup, FindsAnyCaseAndListsNamesOtherwise)
{
    DWORD index = 99;
    EXPECT_EQ(ds442Xn_LookupVoltageIndex("out3", &index), 0);
    EXPECT_EQ(maxDS442Xn_reg_tab[index].addr, 0xFBu);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ds442Xn_LookupVoltageIndex("OUT0", nullptr), 1);
    EXPECT_EQ(ds442Xn_LookupVoltageIndex("OUT4", &index), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string("pIndex error!\n") + kValidNames);
}

TEST(Ds442xnCommand, DispatchFollowsTheChip)
{
    for (const char* model : {"dern", "avin"}) {
        SimBoard board(model);
        RunResult r = board.Rigo({"-ds4424n", "list", "BRD01"});
        EXPECT_EQ(r.status, 1) << model;
        EXPECT_EQ(r.out, "") << model;
        EXPECT_EQ(r.err, HelpText()) << model;
    }
    // The step-model boards take the explicit forms and do nothing with them.
    SimBoard corv("corv");
    RunResult r = corv.Rigo({"-ds4424n", "0", "0x70", "OUT0", "1219", "1356", "1494", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(corv.Transfers(), Lines{});
    r = corv.Rigo({"-ds4422N", "0", "0", "OUT0", "1219", "1356", "1494", "0", "1300"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(corv.Register(0, 0x70, 0xF8), 0x00);
}

TEST(Ds442xnCommand, UsageErrorsShowTheHelp)
{
    SimBoard board("belk");
    const std::vector<std::vector<std::string>> refused = {
        {"-ds4422N"},
        {"-ds4422N", "BRD01"},
        {"-ds4422N", "list"},
        {"-ds4422N", "list", "BRD01", "0"},
        {"-ds4422N", "list", "BRD01", "0", "0x10", "OUT0"},
        {"-ds4422N", "list", "BRD01", "0", "0"},
        {"-ds4422N", "BRD01", "0", "0x10", "OUT0", "1300", "1"},
        {"-ds4422N", "0", "0x10", "OUT0", "1219", "1356", "1494", "0", "1300", "1"},
        // Address 0 is refused before the board name is looked at.
        {"-ds4422N", "XYZ", "0", "0", "OUT0"},
        {"-ds4422N", "0", "0", "OUT0", "1219", "1356", "1494", "0"},
    };
    for (const auto& args : refused) {
        RunResult r = board.Rigo(args);
        EXPECT_EQ(r.status, 1) << args.size();
        EXPECT_EQ(r.out, "") << args.size();
        EXPECT_EQ(r.err, HelpText()) << args.size();
        EXPECT_EQ(board.Transfers(), Lines{}) << args.size();
    }

    // An unknown board ends the command, whichever form names it.
    for (const auto& args : std::vector<std::vector<std::string>>{{"-ds4422N", "list", "XYZ"},
                                                                   {"-ds4422N", "list", "BRD19", "0", "0"},
                                                                   {"-ds4424N", "brd00", "OUT0"},
                                                                   {"-ds4424N", "XYZ", "OUT0", "1300"}}) {
        RunResult r = board.Rigo(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, kNoPlatform);
        EXPECT_EQ(r.err, "");
    }
}

TEST(Ds442xnCommand, ListsTheOutputsOfTheBoard)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-ds4422N", "list", "BRD01"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "OUT0         1356mV\nOUT1         677mV\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x10 w f8 r 00", "i2c-0 0x10 w f9 r 00"}));
    EXPECT_EQ(board.Pauses(50000), 2);

    board.SetRegisters(0, 0x10, 0xF8, {0xB4, 0xEA});
    r = board.Rigo({"-DS4424N", "LIST", "brd03"});
    EXPECT_EQ(r.out, "OUT0         1300mV\nOUT1         790mV\n[OUT2] Failed to access.\n[OUT3] Failed to access.\n");
    EXPECT_EQ(board.Transfers().size(), 2u);

    r = board.Rigo({"-ds4422N", "list", "BRD05"});
    EXPECT_EQ(r.out, "[OUT0] Failed to access.\nOUT1         699mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-0 0x10 w f9 r ea"});

    // Boards without a table entry report every output.
    r = board.Rigo({"-ds4422N", "list", "BRD10"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "[OUT0] Failed to access.\n[OUT1] Failed to access.\n");

    // Another bus and address.
    board.SetRegisters(4, 0x20, 0xF8, {0x28});
    r = board.Rigo({"-ds4422N", "list", "BRD07", "4", "0x20"});
    EXPECT_EQ(r.out, "OUT0         1392mV\nOUT1         677mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x20 w f8 r 28", "i2c-4 0x20 w f9 r 00"}));

    // Chip 0x33 uses the same boards and address.
    SimBoard other("0x33:1");
    r = other.Rigo({"-ds4422n", "list", "BRD08"});
    EXPECT_EQ(r.out, "[OUT0] Failed to access.\nOUT1         599mV\n");
}

TEST(Ds442xnCommand, ReadsAndWritesWithBoardLimits)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-ds4422N", "BRD01", "out0", "1300"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "out0         1300mV\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0xB4);
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x10 w f8 b4", "i2c-0 0x10 w f8 r b4"}));
    EXPECT_EQ(board.Pauses(50000), 2);
    // The bus is closed between the write and the read-back.
    Lines trace = board.Trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "open /dev/i2c-0"), 2);

    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1400.9"});
    EXPECT_EQ(r.out, "OUT0         1398mV\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0x28);
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1494"});
    EXPECT_EQ(r.out, "OUT0         1492mV\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0x7F);
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1219"});
    EXPECT_EQ(r.out, "OUT0         1219mV\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0xFF);

    r = board.Rigo({"-ds4422N", "BRD01", "OUT0"});
    EXPECT_EQ(r.out, "OUT0         1219mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-0 0x10 w f8 r ff"});

    r = board.Rigo({"-ds4424N", "BRD05", "0", "0x10", "OUT1", "700"});
    EXPECT_EQ(r.out, "OUT1         699mV\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF9), 0xEA);
    r = board.Rigo({"-ds4424N", "BRD06", "OUT2", "1080"});
    EXPECT_EQ(r.out, "OUT2         1080mV\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xFA), 0xFF);

    board.SetRegisters(3, 0x11, 0xF9, {0x00});
    r = board.Rigo({"-ds4422N", "BRD04", "3", "0x11", "OUT1"});
    EXPECT_EQ(r.out, "OUT1         677mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-3 0x11 w f9 r 00"});

    // Out of range: nothing is written.
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1500"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Unsupported voltage, VDDIO_DDR support 1219 mV to 1494 mV.\n");
    EXPECT_EQ(board.Transfers(), Lines{});
    r = board.Rigo({"-ds4422N", "BRD09", "OUT1", "0x21d"});
    EXPECT_EQ(r.out, "Unsupported voltage, VDDIO_VREF support 542 mV to 814 mV.\n");
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "volts"});
    EXPECT_EQ(r.out, "Unsupported voltage, VDDIO_DDR support 1219 mV to 1494 mV.\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0xFF);

    // Outputs the board does not trim.
    r = board.Rigo({"-ds4422N", "BRD01", "OUT2", "1300"});
    EXPECT_EQ(r.out, "Failed: Invalid voltage output name.\n");
    r = board.Rigo({"-ds4422N", "BRD12", "OUT0"});
    EXPECT_EQ(r.out, "[OUT0] Failed to access.\n");
    EXPECT_EQ(board.Transfers(), Lines{});

    // Unknown names.
    r = board.Rigo({"-ds4422N", "BRD01", "OUT9"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kValidNames) + "[OUT9] Failed to access.\n");
    r = board.Rigo({"-ds4422N", "BRD01", "OUT9", "1300"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Invalid output for the selected platform.\n");
    // With bus and address, "list" is just a name.
    r = board.Rigo({"-ds4422N", "BRD01", "0", "0x10", "list"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "[list] Failed to access.\n");
    EXPECT_EQ(board.Transfers(), Lines{});
}

TEST(Ds442xnCommand, ExplicitLimitsNeedNoBoard)
{
    SimBoard board("belk");
    board.AddDevice(4, 0x10);
    RunResult r = board.Rigo({"-ds4422N", "4", "0x10", "OUT3", "1219", "1356", "1494", "0", "1300"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "OUT3         1300mV\n");
    EXPECT_EQ(board.Register(4, 0x10, 0xFB), 0xB4);
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x10 w fb b4", "i2c-4 0x10 w fb r b4"}));

    r = board.Rigo({"-ds4422N", "4", "0x10", "out3", "480", "600", "720", "1"});
    EXPECT_EQ(r.out, "out3         648mV\n");

    r = board.Rigo({"-ds4422N", "4", "16", "OUT2", "480", "600", "720", "1", "700"});
    EXPECT_EQ(r.out, "OUT2         699mV\n");
    EXPECT_EQ(board.Register(4, 0x10, 0xFA), 0xEA);

    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT1", "480", "600", "720", "1", "721"});
    EXPECT_EQ(r.out, "Unsupported voltage, OUT1 support 480 mV to 720 mV.\n");
    // Limits the wrong way round leave no value in range.
    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT1", "720", "600", "480", "0", "600"});
    EXPECT_EQ(r.out, "Unsupported voltage, OUT1 support 720 mV to 480 mV.\n");
    // Equal limits have no encoding: refused rather than divided by.
    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0", "600"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Unsupported voltage limits, OUT1 needs <MIN> below <MAX>.\n");
    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0", "601"});
    EXPECT_EQ(r.out, "Unsupported voltage, OUT1 support 600 mV to 600 mV.\n");
    EXPECT_EQ(board.Transfers(), Lines{});
    // Reading with equal limits is harmless.
    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0"});
    EXPECT_EQ(r.out, "OUT1         600mV\n");

    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT4", "480", "600", "720", "1"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "[OUT4] Failed to access.\n");
    r = board.Rigo({"-ds4422N", "4", "0x10", "OUT4", "480", "600", "720", "1", "600"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Invalid output for the selected platform.\n");
}

TEST(Ds442xnCommand, StepModelOnCorv)
{
    SimBoard board("corv");
    RunResult r = board.Rigo({"-ds4424N", "list", "BRD12"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "OUT0         50mV\nOUT1         50mV\nOUT2         50mV\nOUT3         50mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 r 00", "i2c-0 0x70 w f9 r 00", "i2c-0 0x70 w fa r 00",
                                        "i2c-0 0x70 w fb r 00"}));

    r = board.Rigo({"-ds4422N", "BRD11", "OUT0", "45"});
    EXPECT_EQ(r.out, "OUT0         45mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 5b", "i2c-0 0x70 w f8 r 5b"}));

    r = board.Rigo({"-ds4422N", "BRD10", "0", "0x70", "out1", "55"});
    EXPECT_EQ(r.out, "out1         54mV\n");
    EXPECT_EQ(board.Register(0, 0x70, 0xF9), 0xBF);
    r = board.Rigo({"-ds4422N", "BRD12", "OUT2", "60"});
    EXPECT_EQ(r.out, "OUT2         60mV\n");
    EXPECT_EQ(board.Register(0, 0x70, 0xFA), 0xFF);
    r = board.Rigo({"-ds4422N", "BRD12", "OUT3", "40"});
    EXPECT_EQ(r.out, "OUT3         40mV\n");
    EXPECT_EQ(board.Register(0, 0x70, 0xFB), 0x7F);
    r = board.Rigo({"-ds4422N", "BRD10", "OUT1"});
    EXPECT_EQ(r.out, "OUT1         54mV\n");

    // Values the 7-bit magnitude cannot hold are refused before any traffic.
    for (const char* value : {"39", "61", "0", "4294967295"}) {
        r = board.Rigo({"-ds4422N", "BRD10", "OUT0", value});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "Unsupported voltage, OUT0 support 40 mV to 60 mV.\n") << value;
        EXPECT_EQ(board.Transfers(), Lines{}) << value;
    }
    for (const char* value : {"43", "57"}) {
        r = board.Rigo({"-ds4422N", "BRD11", "OUT0", value});
        EXPECT_EQ(r.out, "Unsupported voltage, OUT0 support 44 mV to 56 mV.\n") << value;
    }
    EXPECT_EQ(board.Register(0, 0x70, 0xF8), 0x5B);

    // Boards without a step: the read still happens, the write does not.
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Error: Unsupported platform!\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-0 0x70 w f8 r 5b"});
    r = board.Rigo({"-ds4422N", "BRD13", "OUT0", "50"});
    EXPECT_EQ(r.out, "Error: Unsupported platform!\n");
    EXPECT_EQ(board.Transfers(), Lines{});
    r = board.Rigo({"-ds4422N", "list", "BRD01"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Error: Unsupported platform!\nError: Unsupported platform!\n");

    r = board.Rigo({"-ds4422N", "BRD10", "OUT7"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "[OUT7] Failed to access.\n");
    r = board.Rigo({"-ds4422N", "BRD10", "OUT7", "50"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Invalid output for the selected platform.\n");
    r = board.Rigo({"-ds4422N", "list", "BRD99"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kNoPlatform);
}

TEST(Ds442xnCommand, DeviceThatDoesNotAnswer)
{
    SimBoard board("belk");
    board.Fault("i2c nack bus=0 addr=0x10");
    RunResult r = board.Rigo({"-ds4422N", "BRD01", "OUT0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to read from I2C device.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.Trace().back(), "close /dev/i2c-0");

    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1300"});
    EXPECT_EQ(r.out, "Error: Failed to write to I2C device.\n");
    EXPECT_EQ(board.Transfers().size(), 10u);

    r = board.Rigo({"-ds4422N", "list", "BRD01"});
    EXPECT_EQ(r.out, "Failed: Unable to read from I2C device.\nFailed: Unable to read from I2C device.\n");

    r = board.Rigo({"-ds4422N", "0", "0x10", "OUT0", "1219", "1356", "1494", "0", "1300"});
    EXPECT_EQ(r.out, "Error: Failed to write to I2C device.\n");
    r = board.Rigo({"-ds4422N", "0", "0x10", "OUT0", "1219", "1356", "1494", "0"});
    EXPECT_EQ(r.out, "Failed: Unable to read from I2C device.\n");

    // The read-back fails after a write that went through.
    board.ClearFaults();
    board.Fault("i2c nack bus=0 addr=0x10 dir=read");
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1300"});
    EXPECT_EQ(r.out, "Failed: Unable to read from I2C device.\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0xB4);

    SimBoard corv("corv");
    corv.Fault("i2c nack bus=0 addr=0x70");
    r = corv.Rigo({"-ds4422N", "BRD10", "OUT0", "45"});
    EXPECT_EQ(r.out, "Error: Failed to write to I2C device.\n");
    r = corv.Rigo({"-ds4422N", "BRD01", "OUT0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to read from I2C device.\n");
}

TEST(Ds442xnCommand, BusThatCannotBeOpened)
{
    SimBoard board("belk");
    board.Fault("i2c open bus=0");
    RunResult r = board.Rigo({"-ds4422N", "BRD01", "OUT0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = board.Rigo({"-ds4422N", "BRD01", "OUT0", "1300"});
    EXPECT_EQ(r.out, "Error: Failed to open I2C device.\n");
    r = board.Rigo({"-ds4424N", "list", "BRD05"});
    EXPECT_EQ(r.out, "[OUT0] Failed to access.\nFailed: Unable to open I2C device.\n"
                     "Failed: Unable to open I2C device.\n[OUT3] Failed to access.\n");
    // No such bus at all.
    r = board.Rigo({"-ds4422N", "7", "0x10", "OUT0", "1219", "1356", "1494", "0", "1300"});
    EXPECT_EQ(r.out, "Error: Failed to open I2C device.\n");
    r = board.Rigo({"-ds4422N", "7", "0x10", "OUT0", "1219", "1356", "1494", "0"});
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0x00);

    SimBoard corv("corv");
    corv.Fault("i2c open bus=0");
    r = corv.Rigo({"-ds4422N", "BRD10", "OUT0"});
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = corv.Rigo({"-ds4422N", "BRD10", "OUT0", "45"});
    EXPECT_EQ(r.out, "Error: Failed to open I2C device.\n");
}
