#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "e2e.h"

namespace {

struct Entry {
    std::string name;
    uint32_t address;
};

// The registers of one DVFS table entry, in table order.
std::vector<Entry> Entries()
{
    std::vector<Entry> entries = {
        {"EMC_RC", 0x7000F42C}, {"EMC_RFC", 0x7000F430}, {"EMC_RAS", 0x7000F434}, {"EMC_RP", 0x7000F438},
        {"EMC_R2W", 0x7000F43C}, {"EMC_W2R", 0x7000F440}, {"EMC_R2P", 0x7000F444}, {"EMC_W2P", 0x7000F448},
        {"EMC_RD_RCD", 0x7000F44C}, {"EMC_WR_RCD", 0x7000F450}, {"EMC_RRD", 0x7000F454}, {"EMC_REXT", 0x7000F458},
        {"EMC_WEXT", 0x7000F4B8}, {"EMC_WDV", 0x7000F45C}, {"EMC_QUSE", 0x7000F460}, {"EMC_QRST", 0x7000F464},
        {"EMC_QSAFE", 0x7000F468}, {"EMC_RDV", 0x7000F46C}, {"EMC_REFRESH", 0x7000F470},
        {"EMC_BURST_REFRESH_NUM", 0x7000F474}, {"EMC_PRE_REFRESH_REQ_CNT", 0x7000F7DC},
        {"EMC_PDEX2WR", 0x7000F478}, {"EMC_PDEX2RD", 0x7000F47C}, {"EMC_PCHG2PDEN", 0x7000F480},
        {"EMC_ACT2PDEN", 0x7000F484}, {"EMC_AR2PDEN", 0x7000F488}, {"EMC_RW2PDEN", 0x7000F48C},
        {"EMC_TXSR", 0x7000F490}, {"EMC_TXSRDLL", 0x7000F7E4}, {"EMC_TCKE", 0x7000F494}, {"EMC_TFAW", 0x7000F498},
        {"EMC_TRPAB", 0x7000F49C}, {"EMC_TCLKSTABLE", 0x7000F4A0}, {"EMC_TCLKSTOP", 0x7000F4A4},
        {"EMC_TREFBW", 0x7000F4A8}, {"EMC_QUSE_EXTRA", 0x7000F4AC}, {"EMC_FBIO_CFG6", 0x7000F514},
        {"EMC_ODT_WRITE", 0x7000F4B0}, {"EMC_ODT_READ", 0x7000F4B4}, {"EMC_FBIO_CFG5", 0x7000F504},
        {"EMC_CFG_DIG_DLL", 0x7000F6BC}, {"EMC_CFG_DIG_DLL_PERIOD", 0x7000F6C0},
    };
    // Four runs of numbered registers, each at consecutive words.
    for (const auto& [prefix, first, count] : {std::tuple{"EMC_DLL_XFORM_DQS", 0x7000F728u, 8},
                                               std::tuple{"EMC_DLL_XFORM_QUSE", 0x7000F748u, 8},
                                               std::tuple{"EMC_DLI_TRIM_TXDQS", 0x7000F7A8u, 8},
                                               std::tuple{"EMC_DLL_XFORM_DQ", 0x7000F768u, 4}})
        for (int i = 0; i < count; ++i)
            entries.push_back({prefix + std::to_string(i), first + 4 * i});
    entries.insert(entries.end(), {
        {"EMC_XM2CMDPADCTRL", 0x7000F6F0}, {"EMC_XM2DQSPADCTRL2", 0x7000F6FC}, {"EMC_XM2DQPADCTRL2", 0x7000F704},
        {"EMC_XM2CLKPADCTRL", 0x7000F708}, {"EMC_XM2COMPPADCTRL", 0x7000F70C},
        {"EMC_XM2VTTGENPADCTRL", 0x7000F710}, {"EMC_XM2VTTGENPADCTRL2", 0x7000F714},
        {"EMC_XM2QUSEPADCTRL", 0x7000F718}, {"EMC_XM2DQSPADCTRL3", 0x7000F4F8}, {"EMC_CTT_TERM_CTRL", 0x7000F6DC},
        {"EMC_ZCAL_INTERVAL", 0x7000F6E0}, {"EMC_ZCAL_WAIT_CNT", 0x7000F6E4}, {"EMC_MRS_WAIT_CNT", 0x7000F4C8},
        {"EMC_AUTO_CAL_CONFIG", 0x7000F6A4}, {"EMC_CTT", 0x7000F4BC}, {"EMC_CTT_DURATION", 0x7000F6D8},
        {"EMC_DYN_SELF_REF_CONTROL", 0x7000F7E0}, {"MC_EMEM_ARB_CFG", 0x7000F090},
        {"MC_EMEM_ARB_OUTSTANDING_REQ", 0x7000F094}, {"MC_EMEM_ARB_TIMING_RCD", 0x7000F098},
        {"MC_EMEM_ARB_TIMING_RP", 0x7000F09C}, {"MC_EMEM_ARB_TIMING_RC", 0x7000F0A0},
        {"MC_EMEM_ARB_TIMING_RAS", 0x7000F0A4}, {"MC_EMEM_ARB_TIMING_FAW", 0x7000F0A8},
        {"MC_EMEM_ARB_TIMING_RRD", 0x7000F0AC}, {"MC_EMEM_ARB_TIMING_RAP2PRE", 0x7000F0B0},
        {"MC_EMEM_ARB_TIMING_WAP2PRE", 0x7000F0B4}, {"MC_EMEM_ARB_TIMING_R2R", 0x7000F0B8},
        {"MC_EMEM_ARB_TIMING_W2W", 0x7000F0BC}, {"MC_EMEM_ARB_TIMING_R2W", 0x7000F0C0},
        {"MC_EMEM_ARB_TIMING_W2R", 0x7000F0C4}, {"MC_EMEM_ARB_DA_TURNS", 0x7000F0D0},
        {"MC_EMEM_ARB_DA_COVERS", 0x7000F0D4}, {"MC_EMEM_ARB_MISC0", 0x7000F0D8},
        {"MC_EMEM_ARB_RING1_THROTTLE", 0x7000F0E0}, {"EMC_FBIO_SPARE", 0x7000F500}, {"EMC_CFG_RSV", 0x7000F520},
    });
    return entries;
}

const uint32_t kEmcCfg = 0x7000F40C;
const uint32_t kPllmBase = 0x60006090;
const uint32_t kEmcClockSource = 0x6000619C;

std::string Line(const char* prefix, uint32_t value, const std::string& name)
{
    char text[128];
    snprintf(text, sizeof text, "%s0x%08x, /* %s */\n", prefix, value, name.c_str());
    return text;
}

const std::string kHeader333 = "0x32,\t\t/* Rev 3.2 */\n333000,\t\t/* SDRAM frequency */\n{\n";

Lines Split(const std::string& text)
{
    Lines lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

TEST(DvfsDump, WholeEntryInTableOrder)
{
    SimBoard board("belk");
    // A distinct value per register, so a swapped or misplaced read shows.
    const std::vector<Entry> entries = Entries();
    ASSERT_EQ(entries.size(), 107u);
    uint32_t value = 0x13570000;
    for (const Entry& entry : entries)
        board.SetWord(entry.address, value += 0x01010101);
    board.SetWord(0x7000F6A8, 0x001FFFFF);
    board.SetWord(kEmcCfg, 0xEFDFFFFF);

    std::string expected = kHeader333;
    for (const Entry& entry : entries)
        expected += Line("\t", board.Word(entry.address), entry.name);
    expected += "}\n" + Line("", board.Word(0x7000F6E4), "EMC_ZCAL_WAIT_CNT after clock change") +
                Line("", 0x001FFFFF, "EMC_AUTO_CAL_INTERVAL") + Line("", 0, "EMC_CFG.PERIODIC_QRST") +
                Line("", 0, "EMC_CFG.DYN_SELF_REF");
    EXPECT_EQ(board.RigoOut({"-DVFS", "ignored"}), expected);

    // One descriptor for the dump, held open while the EMC clock is read through
    // single accesses, then the page mapped twice and released in the same order.
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/mem", "mmap 0x70000000 4096", "munmap 0x70000000 4096",
                                    "close /dev/mem", "open /dev/mem", "open /dev/mem", "mmap 0x60006000 4096",
                                    "munmap 0x60006000 4096", "close /dev/mem", "open /dev/mem",
                                    "mmap 0x60006000 4096", "munmap 0x60006000 4096", "close /dev/mem",
                                    "mmap 0x7000f000 4096", "mmap 0x7000f000 4096", "munmap 0x7000f000 4096",
                                    "munmap 0x7000f000 4096", "close /dev/mem"}));

    // EMC_CFG bits 21 and 28 as they are.
    for (const auto& [cfg, qrst, selfRef] : {std::tuple{0x10000000u, 0, 1}, std::tuple{0x00200000u, 1, 0}}) {
        board.SetWord(kEmcCfg, cfg);
        const Lines lines = Split(board.RigoOut({"-dvfs"}));
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[113], "0x0000000" + std::to_string(qrst) + ", /* EMC_CFG.PERIODIC_QRST */");
        EXPECT_EQ(lines[114], "0x0000000" + std::to_string(selfRef) + ", /* EMC_CFG.DYN_SELF_REF */");
    }
}

TEST(DvfsDump, SdramFrequency)
{
    auto sdram = [](SimBoard& board) {
        Lines lines = Split(board.Rigo({"-dvfs"}).out);
        return lines.size() == 115 ? lines[1] : "(" + std::to_string(lines.size()) + " lines)";
    };
    SimBoard board("belk");
    EXPECT_EQ(sdram(board), "333000,\t\t/* SDRAM frequency */");
    // 12 MHz * 2/7 = 3428571.4 Hz: truncated to whole kHz, not rounded.
    board.SetWord(kPllmBase, 0x40000207);
    board.SetWord(kEmcClockSource, 0x00000000);
    EXPECT_EQ(sdram(board), "3428,\t\t/* SDRAM frequency */");
    board.SetWord(kPllmBase, 0x40000200);  // an M divider of 0: infinite, saturated
    EXPECT_EQ(sdram(board), "-1,\t\t/* SDRAM frequency */");
    board.SetWord(kEmcClockSource, 0x20000000);  // a source outside the table
    EXPECT_EQ(sdram(board), "0,\t\t/* SDRAM frequency */");
    for (const auto& [model, line] : {std::pair{"avin", "0,\t\t/* SDRAM frequency */"},
                                      std::pair{"corv", "396000,\t\t/* SDRAM frequency */"},
                                      std::pair{"dern", "0,\t\t/* SDRAM frequency */"}}) {
        SimBoard other(model);
        EXPECT_EQ(sdram(other), line) << model;
    }
}

TEST(DvfsDump, MappingFailures)
{
    SimBoard board("belk");
    // Three single accesses map before the dump: the chip ID, the EMC source and PLLM.
    std::string places[2];
    for (int after : {3, 4}) {
        board.SetFault("mem mmap after=" + std::to_string(after));
        RunResult r = board.Rigo({"-dvfs"});
        EXPECT_EQ(r.status, 1) << after;
        EXPECT_EQ(r.out, kHeader333) << after;
        EXPECT_TRUE(r.err.starts_with("Error at line ")) << r.err;
        EXPECT_TRUE(r.err.ends_with(" (12) [Cannot allocate memory]\n")) << r.err;
        places[after - 3] = r.err.substr(0, r.err.find(','));
    }
    EXPECT_NE(places[0], places[1]);  // each mapping reports its own source line

    // A failed release of either mapping keeps the other; the output is complete.
    for (const auto& [after, lastMapLine] : {std::pair{3, "mmap 0x7000f000 4096"},
                                             std::pair{4, "munmap 0x7000f000 4096"}}) {
        board.SetFault("mem munmap after=" + std::to_string(after));
        RunResult r = board.Rigo({"-dvfs"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(Split(r.out).size(), 115u);
        const Lines trace = board.Trace();
        ASSERT_GE(trace.size(), 3u);
        EXPECT_EQ(Lines(trace.end() - 3, trace.end()),
                  (Lines{lastMapLine, "munmap 0x7000f000 4096 failed EINVAL", "close /dev/mem"}));
    }
}
