#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

const char kBanner[] = "\nRigo : Quorvan Android I/O Utility (v2.6.0, 03/12/2013)\n\n";
const uint32_t kRegister = 0x7000F404;

void ExpectMemError(const RunResult& result, int error, const std::string& text)
{
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    std::regex line("Error at line [0-9]+, file mem\\.cpp \\(" + std::to_string(error) + "\\) \\[" + text + "\\]\n");
    EXPECT_TRUE(std::regex_match(result.err, line)) << result.err;
}

}  // namespace

TEST(MemCommands, ReadWriteAndDump)
{
    SimBoard board("belk");
    board.SetWord(kRegister, 0x1204AB78);
    board.SetWord(0, 0xCAFEF00D);
    const std::pair<Lines, const char*> reads[] = {
        {{"-rd", "0x7000F404"}, "0x7000F404 --> 0x1204AB78\n"},
        {{"-Rd32", "0x7000f404"}, "0x7000F404 --> 0x1204AB78\n"},
        {{"-RD16", "0x7000F404"}, "0x7000F404 --> 0xAB78\n"},
        {{"-rd16", "0x7000F406"}, "0x7000F406 --> 0x1204\n"},
        {{"-rd8", "0x7000F405"}, "0x7000F405 --> 0xAB\n"},
        {{"-rd", "abc"}, "0x00000000 --> 0xCAFEF00D\n"},  // no number reads as 0
        {{"-rd", "0x7000F404", "0x0000FF00"}, "0x7000F404 --> 0x0000AB00\n"},
        {{"-rd", "0x7000F404", "0x0000FF00", "shift"}, "0x7000F404 --> 0x000000AB\n"},
        {{"-rd", "0x7000F404", "0x0000FF00", "S"}, "0x7000F404 --> 0x000000AB\n"},
        {{"-rd", "0x7000F404", "0xFF", "x", "more"}, "0x7000F404 --> 0x00000078\n"},
        {{"-rd16", "0x7000F404", "0xF0", "s"}, "0x7000F404 --> 0x0007\n"},
        {{"-rd8", "0x7000F404", "0x0"}, "0x7000F404 --> 0x00\n"},
        {{"-rd", "0", "0x80000000", "s"}, "0x00000000 --> 0x00000001\n"},
    };
    for (const auto& [args, out] : reads)
        EXPECT_EQ(board.RigoOut(args), out);
    // One page mapped per access, after the chip ID's.
    board.Rigo({"-rd", "0x7000F404"});
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/mem", "mmap 0x70000000 4096", "munmap 0x70000000 4096", "close /dev/mem",
                                    "open /dev/mem", "mmap 0x7000f000 4096", "munmap 0x7000f000 4096",
                                    "close /dev/mem"}));

    const struct { uint32_t before; Lines args; const char* out; uint32_t after; } writes[] = {
        {0, {"-wr", "0x7000F404", "0x12121212"}, "0x7000F404 <-- 0x12121212\n", 0x12121212},
        {0xAAAABBBB, {"-wr16", "0x7000F404", "0x1212", "0xFF"}, "0x7000F404 <-- 0x1212\n", 0xAAAABB12},
        {0x12345670, {"-wr32", "0x7000F404", "0xAB", "0x0F"}, "0x7000F404 <-- 0x000000AB\n", 0x1234567B},
        {0xFFFFFFFF, {"-WR8", "0x7000F407", "0x5"}, "0x7000F407 <-- 0x05\n", 0x05FFFFFF},
        {0xFFFFFFFF, {"-wr8", "0x7000F405", "0x1234"},
         "Error: Write Mismatch [Expected: 0x00001234, Actual: 0x00000034\n", 0xFFFF34FF},
        {0x05FF34FF, {"-wr16", "0x7000F404", "0x12345"},
         "Error: Write Mismatch [Expected: 0x00012345, Actual: 0x00002345\n", 0x05FF2345},
        // Bits outside the mask may be anything: only the masked value has to fit.
        {0x05FF2345, {"-wr8", "0x7000F404", "0x1234", "0xFF"}, "0x7000F404 <-- 0x1234\n", 0x05FF2334},
    };
    for (const auto& write : writes) {
        board.SetWord(kRegister, write.before);
        EXPECT_EQ(board.RigoOut(write.args), write.out);
        EXPECT_EQ(board.Word(kRegister), write.after) << write.args[0] << " " << write.args[2];
    }
    board.Rigo({"-wr8", "0x60006FFF", "1"});
    EXPECT_EQ(board.Trace()[5], "mmap 0x60006000 4096");

    board.SetWord(kRegister, 0);
    for (const Lines& args : {Lines{"-rd"}, Lines{"-wr", "0x7000F404"}, Lines{"-rd64", "0x7000F404"},
                              Lines{"-list", "0x7000F404"}, Lines{"-list", "0x7000F404", "3", "4"}})
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));
    EXPECT_EQ(board.Word(kRegister), 0u);

    board.SetWord(0x7000FFF8, 0x11111111);
    board.SetWord(0x7000FFFC, 0x22222222);
    board.SetWord(0x70010000, 0x33333333);
    // A dump across a page end maps the whole range in one mapping.
    EXPECT_EQ(board.RigoOut({"-list", "0x7000fff8", "3"}),
              "0x7000FFF8 --> 0x11111111\n0x7000FFFC --> 0x22222222\n0x70010000 --> 0x33333333\n");
    Lines trace = board.Trace();
    ASSERT_EQ(trace.size(), 8u);
    EXPECT_EQ(trace[5], "mmap 0x7000f000 8192");
    EXPECT_EQ(trace[6], "munmap 0x7000f000 8192");
    board.Rigo({"-list", "0x7000F000", "1024"});
    EXPECT_EQ(board.Trace()[5], "mmap 0x7000f000 4096");

    // Count 0, a non-number and a count of 2^31 or more (negative) dump nothing, but still map.
    for (const char* count : {"0", "none", "0x80000000"}) {
        EXPECT_EQ(board.RigoOut({"-list", "0x7000F404", count}), "") << count;
        EXPECT_EQ(board.Trace().size(), 8u) << count;
    }
    EXPECT_EQ(board.Rigo({"-list", "0x7000F404", "1048577"}),
              (RunResult{1, "Error: At most 1048576 DWORD values can be dumped at once.\n", ""}));
    EXPECT_EQ(board.Trace().size(), 4u);  // only the chip ID read
    EXPECT_EQ(board.Rigo({"-list", "0xFFFFFFF8", "3"}),
              (RunResult{1, "Error: The dump runs past the end of the 32-bit physical address space.\n", ""}));
    EXPECT_EQ(board.RigoOut({"-list", "0xFFFFFFF8", "2"}), "0xFFFFFFF8 --> 0x00000000\n0xFFFFFFFC --> 0x00000000\n");
}

TEST(MemFaults, UnmapOpenAndMapFailures)
{
    SimBoard board("belk");
    board.SetWord(kRegister, 0x12345678);
    board.Fault("mem munmap after=1");  // the chip ID read still unmaps cleanly
    EXPECT_EQ(board.RigoOut({"-rd", "0x7000F404"}), "Error: Unable to read from the supplied memory location [2]!\n");
    EXPECT_EQ(board.Trace()[6], "munmap 0x7000f000 4096 failed EINVAL");
    EXPECT_EQ(board.RigoOut({"-wr", "0x7000F404", "0x55"}),
              "Error: Unable to write to the supplied memory location [3]!\n");
    EXPECT_EQ(board.Word(kRegister), 0x55u);
    // A failed unmap of the chip ID read leaves the chip unknown.
    board.SetFault("mem munmap");
    EXPECT_EQ(board.RigoOut({"-chip"}), "UNKNOWN");

    // The error line names the errno of the failing call.
    board.SetFault("mem open errno=EACCES");
    ExpectMemError(board.Rigo({"-rd", "0x7000F404"}), 13, "Permission denied");
    EXPECT_EQ(board.Trace(), Lines{"open /dev/mem failed EACCES"});
    board.SetFault("mem mmap after=1 errno=EPERM");
    ExpectMemError(board.Rigo({"-wr", "0x7000F404", "0x99"}), 1, "Operation not permitted");
    EXPECT_EQ(board.Word(kRegister), 0x55u);
}

TEST(ChipInfo, ModelsRevisionsAndDispatch)
{
    const std::pair<const char*, const char*> cases[] = {
        {"avin", "Avin (A01)\n"},   {"belk", "Belk (A01)\n"},   {"corv", "Corv (A01)\n"},
        {"dern", "Dern (A01)\n"},   {"0x13:1", "Corv (A01)\n"}, {"0x30:2", "Belk (B02)\n"},
        {"0x35:3", "Corv (C03)\n"}, {"0x14:0", "Dern (900)\n"}, {"0x20:15", "Avin (180F)\n"},
        {"0x33:1", "UNKNOWN"},      {"0x77", "UNKNOWN"},
    };
    for (const auto& [model, line] : cases) {
        SimBoard board(model);
        EXPECT_EQ(board.RigoOut({"-chip"}), line) << model;
    }
    // Only bits 15 to 4 of the register count.
    SimBoard board("belk");
    board.SetWord(0x70000804, 0xABCD351F);
    EXPECT_EQ(board.RigoOut({"-CHIP"}), "Corv (A01)\n");

    for (const char* keyword : {"-?", "-v", "-Ver", "-VERSION", "-version"})
        EXPECT_EQ(board.Rigo({keyword, "ignored"}), (RunResult{0, "", kBanner})) << keyword;
    EXPECT_EQ(board.Rigo({}), (RunResult{1, "", HelpText()}));
    EXPECT_TRUE(board.Trace().empty());  // no command: not even the chip ID is read
    for (const char* command : {"-bogus", "rd", ""})
        EXPECT_EQ(board.Rigo({command, "0x7000F404"}), (RunResult{1, "", HelpText()}));
}
