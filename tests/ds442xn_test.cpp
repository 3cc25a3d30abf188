#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e.h"
#include "pmic/ds442x.h"

namespace {

const std::string kValidNames = "Valid Voltage names: \nOUT0, OUT1, OUT2, OUT3, \n";
const char kNoPlatform[] = "This platform does not support Maxim DS4422N+/DS4424N+ I/O.\n";

struct Step {
    Lines args;
    std::string out;
};

// Runs each command line; each must succeed with its output, and with no I2C transfer
// when the bus is to stay untouched.
void ExpectSteps(SimBoard& board, const std::vector<Step>& steps, bool busUntouched = false)
{
    for (const Step& step : steps) {
        EXPECT_EQ(board.RigoOut(step.args), step.out);
        if (busUntouched) {
            EXPECT_EQ(board.Transfers(), Lines{}) << step.args[1] << " " << step.args.back();
        }
    }
}

}  // namespace

// The limit model: code 0 is the nominal voltage, bit 7 the direction, 127 codes reach
// each limit. What the boards do not reach: the negative zero, and reads below 0 mV.
TEST(Ds442xnEncoding, LimitModelEdges)
{
    EXPECT_EQ(ds442Xn_DacToMillivolts(0x80, 1219, 1356, 1494, 0), 1355u);
    EXPECT_EQ(ds442Xn_MillivoltsToDac(1355, 1219, 1356, 1494, 0), 0x80u);
    EXPECT_EQ(ds442Xn_DacToMillivolts(0x80, 480, 600, 720, 1), 600u);
    EXPECT_EQ(ds442Xn_DacToMillivolts(0x00, 480, 600, 720, 1), 599u);
    EXPECT_EQ(ds442Xn_DacToMillivolts(0xFF, 0, 0, 1000, 0), 0u);
}

TEST(Ds442xnCommand, DispatchAndUsage)
{
    SimBoard board("belk");
    const std::vector<Lines> refused = {
        {"-ds4422N"}, {"-ds4422N", "BRD01"}, {"-ds4422N", "list"}, {"-ds4422N", "list", "BRD01", "0", "0x10", "OUT0"},
        {"-ds4422N", "BRD01", "0", "0x10", "OUT0", "1300", "1"},
        {"-ds4422N", "0", "0x10", "OUT0", "1219", "1356", "1494", "0", "1300", "1"},
        // Address 0 is refused before the board name is looked at.
        {"-ds4422N", "XYZ", "0", "0", "OUT0"}, {"-ds4422N", "0", "0", "OUT0", "1219", "1356", "1494", "0"},
    };
    for (const Lines& args : refused) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));
        EXPECT_EQ(board.Transfers(), Lines{}) << args.size();
    }
    // An unknown board ends the command, whichever form names it.
    for (const Lines& args : {Lines{"-ds4422N", "list", "XYZ"}, Lines{"-ds4422N", "list", "BRD19", "0", "0"},
                              Lines{"-ds4424N", "brd00", "OUT0"}, Lines{"-ds4424N", "XYZ", "OUT0", "1300"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, kNoPlatform, ""}));

    SimBoard avin("avin");
    EXPECT_EQ(avin.Rigo({"-ds4424n", "list", "BRD01"}), (RunResult{1, "", HelpText()}));
    // The step-model boards take the explicit forms and do nothing with them.
    SimBoard corv("corv");
    ExpectSteps(corv, {{{"-ds4424n", "0", "0x70", "OUT0", "1219", "1356", "1494", "0"}, ""},
                       {{"-ds4422N", "0", "0", "OUT0", "1219", "1356", "1494", "0", "1300"}, ""}},
                true);
}

TEST(Ds442xnCommand, ListsTheOutputsOfTheBoard)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "list", "BRD01"}), "OUT0         1356mV\nOUT1         677mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x10 w f8 r 00", "i2c-0 0x10 w f9 r 00"}));
    EXPECT_EQ(board.Pauses(50000), 2);

    // Outputs the board does not trim, or boards without a table entry, fail to access.
    board.SetRegisters(0, 0x10, 0xF8, {0xB4, 0xEA});
    board.SetRegisters(4, 0x20, 0xF8, {0x28});
    ExpectSteps(board, {
        {{"-DS4424N", "LIST", "brd03"},
         "OUT0         1300mV\nOUT1         790mV\n[OUT2] Failed to access.\n[OUT3] Failed to access.\n"},
        {{"-ds4422N", "list", "BRD05"}, "[OUT0] Failed to access.\nOUT1         699mV\n"},
        {{"-ds4422N", "list", "BRD10"}, "[OUT0] Failed to access.\n[OUT1] Failed to access.\n"},
        {{"-ds4422N", "list", "BRD07", "4", "0x20"}, "OUT0         1392mV\nOUT1         677mV\n"},
    });
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x20 w f8 r 28", "i2c-4 0x20 w f9 r 00"}));

    // Chip 0x33 uses the same boards and address.
    SimBoard other("0x33:1");
    EXPECT_EQ(other.RigoOut({"-ds4422n", "list", "BRD08"}), "[OUT0] Failed to access.\nOUT1         599mV\n");
}

TEST(Ds442xnCommand, ReadsAndWritesWithBoardLimits)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "out0", "1300"}), "out0         1300mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x10 w f8 b4", "i2c-0 0x10 w f8 r b4"}));
    EXPECT_EQ(board.Pauses(50000), 2);
    // The bus is closed between the write and the read-back.
    const Lines trace = board.Trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "open /dev/i2c-0"), 2);

    // Range ends use the whole magnitude; the inverted sign sense of VDDIO_VREF.
    ExpectSteps(board, {
        {{"-ds4422N", "BRD01", "OUT0", "1400.9"}, "OUT0         1398mV\n"},
        {{"-ds4422N", "BRD01", "OUT0", "1494"}, "OUT0         1492mV\n"},
        {{"-ds4422N", "BRD01", "OUT0", "1219"}, "OUT0         1219mV\n"},
        {{"-ds4424N", "BRD05", "0", "0x10", "OUT1", "700"}, "OUT1         699mV\n"},
        {{"-ds4424N", "BRD06", "OUT2", "1080"}, "OUT2         1080mV\n"},
    });
    EXPECT_EQ(board.Registers(0, 0x10, 0xF8, 3), (std::vector<uint8_t>{0xFF, 0xEA, 0xFF}));
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "OUT0"}), "OUT0         1219mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-0 0x10 w f8 r ff"});
    board.SetRegisters(3, 0x11, 0xF9, {0x00});
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD04", "3", "0x11", "OUT1"}), "OUT1         677mV\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-3 0x11 w f9 r 00"});

    // Out of range, outputs the board does not trim, unknown names: nothing is sent.
    ExpectSteps(board, {
        {{"-ds4422N", "BRD01", "OUT0", "1500"}, "Unsupported voltage, VDDIO_DDR support 1219 mV to 1494 mV.\n"},
        {{"-ds4422N", "BRD09", "OUT1", "0x21d"}, "Unsupported voltage, VDDIO_VREF support 542 mV to 814 mV.\n"},
        {{"-ds4422N", "BRD01", "OUT0", "volts"}, "Unsupported voltage, VDDIO_DDR support 1219 mV to 1494 mV.\n"},
        {{"-ds4422N", "BRD01", "OUT2", "1300"}, "Failed: Invalid voltage output name.\n"},
        {{"-ds4422N", "BRD12", "OUT0"}, "[OUT0] Failed to access.\n"},
        {{"-ds4422N", "BRD01", "OUT9"}, kValidNames + "[OUT9] Failed to access.\n"},
        {{"-ds4422N", "BRD01", "OUT9", "1300"}, kValidNames + "Failed: Invalid output for the selected platform.\n"},
        {{"-ds4422N", "BRD01", "0", "0x10", "list"}, kValidNames + "[list] Failed to access.\n"},
    }, true);
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0xFF);
}

TEST(Ds442xnCommand, ExplicitLimitsNeedNoBoard)
{
    SimBoard board("belk");
    board.AddDevice(4, 0x10);
    EXPECT_EQ(board.RigoOut({"-ds4422N", "4", "0x10", "OUT3", "1219", "1356", "1494", "0", "1300"}),
              "OUT3         1300mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x10 w fb b4", "i2c-4 0x10 w fb r b4"}));
    ExpectSteps(board, {
        {{"-ds4422N", "4", "0x10", "out3", "480", "600", "720", "1"}, "out3         648mV\n"},
        {{"-ds4422N", "4", "16", "OUT2", "480", "600", "720", "1", "700"}, "OUT2         699mV\n"},
        {{"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0"}, "OUT1         600mV\n"},
        {{"-ds4422N", "4", "0x10", "OUT4", "480", "600", "720", "1"}, kValidNames + "[OUT4] Failed to access.\n"},
        {{"-ds4422N", "4", "0x10", "OUT4", "480", "600", "720", "1", "600"},
         kValidNames + "Failed: Invalid output for the selected platform.\n"},
    });
    EXPECT_EQ(board.Register(4, 0x10, 0xFA), 0xEA);

    // Limits the wrong way round leave no value in range; equal limits have no encoding.
    ExpectSteps(board, {
        {{"-ds4422N", "4", "0x10", "OUT1", "480", "600", "720", "1", "721"},
         "Unsupported voltage, OUT1 support 480 mV to 720 mV.\n"},
        {{"-ds4422N", "4", "0x10", "OUT1", "720", "600", "480", "0", "600"},
         "Unsupported voltage, OUT1 support 720 mV to 480 mV.\n"},
        {{"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0", "600"},
         "Unsupported voltage limits, OUT1 needs <MIN> below <MAX>.\n"},
        {{"-ds4422N", "4", "0x10", "OUT1", "600", "600", "600", "0", "601"},
         "Unsupported voltage, OUT1 support 600 mV to 600 mV.\n"},
    }, true);
}

TEST(Ds442xnCommand, StepModelOnCorv)
{
    SimBoard board("corv");
    EXPECT_EQ(board.RigoOut({"-ds4424N", "list", "BRD12"}),
              "OUT0         50mV\nOUT1         50mV\nOUT2         50mV\nOUT3         50mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 r 00", "i2c-0 0x70 w f9 r 00", "i2c-0 0x70 w fa r 00",
                                        "i2c-0 0x70 w fb r 00"}));
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD11", "OUT0", "45"}), "OUT0         45mV\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-0 0x70 w f8 5b", "i2c-0 0x70 w f8 r 5b"}));

    // BRD10 and BRD12 step 12.7 codes per millivolt, BRD11 18.2; the ends of the reach
    // use the whole magnitude.
    ExpectSteps(board, {
        {{"-ds4422N", "BRD10", "0", "0x70", "out1", "55"}, "out1         54mV\n"},
        {{"-ds4422N", "BRD12", "OUT2", "60"}, "OUT2         60mV\n"},
        {{"-ds4422N", "BRD12", "OUT3", "40"}, "OUT3         40mV\n"},
    });
    EXPECT_EQ(board.Registers(0, 0x70, 0xF8, 4), (std::vector<uint8_t>{0x5B, 0xBF, 0xFF, 0x7F}));
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD10", "OUT1"}), "OUT1         54mV\n");

    // Values the 7-bit magnitude cannot hold are refused before any traffic; boards
    // without a step read but do not write.
    ExpectSteps(board, {
        {{"-ds4422N", "BRD10", "OUT0", "39"}, "Unsupported voltage, OUT0 support 40 mV to 60 mV.\n"},
        {{"-ds4422N", "BRD10", "OUT0", "61"}, "Unsupported voltage, OUT0 support 40 mV to 60 mV.\n"},
        {{"-ds4422N", "BRD10", "OUT0", "4294967295"}, "Unsupported voltage, OUT0 support 40 mV to 60 mV.\n"},
        {{"-ds4422N", "BRD11", "OUT0", "43"}, "Unsupported voltage, OUT0 support 44 mV to 56 mV.\n"},
        {{"-ds4422N", "BRD11", "OUT0", "57"}, "Unsupported voltage, OUT0 support 44 mV to 56 mV.\n"},
        {{"-ds4422N", "BRD13", "OUT0", "50"}, "Error: Unsupported platform!\n"},
        {{"-ds4422N", "BRD10", "OUT7", "50"}, kValidNames + "Failed: Invalid output for the selected platform.\n"},
    }, true);
    ExpectSteps(board, {
        {{"-ds4422N", "BRD01", "OUT0"}, "Error: Unsupported platform!\n"},
        {{"-ds4422N", "list", "BRD01"}, "Error: Unsupported platform!\nError: Unsupported platform!\n"},
        {{"-ds4422N", "BRD10", "OUT7"}, kValidNames + "[OUT7] Failed to access.\n"},
    });
    EXPECT_EQ(board.Rigo({"-ds4422N", "list", "BRD99"}), (RunResult{1, kNoPlatform, ""}));
}

TEST(Ds442xnCommand, DeviceThatDoesNotAnswerOrBusThatCannotBeOpened)
{
    const std::string readFailed = "Failed: Unable to read from I2C device.\n";
    SimBoard board("belk");
    board.Fault("i2c nack bus=0 addr=0x10");
    ExpectSteps(board, {
        {{"-ds4422N", "BRD01", "OUT0"}, readFailed},
        {{"-ds4422N", "BRD01", "OUT0", "1300"}, "Error: Failed to write to I2C device.\n"},
        {{"-ds4422N", "list", "BRD01"}, readFailed + readFailed},
        {{"-ds4422N", "0", "0x10", "OUT0", "1219", "1356", "1494", "0", "1300"},
         "Error: Failed to write to I2C device.\n"},
        {{"-ds4422N", "0", "0x10", "OUT0", "1219", "1356", "1494", "0"}, readFailed},
    });
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.Trace().back(), "close /dev/i2c-0");

    // The read-back fails after a write that went through.
    board.SetFault("i2c nack bus=0 addr=0x10 dir=read");
    EXPECT_EQ(board.RigoOut({"-ds4422N", "BRD01", "OUT0", "1300"}), readFailed);
    EXPECT_EQ(board.Register(0, 0x10, 0xF8), 0xB4);

    const std::string openFailed = "Failed: Unable to open I2C device.\n";
    board.SetFault("i2c open bus=0");
    ExpectSteps(board, {
        {{"-ds4422N", "BRD01", "OUT0"}, openFailed},
        {{"-ds4422N", "BRD01", "OUT0", "1300"}, "Error: Failed to open I2C device.\n"},
        {{"-ds4424N", "list", "BRD05"}, "[OUT0] Failed to access.\n" + openFailed + openFailed +
                                            "[OUT3] Failed to access.\n"},
        {{"-ds4422N", "7", "0x10", "OUT0", "1219", "1356", "1494", "0", "1300"}, "Error: Failed to open I2C device.\n"},
        {{"-ds4422N", "7", "0x10", "OUT0", "1219", "1356", "1494", "0"}, openFailed},
    });

    SimBoard corv("corv");
    corv.Fault("i2c nack bus=0 addr=0x70");
    ExpectSteps(corv, {{{"-ds4422N", "BRD10", "OUT0", "45"}, "Error: Failed to write to I2C device.\n"},
                       {{"-ds4422N", "BRD01", "OUT0"}, readFailed}});
}
