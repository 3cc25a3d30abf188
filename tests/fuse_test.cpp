#include <gtest/gtest.h>

#include <string>

#include "e2e.h"

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

TEST(FuseCommands, ReferenceBelkLimitsEnableFailuresAndOtherChips)
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

    // The low IDDQ bits come from redundant word pairs, the higher bits never do.
    board.SetWord(FuseAddress(70), 0x3FFF);
    for (int word = 211; word <= 224; ++word)
        board.SetWord(FuseAddress(word), 0xFFFFFFFE);
    const struct { const char* command; const char* limit; const char* out; } limits[] = {
        {"-iddqG", "4088", "    IDDQ-G    =     4088 mA  (0x0FF8) *** FAIL ***\n"},
        {"-iddqG", "-1", "    IDDQ-G    =     4088 mA  (0x0FF8) *** PASS ***\n"},
        {"-IddqLP", "496", "    IDDQ-LP    =      496 mA  (0x1F0) *** FAIL ***\n"},
        {"-iddqLP", "497mA", "    IDDQ-LP    =      496 mA  (0x1F0) *** PASS ***\n"},
    };
    for (const auto& limit : limits)
        EXPECT_EQ(board.RigoOut({limit.command, limit.limit}), limit.out);

    board.SetWord(FuseAddress(70), 0);
    board.SetWord(FuseAddress(216), 0xFFFFFFFF);  // the second copy of the third bit alone
    EXPECT_EQ(board.RigoOut({"-iddqG", "5"}), "    IDDQ-G    =        4 mA  (0x0004) *** PASS ***\n");

    // Each low bit is set by either copy of its redundant pair.
    board.SetWord(FuseAddress(69), 0);
    for (int copy = 0; copy < 2; ++copy) {
        for (int word = 203; word <= 224; ++word)
            board.SetWord(FuseAddress(word), (word - 203) % 2 == copy ? 1 : 0);
        EXPECT_EQ(board.RigoOut({"-fuse"}), "    Speedo-G  =        3 MHz (0x00003)\n"
                                            "    Speedo-LP =        3 MHz (0x00003)\n"
                                            "    IDDQ-G    =        7 mA  (0x0007)\n"
                                            "    IDDQ-LP   =       15 mA  (0x00F)\n\n")
            << "copy " << copy;
    }

    // A second extra argument is neither form: nothing happens.
    EXPECT_EQ(board.RigoOut({"-iddqG", "5", "6"}), "");
    EXPECT_EQ(Mappings(board), kChipIdOnly);

    // The chip ID read unmaps cleanly, the enable write's unmapping fails: the block is not read.
    board.SetWord(kFuseVisibility, 0x04000000);
    board.Fault("mem munmap after=1");
    EXPECT_EQ(board.RigoOut({"-iddqG", "1"}), "Failed to enable fuse reads!");
    EXPECT_EQ(board.Word(kFuseVisibility), 0x14000000u);
    EXPECT_EQ(Mappings(board), kEnableOnly);

    SimBoard corv("corv");
    corv.SetWord(kFuseVisibility, 0);
    // Corv: the fuses are made visible and read, but nothing is printed.
    EXPECT_EQ(corv.RigoOut({"-fuse"}), "");
    EXPECT_EQ(corv.Word(kFuseVisibility), 0x10000000u);
    EXPECT_EQ(Mappings(corv), kFuseRead);
    EXPECT_EQ(corv.RigoOut({"-iddqLP", "7"}), "Unsupported silicon!");
    SimBoard dern("dern");
    EXPECT_EQ(dern.RigoOut({"-fuse"}), "Unsupported silicon!");
    EXPECT_EQ(Mappings(dern), kChipIdOnly);
}
