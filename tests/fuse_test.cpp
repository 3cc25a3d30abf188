#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "soc/fuse.h"

namespace {

const uint32_t kFuseVisibility = 0x60006048;

uint32_t FuseAddress(int word)
{
    return 0x7000F800 + 4 * word;
}

// The mmap lines of the last run, page addresses only.
Lines Mappings(SimBoard& board)
{
    Lines pages;
    for (const std::string& line : board.Trace())
        if (line.starts_with("mmap "))
            pages.push_back(line.substr(5));
    return pages;
}

const Lines kChipIdOnly = {"0x70000000 4096"};
const Lines kEnableOnly = {"0x70000000 4096", "0x60006000 4096"};
const Lines kFuseRead = {"0x70000000 4096", "0x60006000 4096", "0x7000f000 4096"};

}  // namespace

TEST(FuseFields, WordsAndRedundantPairs)
{
    std::vector<DWORD> fuses(kFuseWords, 0);
    fuses[69] = 0xFFFFFFFF;
    fuses[70] = 0xFFFFC000;
    EXPECT_EQ(FuseSpeedoG(fuses.data()), 0x3FFFCu);
    EXPECT_EQ(FuseSpeedoLP(fuses.data()), 0x3FFFCu);
    EXPECT_EQ(FuseIddqG(fuses.data()), 0u);

    // Each low bit comes from a pair of words; either copy sets it, higher bits never do.
    const struct { int word; DWORD (*value)(const DWORD*); DWORD bit; } pairs[] = {
        {203, FuseSpeedoG, 1}, {205, FuseSpeedoG, 2}, {207, FuseSpeedoLP, 1}, {209, FuseSpeedoLP, 2},
        {211, FuseIddqG, 1},   {213, FuseIddqG, 2},   {215, FuseIddqG, 4},    {217, FuseIddqLP, 1},
        {219, FuseIddqLP, 2},  {221, FuseIddqLP, 4},  {223, FuseIddqLP, 8},
    };
    for (const auto& pair : pairs) {
        for (int copy = 0; copy < 2; ++copy) {
            fuses.assign(kFuseWords, 0xFFFFFFFE);
            fuses[69] = fuses[70] = 0;
            fuses[pair.word + copy] = 1;
            const DWORD* f = fuses.data();
            EXPECT_EQ(FuseSpeedoG(f) | FuseSpeedoLP(f) | FuseIddqG(f) | FuseIddqLP(f), pair.bit) << pair.word + copy;
            EXPECT_EQ(pair.value(f), pair.bit) << pair.word + copy;
        }
    }
}

TEST(FuseCommands, ReferenceBelkLimitsAndEnableFailures)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-fuse"}),
              "    Speedo-G  =     2402 MHz (0x00962)\n"
              "    Speedo-LP =     2241 MHz (0x008C1)\n"
              "    IDDQ-G    =      761 mA  (0x02F9)\n"
              "    IDDQ-LP   =      197 mA  (0x0C5)\n\n");
    // Bit 28 set by read-modify-write; the other enables stay; the whole block in one mapping.
    EXPECT_EQ(board.Word(kFuseVisibility), 0x14000000u);
    EXPECT_EQ(Mappings(board), kFuseRead);
    EXPECT_EQ(board.RigoOut({"-iddqG"}), "    IDDQ-G    =      761 mA  (0x02F9)\n");
    EXPECT_EQ(Mappings(board), kFuseRead);
    EXPECT_EQ(board.RigoOut({"-IDDQLP"}), "    IDDQ-LP   =      197 mA  (0x0C5)\n\n");

    board.SetWord(FuseAddress(70), 0x3FFF);
    for (int word = 211; word <= 224; ++word)
        board.SetWord(FuseAddress(word), 0xFFFFFFFE);
    const struct { const char* command; const char* limit; const char* out; } limits[] = {
        {"-iddqG", "4088", "    IDDQ-G    =     4088 mA  (0x0FF8) *** FAIL ***\n"},
        {"-iddqG", "0xFF9", "    IDDQ-G    =     4088 mA  (0x0FF8) *** PASS ***\n"},
        {"-iddqG", "-1", "    IDDQ-G    =     4088 mA  (0x0FF8) *** PASS ***\n"},
        {"-iddqG", "many", "    IDDQ-G    =     4088 mA  (0x0FF8) *** FAIL ***\n"},
        {"-IddqLP", "496", "    IDDQ-LP    =      496 mA  (0x1F0) *** FAIL ***\n"},
        {"-iddqLP", "497mA", "    IDDQ-LP    =      496 mA  (0x1F0) *** PASS ***\n"},
    };
    for (const auto& limit : limits)
        EXPECT_EQ(board.RigoOut({limit.command, limit.limit}), limit.out);
    // A paired low bit alone.
    board.SetWord(FuseAddress(70), 0);
    board.SetWord(FuseAddress(216), 0xFFFFFFFF);
    EXPECT_EQ(board.RigoOut({"-iddqG", "5"}), "    IDDQ-G    =        4 mA  (0x0004) *** PASS ***\n");

    // A second extra argument is neither form: nothing happens.
    EXPECT_EQ(board.RigoOut({"-iddqG", "5", "6"}), "");
    EXPECT_EQ(Mappings(board), kChipIdOnly);

    // The chip ID read unmaps cleanly, the enable write's unmapping fails: the block is not read.
    board.SetWord(kFuseVisibility, 0x04000000);
    board.Fault("mem munmap after=1");
    for (const Lines& args : {Lines{"-fuse"}, Lines{"-iddqLP"}, Lines{"-iddqG", "1"}}) {
        EXPECT_EQ(board.RigoOut(args), "Failed to enable fuse reads!");
        EXPECT_EQ(board.Word(kFuseVisibility), 0x14000000u);
        EXPECT_EQ(Mappings(board), kEnableOnly);
    }
}

TEST(FuseCommands, ChipGating)
{
    SimBoard corv("corv");
    corv.SetWord(kFuseVisibility, 0);
    // Corv: the fuses are made visible and read, but nothing is printed.
    EXPECT_EQ(corv.RigoOut({"-fuse"}), "");
    EXPECT_EQ(corv.Word(kFuseVisibility), 0x10000000u);
    EXPECT_EQ(Mappings(corv), kFuseRead);
    corv.SetWord(kFuseVisibility, 0);
    for (const Lines& args : {Lines{"-iddqG"}, Lines{"-iddqLP", "100"}}) {
        EXPECT_EQ(corv.RigoOut(args), "Unsupported silicon!");
        EXPECT_EQ(Mappings(corv), kChipIdOnly);
    }
    // The enable write's unmapping fails: the block is not read, and not printed anyway.
    corv.Fault("mem munmap after=1");
    EXPECT_EQ(corv.RigoOut({"-fuse"}), "");
    EXPECT_EQ(Mappings(corv), kEnableOnly);
    for (const char* model : {"avin", "dern", "0x33:1"}) {
        SimBoard board(model);
        for (const Lines& args : {Lines{"-fuse"}, Lines{"-iddqG"}, Lines{"-iddqLP", "7"}}) {
            EXPECT_EQ(board.RigoOut(args), "Unsupported silicon!");
            EXPECT_EQ(Mappings(board), kChipIdOnly);
        }
        EXPECT_EQ(board.Word(kFuseVisibility), 0u);
    }
}
