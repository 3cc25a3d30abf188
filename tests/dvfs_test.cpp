#include <gtest/gtest.h>

#include <string>

#include "e2e.h"

namespace {

// The dump's 115 lines: revision, frequency, "{", 107 registers, "}", four computed lines.
Lines Dump(SimBoard& board)
{
    return SplitLines(board.Rigo({"-dvfs"}).out);
}

}  // namespace

// One register of each block at its offset, the ends of the entry, the lines computed from
// EMC_CFG, the SDRAM frequency and mapping failures.
TEST(DvfsDump, EntryFrequencyAndMappingFailures)
{
    SimBoard board("belk");
    board.SetWord(0x7000F42C, 0x11111111);  // EMC_RC, the first
    board.SetWord(0x7000F520, 0x44444444);  // EMC_CFG_RSV, the last
    board.SetWord(0x7000F6E4, 0x55555555);  // EMC_ZCAL_WAIT_CNT, listed twice
    board.SetWord(0x7000F6A8, 0x001FFFFF);  // EMC_AUTO_CAL_INTERVAL
    board.SetWord(0x7000F40C, 0xFFDFFFFF);  // EMC_CFG: DYN_SELF_REF set, PERIODIC_QRST clear
    Lines lines = Dump(board);
    ASSERT_EQ(lines.size(), 115u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{"0x32,\t\t/* Rev 3.2 */", "333000,\t\t/* SDRAM frequency */", "{", "\t0x11111111, /* EMC_RC */"}));
    EXPECT_EQ(lines[84], "\t0x55555555, /* EMC_ZCAL_WAIT_CNT */");
    EXPECT_EQ(Lines(lines.begin() + 109, lines.end()),
              (Lines{"\t0x44444444, /* EMC_CFG_RSV */", "}", "0x55555555, /* EMC_ZCAL_WAIT_CNT after clock change */",
                     "0x001fffff, /* EMC_AUTO_CAL_INTERVAL */", "0x00000000, /* EMC_CFG.PERIODIC_QRST */",
                     "0x00000001, /* EMC_CFG.DYN_SELF_REF */"}));

    // The EMC clock in whole kilohertz, truncated.
    board.SetWord(0x60006090, 0x40000207);  // PLLM: 12 MHz * 2/7 = 3428571.4 Hz
    board.SetWord(0x6000619C, 0x00000000);  // EMC from PLLM undivided
    EXPECT_EQ(Dump(board)[1], "3428,\t\t/* SDRAM frequency */");

    // Dern's EMC clock is not decoded: the frequency line shows 0.
    SimBoard dern("dern");
    EXPECT_EQ(Dump(dern)[1], "0,\t\t/* SDRAM frequency */");

    // A failed mapping ends the dump after the header; a failed release loses no line.
    board.SetFault("mem mmap after=3");  // the chip ID, the EMC source and PLLM map first
    RunResult result = board.Rigo({"-dvfs"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "0x32,\t\t/* Rev 3.2 */\n3428,\t\t/* SDRAM frequency */\n{\n");
    EXPECT_TRUE(result.err.starts_with("Error at line ")) << result.err;
    board.SetFault("mem munmap after=3");
    EXPECT_EQ(Dump(board).size(), 115u);
    EXPECT_EQ(board.Trace().back(), "close /dev/mem");
}
