#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e.h"

static const uint32_t kRegister = 0x7000F404;

TEST(MemCommands, ReadWriteDumpAndFailures)
{
    SimBoard board("belk");
    board.SetWord(kRegister, 0x1204AB78);
    board.SetWord(0, 0xCAFEF00D);
    const std::pair<Lines, const char*> reads[] = {
        {{"-Rd32", "0x7000f404"}, "0x7000F404 --> 0x1204AB78\n"},
        {{"-RD8", "0x7000F405"}, "0x7000F405 --> 0xAB\n"},
        {{"-rd", "0x7000F404", "0x0000FF00", "S"}, "0x7000F404 --> 0x000000AB\n"},
        {{"-rd", "0", "0x80000000", "s"}, "0x00000000 --> 0x00000001\n"},
        {{"-rd16", "0x7000F406"}, "0x7000F406 --> 0x1204\n"},
    };
    for (const auto& [args, out] : reads)
        EXPECT_EQ(board.RigoOut(args), out);
    // Every access opens, maps, unmaps and closes: nothing stays mapped between the two.
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/mem", "mmap 0x70000000 4096", "munmap 0x70000000 4096", "close /dev/mem",
                                    "open /dev/mem", "mmap 0x7000f000 4096", "munmap 0x7000f000 4096", "close /dev/mem"}));

    const struct { uint32_t before; Lines args; const char* out; uint32_t after; } writes[] = {
        {0xAAAABBBB, {"-wr16", "0x7000F404", "0x1212", "0xFF"}, "0x7000F404 <-- 0x1212\n", 0xAAAABB12},
        {0x12345670, {"-wr32", "0x7000F404", "0xAB", "0x0F"}, "0x7000F404 <-- 0x000000AB\n", 0x1234567B},
        {0xFFFFFFFF, {"-wr8", "0x7000F405", "0x1234"},
         "Error: Write Mismatch [Expected: 0x00001234, Actual: 0x00000034\n", 0xFFFF34FF},
        // Bits outside the mask may be anything: only the masked value has to fit.
        {0x05FF2345, {"-wr8", "0x7000F404", "0x1234", "0xFF"}, "0x7000F404 <-- 0x1234\n", 0x05FF2334},
    };
    for (const auto& write : writes) {
        board.SetWord(kRegister, write.before);
        EXPECT_EQ(board.RigoOut(write.args), write.out);
        EXPECT_EQ(board.Word(kRegister), write.after) << write.args[0] << " " << write.args[2];
    }

    for (const Lines& args : {Lines{"-wr", "0x7000F404"}, Lines{"-rd64", "0x7000F404"}, Lines{"-list", "0", "3", "4"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));

    board.SetWord(0x7000FFF8, 0x11111111);
    board.SetWord(0x7000FFFC, 0x22222222);
    board.SetWord(0x70010000, 0x33333333);
    // A dump across a page end maps the whole range in one mapping.
    EXPECT_EQ(board.RigoOut({"-list", "0x7000fff8", "3"}),
              "0x7000FFF8 --> 0x11111111\n0x7000FFFC --> 0x22222222\n0x70010000 --> 0x33333333\n");
    EXPECT_EQ(board.Trace()[5], "mmap 0x7000f000 8192");
    // A count of 2^31 or more is negative: nothing is dumped.
    EXPECT_EQ(board.RigoOut({"-list", "0x7000F404", "0x80000000"}), "");
    EXPECT_EQ(board.Rigo({"-list", "0xFFFFFFF8", "3"}),
              (RunResult{1, "Error: The dump runs past the end of the 32-bit physical address space.\n", ""}));

    board.SetWord(kRegister, 0x12345678);
    board.Fault("mem munmap after=1");  // the chip ID read still unmaps cleanly
    EXPECT_EQ(board.RigoOut({"-rd", "0x7000F404"}), "Error: Unable to read from the supplied memory location [2]!\n");
    EXPECT_EQ(board.RigoOut({"-wr", "0x7000F404", "0x55"}),
              "Error: Unable to write to the supplied memory location [3]!\n");
    EXPECT_EQ(board.Word(kRegister), 0x55u);
    // The error line names the errno of the failing call.
    board.SetFault("mem mmap after=1 errno=EPERM");
    RunResult result = board.Rigo({"-wr", "0x7000F404", "0x99"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(std::regex_match(result.err, std::regex("Error at line [0-9]+, file mem\\.cpp \\(1\\) "
                                                        "\\[Operation not permitted\\]\n")))
        << result.err;
    EXPECT_EQ(board.Word(kRegister), 0x55u);
}

TEST(ChipInfo, ModelsRevisionsAndDispatch)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0x30:2", "Belk (B02)\n"}, {"0x14:0", "Dern (900)\n"}, {"0x20:15", "Avin (180F)\n"}, {"0x33:1", "UNKNOWN"},
    };
    for (const auto& [model, line] : cases) {
        SimBoard board(model);
        EXPECT_EQ(board.RigoOut({"-chip"}), line) << model;
    }
    // Only bits 15 to 4 of the register count.
    SimBoard board("belk");
    board.SetWord(0x70000804, 0xABCD351F);
    EXPECT_EQ(board.RigoOut({"-CHIP"}), "Corv (A01)\n");

    EXPECT_EQ(board.Rigo({"-VERSION", "ignored"}),
              (RunResult{0, "", "\nRigo : Quorvan Android I/O Utility (v2.6.0, 03/12/2013)\n\n"}));
    EXPECT_EQ(board.Rigo({"rd", "0x7000F404"}), (RunResult{1, "", HelpText()}));
}
