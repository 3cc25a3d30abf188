#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "clk.h"
#include "e2e.h"

namespace {

const uint32_t kOscControl = 0x60006050;
const uint32_t kPllcBase = 0x60006080;
const uint32_t kPllcOut = 0x60006084;
const uint32_t kPllmBase = 0x60006090;
const uint32_t kPllpBase = 0x600060A0;
const uint32_t kPllpOutA = 0x600060A4;
const uint32_t kPllpOutB = 0x600060A8;
const uint32_t kPlleBase = 0x600060E8;
const uint32_t kEmcClockSource = 0x6000619C;

uint32_t PllBase(uint32_t ndiv, uint32_t mdiv, uint32_t pdiv)
{
    return 0x40000000 | (pdiv << 20) | (ndiv << 8) | mdiv;
}

const char kOscError[] = "Error: Failed to obtain OSC frequency on this platform!\n";
const char kEmcError[] = "Error: Failed to obtain EMC frequency on this platform!\n";

}  // namespace

TEST(ClockFormulas, PllBaseFrequency)
{
    EXPECT_DOUBLE_EQ(PllFrequency(PllBase(600, 12, 0), kPllBaseLayout, 12000000.0), 600000000.0);
    EXPECT_DOUBLE_EQ(PllFrequency(PllBase(960, 12, 1), kPllBaseLayout, 12000000.0), 480000000.0);
    EXPECT_DOUBLE_EQ(PllFrequency(PllBase(17, 9, 0), kPllBaseLayout, 216000000.0), 408000000.0);
    // Bits outside the fields (enable, bypass, lock) do not count.
    EXPECT_DOUBLE_EQ(PllFrequency(0xBF800000 | PllBase(600, 12, 7), kPllBaseLayout, 12000000.0), 600000000.0 / 128);
    // PLLS takes a 4-bit M from the same register: bit 4 is dropped.
    EXPECT_DOUBLE_EQ(PllFrequency(PllBase(100, 0x1C, 0), kPllsLayout, 32768.0), 100.0 / 12 * 32768);
    // PLLE: M 7:0, N 15:8, P 21:16 up to 63.
    EXPECT_DOUBLE_EQ(PllFrequency(0x8000640C, kPlleLayout, 12000000.0), 100000000.0);
    EXPECT_DOUBLE_EQ(PllFrequency(0x003F0101, kPlleLayout, 12000000.0), 12000000.0 / std::ldexp(1.0, 63));
}

TEST(ClockFormulas, ZeroInputDividerGivesInfinityOrNaN)
{
    double inf = PllFrequency(PllBase(600, 0, 0), kPllBaseLayout, 12000000.0);
    EXPECT_TRUE(std::isinf(inf) && inf > 0);
    EXPECT_EQ(DoubleToDword(inf), 0xFFFFFFFFu);
    double nan = PllFrequency(PllBase(0, 0, 0), kPllBaseLayout, 12000000.0);
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_EQ(DoubleToDword(nan), 0u);
}

TEST(ClockFormulas, OutputDividerHalfSteps)
{
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x00000600, 1), 4.0);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x00000700, 1), 4.5);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x00000000, 1), 1.0);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x0000FF00, 1), 128.5);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x06000000, 0), 4.0);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x07000000, 0), 4.5);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0xFF000000, 0), 128.5);
    // Each output reads only its own byte: no half step borrowed from the other.
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x06000100, 0), 4.0);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x01000600, 1), 4.0);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x00FF00FF, 1), 1.0);
    EXPECT_DOUBLE_EQ(PllOutputDivider(0x00FF00FF, 0), 1.0);
}

TEST(ClockFormulas, ServedChips)
{
    for (DWORD chip : {0x30u, 0x33u, 0x35u, 0x37u})
        EXPECT_TRUE(ClockChipServed(chip)) << chip;
    for (DWORD chip : {0x00u, 0x14u, 0x20u, 0x2Fu, 0x31u, 0x32u, 0x34u, 0x36u, 0x38u, 0x3Fu, 0xFFFFFFFFu})
        EXPECT_FALSE(ClockChipServed(chip)) << chip;
}

TEST(ClockCommands, OscillatorCodes)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-osc"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "12000000   [  12.0 MHz]\n");
    EXPECT_EQ(r.err, "");

    const char* const expected[16] = {
        "13000000   [  13.0 MHz]\n", "16800000   [  16.8 MHz]\n", kOscError, kOscError,
        "19200000   [  19.2 MHz]\n", "38400000   [  38.4 MHz]\n", kOscError, kOscError,
        "12000000   [  12.0 MHz]\n", "48000000   [  48.0 MHz]\n", kOscError, kOscError,
        "26000000   [  26.0 MHz]\n", kOscError,                  kOscError, kOscError,
    };
    for (uint32_t code = 0; code < 16; ++code) {
        // The lower bits of the register are other oscillator settings.
        board.SetWord(kOscControl, (code << 28) | 0x0FFFFFFF);
        r = board.Rigo({"-freq", "osc"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, expected[code]) << code;
    }
}

TEST(ClockCommands, FrequencyGrammar)
{
    SimBoard board("belk");
    // -osc ignores whatever follows it.
    RunResult r = board.Rigo({"-OSC", "EMC", "extra", "words"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "12000000   [  12.0 MHz]\n");
    r = board.Rigo({"-freq", "Emc"});
    EXPECT_EQ(r.out, "333000000  [ 333.0 MHz] PLLM_OUT0\n");
    r = board.Rigo({"-FREQ", "OSC"});
    EXPECT_EQ(r.out, "12000000   [  12.0 MHz]\n");
    // Names other than OSC and EMC do nothing.
    for (const char* name : {"PLLC", "pllm", "", "EMCX"}) {
        r = board.Rigo({"-freq", name});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.err, "") << name;
    }
    for (const auto& args : {std::vector<std::string>{"-freq"}, {"-freq", "OSC", "extra"}, {"-freq", "EMC", "x", "y"}}) {
        r = board.Rigo(args);
        EXPECT_EQ(r.status, 1) << args.size();
        EXPECT_EQ(r.out, "") << args.size();
        EXPECT_EQ(r.err, HelpText()) << args.size();
    }
}

TEST(ClockCommands, EmcClockSources)
{
    SimBoard board("belk");
    board.SetWord(kPllmBase, PllBase(666, 12, 0));
    board.SetWord(kPllcBase, PllBase(600, 12, 0));
    board.SetWord(kPllpBase, PllBase(17, 9, 0));
    struct Case {
        uint32_t source;
        const char* out;
    } cases[] = {
        {0x00000002, "333000000  [ 333.0 MHz] PLLM_OUT0\n"},
        {0x00000000, "666000000  [ 666.0 MHz] PLLM_OUT0\n"},
        // Bits 27:8 are not part of the selection or the divisor.
        {0x0FFFFF01, "444000000  [ 444.0 MHz] PLLM_OUT0\n"},
        {0x40000001, "400000000  [ 400.0 MHz] PLLC_OUT0\n"},
        // PLLP runs from 216 MHz: 17/9 of it is 408 MHz, then divided by 128.5.
        {0x800000FF, "3175097    [   3.2 MHz] PLLP_OUT0\n"},
        {0xC0000000, "12000000   [  12.0 MHz]\n12000000   [  12.0 MHz] CLK_M\n"},
        {0xC0000002, "12000000   [  12.0 MHz]\n6000000    [   6.0 MHz] CLK_M\n"},
    };
    for (const Case& c : cases) {
        board.SetWord(kEmcClockSource, c.source);
        RunResult r = board.Rigo({"-freq", "EMC"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out) << std::hex << c.source;
    }
    for (uint32_t code : {0x1u, 0x2u, 0x3u, 0x5u, 0x7u, 0x9u, 0xBu, 0xDu, 0xEu, 0xFu}) {
        board.SetWord(kEmcClockSource, (code << 28) | 2);
        RunResult r = board.Rigo({"-freq", "EMC"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, kEmcError) << code;
    }
    // The oscillator as source with an unknown code: its error, then a 0 Hz clock.
    board.SetWord(kEmcClockSource, 0xC0000000);
    board.SetWord(kOscControl, 0x20000000);
    RunResult r = board.Rigo({"-freq", "EMC"});
    EXPECT_EQ(r.out, std::string(kOscError) + "0          [   0.0 MHz] CLK_M\n");
}

TEST(ClockCommands, EmcFrequencyBeyondThePrintedInteger)
{
    SimBoard board("belk");
    board.SetWord(kEmcClockSource, 0x00000000);
    // 3 GHz fits 32 bits unsigned and prints through the signed conversion.
    board.SetWord(kPllmBase, PllBase(250, 1, 0));
    EXPECT_EQ(board.Rigo({"-freq", "EMC"}).out, "-1294967296 [3000.0 MHz] PLLM_OUT0\n");
    // Beyond 32 bits the whole hertz saturate.
    board.SetWord(kPllmBase, PllBase(1023, 1, 0));
    EXPECT_EQ(board.Rigo({"-freq", "EMC"}).out, "-1         [12276.0 MHz] PLLM_OUT0\n");
    // A zero M divider: N/0 is infinite, 0/0 is not a number.
    board.SetWord(kPllmBase, PllBase(666, 0, 0));
    RunResult r = board.Rigo({"-freq", "EMC"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "-1         [   inf MHz] PLLM_OUT0\n");
    board.SetWord(kPllmBase, PllBase(0, 0, 0));
    r = board.Rigo({"-freq", "EMC"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0          [   nan MHz] PLLM_OUT0\n");
    // Truncated, not rounded: 12 MHz * 2/7 / 1.5.
    board.SetWord(kPllmBase, PllBase(2, 7, 0));
    board.SetWord(kEmcClockSource, 0x00000001);
    EXPECT_EQ(board.Rigo({"-freq", "EMC"}).out, "2285714    [   2.3 MHz] PLLM_OUT0\n");
}

TEST(ClockCommands, UnservedChipsAndUnreadableRegisters)
{
    for (const char* model : {"avin", "dern", "0x31:1", "0x36:2"}) {
        SimBoard board(model);
        board.SetWord(kOscControl, 0x80000000);
        board.SetWord(kEmcClockSource, 0x00000002);
        RunResult r = board.Rigo({"-freq", "EMC"});
        EXPECT_EQ(r.status, 0) << model;
        EXPECT_EQ(r.out, "") << model;
        r = board.Rigo({"-osc"});
        EXPECT_EQ(r.out, kOscError) << model;
        // Only the chip ID is read.
        EXPECT_EQ(board.Trace().size(), 4u) << model;
    }
    for (const char* model : {"0x33:1", "0x37:1"}) {
        SimBoard board(model);
        board.SetWord(kOscControl, 0x40000000);
        EXPECT_EQ(board.Rigo({"-osc"}).out, "19200000   [  19.2 MHz]\n") << model;
    }

    SimBoard board("belk");
    // The unmapping after the chip ID read succeeds, the next one reports failure.
    board.Fault("mem munmap after=1");
    RunResult r = board.Rigo({"-osc"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kOscError);
    r = board.Rigo({"-freq", "EMC"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    // The EMC source reads, its PLL does not: 0 Hz.
    board.ClearFaults();
    board.Fault("mem munmap after=2");
    r = board.Rigo({"-freq", "EMC"});
    EXPECT_EQ(r.out, "0          [   0.0 MHz] PLLM_OUT0\n");

    board.ClearFaults();
    board.Fault("mem mmap after=1");
    r = board.Rigo({"-freq", "EMC"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("(12) [Cannot allocate memory]\n"), std::string::npos) << r.err;
}

TEST(ClockCommands, PllListOnBelk)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-pll", "LIST"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "PLLC_OUT1     240000000 [ 240.0 MHz]\n"
              "PLLM_OUT1     222000000 [ 222.0 MHz]\n"
              "PLLP_OUT1       9600000 [   9.6 MHz]\n"
              "PLLP_OUT2      48000000 [  48.0 MHz]\n"
              "PLLP_OUT3     102000000 [ 102.0 MHz]\n"
              "PLLP_OUT4     204000000 [ 204.0 MHz]\n"
              "PLLP_OUT1       9600000 [   9.6 MHz]\n"
              "PLLE          100000000 [ 100.0 MHz]\n"
              "PLLS             273066 [   0.3 MHz]\n");
}

TEST(ClockCommands, SinglePlls)
{
    SimBoard board("belk");
    board.SetWord(kPllcBase, PllBase(600, 12, 0));
    board.SetWord(kPllcOut, 0x00000600);
    EXPECT_EQ(board.Rigo({"-pll", "pllc"}).out, "PLLC_OUT1     150000000 [ 150.0 MHz]\n");
    board.SetWord(kPllcOut, 0xFFFF0700);
    EXPECT_EQ(board.Rigo({"-pll", "PLLC"}).out, "PLLC_OUT1     133333333 [ 133.3 MHz]\n");

    // The upper outputs take their half step from bit 24.
    board.SetWord(kPllpBase, PllBase(1, 1, 0));
    board.SetWord(kPllpOutA, 0x07000600);
    board.SetWord(kPllpOutB, 0x06000700);
    EXPECT_EQ(board.Rigo({"-pll", "PLLP"}).out,
              "PLLP_OUT1      54000000 [  54.0 MHz]\n"
              "PLLP_OUT2      48000000 [  48.0 MHz]\n"
              "PLLP_OUT3      48000000 [  48.0 MHz]\n"
              "PLLP_OUT4      54000000 [  54.0 MHz]\n");
    EXPECT_EQ(board.Rigo({"-pll", "plla"}).out, "PLLP_OUT1      54000000 [  54.0 MHz]\n");

    // A zero M divider in the base feeds the outputs infinity or NaN.
    board.SetWord(kPllcBase, PllBase(600, 0, 0));
    EXPECT_EQ(board.Rigo({"-pll", "PLLC"}).out, "PLLC_OUT1            -1 [   inf MHz]\n");
    board.SetWord(kPllcBase, PllBase(0, 0, 0));
    EXPECT_EQ(board.Rigo({"-pll", "PLLC"}).out, "PLLC_OUT1             0 [   nan MHz]\n");

    board.SetWord(kPlleBase, 0x00021806);  // PLLE 24/6/4, PLLS M 6, N 0x218, P 0
    EXPECT_EQ(board.Rigo({"-pll", "PLLE"}).out, "PLLE           12000000 [  12.0 MHz]\n");
    EXPECT_EQ(board.Rigo({"-pll", "plls"}).out, "PLLS            2927274 [   2.9 MHz]\n");
    board.SetWord(kPlleBase, 0);
    EXPECT_EQ(board.Rigo({"-pll", "PLLE"}).out, "PLLE                  0 [   nan MHz]\n");

    for (const char* name : {"PLLX", "plld", "PLLU", "PLLQ", "list2"}) {
        RunResult r = board.Rigo({"-pll", name});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_EQ(r.err, "") << name;
    }

    // An unreadable PLLE register prints nothing.
    board.Fault("mem munmap after=1");
    RunResult r = board.Rigo({"-pll", "PLLE"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    // Nor does an output whose register cannot be read.
    r = board.Rigo({"-pll", "PLLC"});
    EXPECT_EQ(r.out, "");
}

TEST(ClockCommands, PllGrammarAndChips)
{
    SimBoard belk("belk");
    RunResult r = belk.Rigo({"-pll"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, HelpText());

    SimBoard corv("corv");
    r = corv.Rigo({"-pll", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "This operation is not current supported on this platform.\n");
    r = corv.Rigo({"-pll", "PLLC"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, HelpText());

    SimBoard avin("avin");
    r = avin.Rigo({"-PLL", "List", "extra"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Avin not supported at this time.\n");
    EXPECT_EQ(avin.Rigo({"-pll", "PLLC"}).status, 1);

    SimBoard dern("dern");
    EXPECT_EQ(dern.Rigo({"-pll", "list"}).out, "This operation is not current supported on this platform.\n");
}
