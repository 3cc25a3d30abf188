#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e.h"

namespace {

const uint32_t kOscControl = 0x60006050;
const uint32_t kPllcBase = 0x60006080;
const uint32_t kPllmBase = 0x60006090;
const uint32_t kPllpBase = 0x600060A0;
const uint32_t kPlleBase = 0x600060E8;
const uint32_t kEmcClockSource = 0x6000619C;

uint32_t PllBase(uint32_t ndiv, uint32_t mdiv)
{
    return 0x40000000 | (ndiv << 8) | mdiv;
}

const char kOscError[] = "Error: Failed to obtain OSC frequency on this platform!\n";

}  // namespace

TEST(ClockCommands, OscillatorCodesGrammarAndEmcSources)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-OSC", "EMC", "extra", "words"}), "12000000   [  12.0 MHz]\n");  // ignores the rest
    // The frequency code is the top nibble; the lower bits are other oscillator settings.
    for (const auto& [code, out] : {std::pair{0x5u, "38400000   [  38.4 MHz]\n"}, std::pair{0xDu, kOscError}}) {
        board.SetWord(kOscControl, (code << 28) | 0x0FFFFFFF);
        EXPECT_EQ(board.RigoOut({"-freq", "osc"}), out) << code;
    }
    for (const Lines& args : {Lines{"-freq"}, Lines{"-freq", "OSC", "extra"}, Lines{"-pll"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));

    board.SetWord(kOscControl, 0x80000000);  // back to 12 MHz
    board.SetWord(kPllmBase, PllBase(666, 12));
    board.SetWord(kPllcBase, PllBase(600, 12));
    board.SetWord(kPllpBase, PllBase(17, 9));
    const std::pair<uint32_t, const char*> cases[] = {
        {0x0FFFFF01, "444000000  [ 444.0 MHz] PLLM_OUT0\n"},  // bits 27:8 are neither source nor divisor
        {0x40000001, "400000000  [ 400.0 MHz] PLLC_OUT0\n"},
        // PLLP runs from 216 MHz: 17/9 of it is 408 MHz, then divided by 128.5.
        {0x800000FF, "3175097    [   3.2 MHz] PLLP_OUT0\n"},
        {0xC0000002, "12000000   [  12.0 MHz]\n6000000    [   6.0 MHz] CLK_M\n"},
        {0x10000002, "Error: Failed to obtain EMC frequency on this platform!\n"},
    };
    for (const auto& [source, out] : cases) {
        board.SetWord(kEmcClockSource, source);
        EXPECT_EQ(board.RigoOut({"-FREQ", "Emc"}), out);
    }
    // The oscillator as source with an unknown code: its error, then a 0 Hz clock.
    board.SetWord(kEmcClockSource, 0xC0000000);
    board.SetWord(kOscControl, 0x20000000);
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), std::string(kOscError) + "0          [   0.0 MHz] CLK_M\n");

    // Past 2^31 Hz the signed conversion wraps, then saturates; a zero M divider: inf, nan.
    board.SetWord(kEmcClockSource, 0x00000000);
    board.SetWord(kPllmBase, PllBase(250, 1));
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), "-1294967296 [3000.0 MHz] PLLM_OUT0\n");
    board.SetWord(kPllmBase, PllBase(666, 0));
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), "-1         [   inf MHz] PLLM_OUT0\n");
}

TEST(ClockCommands, PllsOtherChipsAndUnreadableRegisters)
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
    // Each output divider is 7.1 fixed point in its own byte of the pair's word.
    board.SetWord(kPllpBase, PllBase(1, 1));
    board.SetWord(0x600060A4, 0x07000600);
    EXPECT_EQ(board.RigoOut({"-pll", "PLLP"}),
              "PLLP_OUT1      54000000 [  54.0 MHz]\n"
              "PLLP_OUT2      48000000 [  48.0 MHz]\n"
              "PLLP_OUT3      54000000 [  54.0 MHz]\n"
              "PLLP_OUT4     108000000 [ 108.0 MHz]\n");

    board.SetWord(kPlleBase, 0x00021806);  // PLLE 24/6/4, PLLS M 6, N 0x218, P 0
    EXPECT_EQ(board.RigoOut({"-pll", "plls"}), "PLLS            2927274 [   2.9 MHz]\n");

    // Other chips: Dern lists nothing, Avin says so; a single PLL is a usage error.
    for (const auto& [model, out] : {std::pair{"dern", "This operation is not current supported on this platform.\n"},
                                     std::pair{"avin", "Avin not supported at this time.\n"}}) {
        SimBoard other(model);
        EXPECT_EQ(other.RigoOut({"-PLL", "List", "extra"}), out);
        EXPECT_EQ(other.Rigo({"-pll", "PLLC"}), (RunResult{1, "", HelpText()}));
        EXPECT_EQ(other.RigoOut({"-osc"}), kOscError);
        EXPECT_EQ(other.Trace().size(), 4u);  // only the chip ID is read
    }

    board.Fault("mem munmap after=1");  // the chip ID read unmaps, the next one fails
    EXPECT_EQ(board.RigoOut({"-osc"}), kOscError);
    board.SetFault("mem munmap after=2");  // the EMC source reads, its PLL does not: 0 Hz
    EXPECT_EQ(board.RigoOut({"-freq", "EMC"}), "0          [   0.0 MHz] PLLM_OUT0\n");
}
