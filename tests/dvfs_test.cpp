#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "e2e.h"

namespace {

const uint32_t kEmcCfg = 0x7000F40C;
const uint32_t kPllmBase = 0x60006090;
const uint32_t kEmcClockSource = 0x6000619C;

// The dump's 115 lines: revision, frequency, "{", 107 registers, "}", four computed lines.
Lines Dump(SimBoard& board)
{
    Lines lines;
    const std::string text = board.Rigo({"-dvfs"}).out;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

// One register of each block at its offset, the ends of the entry, and the lines computed
// from EMC_CFG.
TEST(DvfsDump, BlocksOffsetsAndComputedLines)
{
    SimBoard board("belk");
    board.SetWord(0x7000F42C, 0x11111111);  // EMC_RC, the first
    board.SetWord(0x7000F7DC, 0x22222222);  // EMC_PRE_REFRESH_REQ_CNT, out of address order
    board.SetWord(0x7000F090, 0x33333333);  // MC_EMEM_ARB_CFG
    board.SetWord(0x7000F520, 0x44444444);  // EMC_CFG_RSV, the last
    board.SetWord(0x7000F6E4, 0x55555555);  // EMC_ZCAL_WAIT_CNT, listed twice
    board.SetWord(0x7000F6A8, 0x001FFFFF);  // EMC_AUTO_CAL_INTERVAL
    board.SetWord(kEmcCfg, 0xEFDFFFFF);
    Lines lines = Dump(board);
    ASSERT_EQ(lines.size(), 115u);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4),
              (Lines{"0x32,\t\t/* Rev 3.2 */", "333000,\t\t/* SDRAM frequency */", "{", "\t0x11111111, /* EMC_RC */"}));
    EXPECT_EQ(lines[23], "\t0x22222222, /* EMC_PRE_REFRESH_REQ_CNT */");
    EXPECT_EQ(lines[90], "\t0x33333333, /* MC_EMEM_ARB_CFG */");
    EXPECT_EQ(lines[84], "\t0x55555555, /* EMC_ZCAL_WAIT_CNT */");
    EXPECT_EQ(Lines(lines.begin() + 109, lines.end()),
              (Lines{"\t0x44444444, /* EMC_CFG_RSV */", "}", "0x55555555, /* EMC_ZCAL_WAIT_CNT after clock change */",
                     "0x001fffff, /* EMC_AUTO_CAL_INTERVAL */", "0x00000000, /* EMC_CFG.PERIODIC_QRST */",
                     "0x00000000, /* EMC_CFG.DYN_SELF_REF */"}));
    for (const auto& [cfg, qrst, selfRef] : {std::tuple{0x10000000u, "0", "1"}, std::tuple{0x00200000u, "1", "0"}}) {
        board.SetWord(kEmcCfg, cfg);
        lines = Dump(board);
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[113], std::string("0x0000000") + qrst + ", /* EMC_CFG.PERIODIC_QRST */");
        EXPECT_EQ(lines[114], std::string("0x0000000") + selfRef + ", /* EMC_CFG.DYN_SELF_REF */");
    }
    // The page is mapped once per block and released in the same order.
    const Lines trace = board.Trace();
    EXPECT_EQ(Lines(trace.end() - 5, trace.end()),
              (Lines{"mmap 0x7000f000 4096", "mmap 0x7000f000 4096", "munmap 0x7000f000 4096",
                     "munmap 0x7000f000 4096", "close /dev/mem"}));
}

// The EMC clock in whole kilohertz, truncated; 0 where the clock is not decoded.
TEST(DvfsDump, SdramFrequency)
{
    SimBoard board("belk");
    board.SetWord(kPllmBase, 0x40000207);  // 12 MHz * 2/7 = 3428571.4 Hz
    board.SetWord(kEmcClockSource, 0x00000000);
    EXPECT_EQ(Dump(board)[1], "3428,\t\t/* SDRAM frequency */");
    board.SetWord(kEmcClockSource, 0x20000000);  // a source outside the table
    EXPECT_EQ(Dump(board)[1], "0,\t\t/* SDRAM frequency */");
    SimBoard corv("corv");
    EXPECT_EQ(Dump(corv)[1], "396000,\t\t/* SDRAM frequency */");
    SimBoard avin("avin");
    EXPECT_EQ(Dump(avin)[1], "0,\t\t/* SDRAM frequency */");
}

// Each mapping reports its own site after the header; a failed release loses no line.
TEST(DvfsDump, MappingFailures)
{
    SimBoard board("belk");
    std::string sites[2];
    for (int after : {3, 4}) {  // the chip ID, the EMC source and PLLM map first
        board.SetFault("mem mmap after=" + std::to_string(after));
        RunResult r = board.Rigo({"-dvfs"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "0x32,\t\t/* Rev 3.2 */\n333000,\t\t/* SDRAM frequency */\n{\n");
        EXPECT_TRUE(r.err.starts_with("Error at line ")) << r.err;
        sites[after - 3] = r.err.substr(0, r.err.find(','));
    }
    EXPECT_NE(sites[0], sites[1]);
    board.SetFault("mem munmap after=3");
    EXPECT_EQ(Dump(board).size(), 115u);
    EXPECT_EQ(board.Trace().back(), "close /dev/mem");
}
