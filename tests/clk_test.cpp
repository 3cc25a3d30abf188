#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "soc/clocks.h"
#include "e2e.h"

namespace {

const uint32_t kOscControl = 0x60006050;
const uint32_t kPllcBase = 0x60006080;
const uint32_t kPllcOut = 0x60006084;
const uint32_t kPllmBase = 0x60006090;
const uint32_t kPllpBase = 0x600060A0;
const uint32_t kPlleBase = 0x600060E8;
const uint32_t kEmcClockSource = 0x6000619C;

uint32_t PllBase(uint32_t ndiv, uint32_t mdiv, uint32_t pdiv)
{
    return 0x40000000 | (pdiv << 20) | (ndiv << 8) | mdiv;
}

const char kOscError[] = "Error: Failed to obtain OSC frequency on this platform!\n";

}  // namespace

// The two layouts the reference boards do not reach: PLLS's 4-bit M, PLLE's 6-bit P.
TEST(ClockFormulas, PllsAndPlleFieldWidths)
{
    EXPECT_DOUBLE_EQ(PllHertz(PllBase(100, 0x1C, 0), kPllsLayout, 32768.0), 100.0 / 12 * 32768);
    EXPECT_DOUBLE_EQ(PllHertz(0x8000640C, kPlleLayout, 12000000.0), 100000000.0);
    EXPECT_DOUBLE_EQ(PllHertz(0x003F0101, kPlleLayout, 12000000.0), 12000000.0 / std::ldexp(1.0, 63));
}

TEST(ClockCommands, OscillatorCodesGrammarAndEmcSources)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-OSC", "EMC", "extra", "words"}), "12000000   [  12.0 MHz]\n");  // ignores the rest
    const char* const expected[16] = {
        "13000000   [  13.0 MHz]\n", "16800000   [  16.8 MHz]\n", kOscError, kOscError,
        "19200000   [  19.2 MHz]\n", "38400000   [  38.4 MHz]\n", kOscError, kOscError,
        "12000000   [  12.0 MHz]\n", "48000000   [  48.0 MHz]\n", kOscError, kOscError,
        "26000000   [  26.0 MHz]\n", kOscError,                  kOscError, kOscError,
    };
    for (uint32_t code = 0; code < 16; ++code) {
        // The lower bits of the register are other oscillator settings.
        board.SetWord(kOscControl, (code << 28) | 0x0FFFFFFF);
        EXPECT_EQ(board.RigoOut({"-freq", "osc"}), expected[code]) << code;
    }

    EXPECT_EQ(board.RigoOut({"-FREQ", "Emc"}), "333000000  [ 333.0 MHz] PLLM_OUT0\n");
    for (const char* name : {"PLLC", "", "EMCX"})
        EXPECT_EQ(board.RigoOut({"-freq", name}), "");
    for (const Lines& args : {Lines{"-freq"}, Lines{"-freq", "OSC", "extra"}, Lines{"-pll"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));

    board.SetWord(kOscControl, 0x80000000);  // back to 12 MHz
    board.SetWord(kPllmBase, PllBase(666, 12, 0));
    board.SetWord(kPllcBase, PllBase(600, 12, 0));
    board.SetWord(kPllpBase, PllBase(17, 9, 0));
    const std::pair<uint32_t, const char*> cases[] = {
        {0x00000002, "333000000  [ 333.0 MHz] PLLM_OUT0\n"},
        {0x00000000, "666000000  [ 666.0 MHz] PLLM_OUT0\n"},
        {0x0FFFFF01, "444000000  [ 444.0 MHz] PLLM_OUT0\n"},  // bits 27:8 are neither source nor divisor
        {0x40000001, "400000000  [ 400.0 MHz] PLLC_OUT0\n"},
        // PLLP runs from 216 MHz: 17/9 of it is 408 MHz, then divided by 128.5.
        {0x800000FF, "3175097    [   3.2 MHz] PLLP_OUT0\n"},
        {0xC0000000, "12000000   [  12.0 MHz]\n12000000   [  12.0 MHz] CLK_M\n"},
        {0xC0000002, "12000000   [  12.0 MHz]\n6000000    [   6.0 MHz] CLK_M\n"},
        {0x10000002, "Error: Failed to obtain EMC frequency on this platform!\n"},
        {0xF0000002, "Error: Failed to obtain EMC frequency on this platform!\n"},
    };
    for (const auto& [source, out] : cases) {
        board.SetWord(kEmcClockSource, source);
        EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), out);
    }
    // The oscillator as source with an unknown code: its error, then a 0 Hz clock.
    board.SetWord(kEmcClockSource, 0xC0000000);
    board.SetWord(kOscControl, 0x20000000);
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), std::string(kOscError) + "0          [   0.0 MHz] CLK_M\n");

    // Beyond 2^31 Hz the whole hertz print through the signed conversion and saturate;
    // a zero M divider gives infinity, 0/0 not a number; hertz are truncated, not rounded.
    const std::pair<uint32_t, const char*> extremes[] = {
        {PllBase(250, 1, 0), "-1294967296 [3000.0 MHz] PLLM_OUT0\n"},
        {PllBase(1023, 1, 0), "-1         [12276.0 MHz] PLLM_OUT0\n"},
        {PllBase(666, 0, 0), "-1         [   inf MHz] PLLM_OUT0\n"},
        {PllBase(0, 0, 0), "0          [   nan MHz] PLLM_OUT0\n"},
        {PllBase(4, 7, 0), "6857142    [   6.9 MHz] PLLM_OUT0\n"},
    };
    board.SetWord(kEmcClockSource, 0x00000000);
    for (const auto& [pllm, out] : extremes) {
        board.SetWord(kPllmBase, pllm);
        EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), out);
    }
}

TEST(ClockCommands, UnservedChipsAndUnreadableRegisters)
{
    for (const char* model : {"avin", "dern", "0x31:1", "0x36:2"}) {
        SimBoard board(model);
        board.SetWord(kOscControl, 0x80000000);
        board.SetWord(kEmcClockSource, 0x00000002);
        EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), "");
        EXPECT_EQ(board.RigoOut({"-osc"}), kOscError) << model;
        EXPECT_EQ(board.Trace().size(), 4u) << model;  // only the chip ID is read
    }
    SimBoard derivative("0x37:1");
    derivative.SetWord(kOscControl, 0x40000000);
    EXPECT_EQ(derivative.RigoOut({"-osc"}), "19200000   [  19.2 MHz]\n");

    SimBoard board("belk");
    board.Fault("mem munmap after=1");  // the chip ID read unmaps, the next one fails
    EXPECT_EQ(board.RigoOut({"-osc"}), kOscError);
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), "");
    EXPECT_EQ(board.RigoOut({"-pll", "PLLE"}), "");
    EXPECT_EQ(board.RigoOut({"-pll", "PLLC"}), "");
    board.SetFault("mem munmap after=2");  // the EMC source reads, its PLL does not: 0 Hz
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), "0          [   0.0 MHz] PLLM_OUT0\n");
}

TEST(ClockCommands, PllListAndSinglePlls)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-pll", "LIST"}),
              "PLLC_OUT1     240000000 [ 240.0 MHz]\n"
              "PLLM_OUT1     222000000 [ 222.0 MHz]\n"
              "PLLP_OUT1       9600000 [   9.6 MHz]\n"
              "PLLP_OUT2      48000000 [  48.0 MHz]\n"
              "PLLP_OUT3     102000000 [ 102.0 MHz]\n"
              "PLLP_OUT4     204000000 [ 204.0 MHz]\n"
              "PLLP_OUT1       9600000 [   9.6 MHz]\n"
              "PLLE          100000000 [ 100.0 MHz]\n"
              "PLLS             273066 [   0.3 MHz]\n");
    board.SetWord(kPllcBase, PllBase(600, 12, 0));
    board.SetWord(kPllcOut, 0xFFFF0700);  // 7.1 fixed point plus one: 4.5
    EXPECT_EQ(board.RigoOut({"-pll", "pllc"}), "PLLC_OUT1     133333333 [ 133.3 MHz]\n");

    // The upper outputs take their half step from bit 24, each from its own byte.
    board.SetWord(kPllpBase, PllBase(1, 1, 0));
    board.SetWord(0x600060A4, 0x07000600);
    board.SetWord(0x600060A8, 0x06000700);
    EXPECT_EQ(board.RigoOut({"-pll", "PLLP"}),
              "PLLP_OUT1      54000000 [  54.0 MHz]\n"
              "PLLP_OUT2      48000000 [  48.0 MHz]\n"
              "PLLP_OUT3      48000000 [  48.0 MHz]\n"
              "PLLP_OUT4      54000000 [  54.0 MHz]\n");
    EXPECT_EQ(board.RigoOut({"-pll", "plla"}), "PLLP_OUT1      54000000 [  54.0 MHz]\n");

    // A zero M divider in the base feeds the outputs infinity or NaN.
    board.SetWord(kPllcBase, PllBase(600, 0, 0));
    EXPECT_EQ(board.RigoOut({"-pll", "PLLC"}), "PLLC_OUT1            -1 [   inf MHz]\n");
    board.SetWord(kPllcBase, PllBase(0, 0, 0));
    EXPECT_EQ(board.RigoOut({"-pll", "PLLC"}), "PLLC_OUT1             0 [   nan MHz]\n");

    board.SetWord(kPlleBase, 0x00021806);  // PLLE 24/6/4, PLLS M 6, N 0x218, P 0
    EXPECT_EQ(board.RigoOut({"-pll", "PLLE"}), "PLLE           12000000 [  12.0 MHz]\n");
    EXPECT_EQ(board.RigoOut({"-pll", "plls"}), "PLLS            2927274 [   2.9 MHz]\n");
    for (const char* name : {"PLLX", "plld", "list2"})
        EXPECT_EQ(board.RigoOut({"-pll", name}), "");

    // Other chips: Corv and Dern list nothing, Avin says so; a single PLL is a usage error.
    const char kNotSupported[] = "This operation is not current supported on this platform.\n";
    for (const auto& [model, out] : {std::pair{"corv", kNotSupported}, std::pair{"dern", kNotSupported},
                                     std::pair{"avin", "Avin not supported at this time.\n"}}) {
        SimBoard other(model);
        EXPECT_EQ(other.RigoOut({"-PLL", "List", "extra"}), out);
        EXPECT_EQ(other.Rigo({"-pll", "PLLC"}), (RunResult{1, "", HelpText()}));
    }
}
