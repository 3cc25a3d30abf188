#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

struct Entry {
    const char* name;
    uint32_t address;
};

// The registers of one DVFS table entry, in table order.
const Entry kEntries[] = {
    {"EMC_RC", 0x7000F42C},
    {"EMC_RFC", 0x7000F430},
    {"EMC_RAS", 0x7000F434},
    {"EMC_RP", 0x7000F438},
    {"EMC_R2W", 0x7000F43C},
    {"EMC_W2R", 0x7000F440},
    {"EMC_R2P", 0x7000F444},
    {"EMC_W2P", 0x7000F448},
    {"EMC_RD_RCD", 0x7000F44C},
    {"EMC_WR_RCD", 0x7000F450},
    {"EMC_RRD", 0x7000F454},
    {"EMC_REXT", 0x7000F458},
    {"EMC_WEXT", 0x7000F4B8},
    {"EMC_WDV", 0x7000F45C},
    {"EMC_QUSE", 0x7000F460},
    {"EMC_QRST", 0x7000F464},
    {"EMC_QSAFE", 0x7000F468},
    {"EMC_RDV", 0x7000F46C},
    {"EMC_REFRESH", 0x7000F470},
    {"EMC_BURST_REFRESH_NUM", 0x7000F474},
    {"EMC_PRE_REFRESH_REQ_CNT", 0x7000F7DC},
    {"EMC_PDEX2WR", 0x7000F478},
    {"EMC_PDEX2RD", 0x7000F47C},
    {"EMC_PCHG2PDEN", 0x7000F480},
    {"EMC_ACT2PDEN", 0x7000F484},
    {"EMC_AR2PDEN", 0x7000F488},
    {"EMC_RW2PDEN", 0x7000F48C},
    {"EMC_TXSR", 0x7000F490},
    {"EMC_TXSRDLL", 0x7000F7E4},
    {"EMC_TCKE", 0x7000F494},
    {"EMC_TFAW", 0x7000F498},
    {"EMC_TRPAB", 0x7000F49C},
    {"EMC_TCLKSTABLE", 0x7000F4A0},
    {"EMC_TCLKSTOP", 0x7000F4A4},
    {"EMC_TREFBW", 0x7000F4A8},
    {"EMC_QUSE_EXTRA", 0x7000F4AC},
    {"EMC_FBIO_CFG6", 0x7000F514},
    {"EMC_ODT_WRITE", 0x7000F4B0},
    {"EMC_ODT_READ", 0x7000F4B4},
    {"EMC_FBIO_CFG5", 0x7000F504},
    {"EMC_CFG_DIG_DLL", 0x7000F6BC},
    {"EMC_CFG_DIG_DLL_PERIOD", 0x7000F6C0},
    {"EMC_DLL_XFORM_DQS0", 0x7000F728},
    {"EMC_DLL_XFORM_DQS1", 0x7000F72C},
    {"EMC_DLL_XFORM_DQS2", 0x7000F730},
    {"EMC_DLL_XFORM_DQS3", 0x7000F734},
    {"EMC_DLL_XFORM_DQS4", 0x7000F738},
    {"EMC_DLL_XFORM_DQS5", 0x7000F73C},
    {"EMC_DLL_XFORM_DQS6", 0x7000F740},
    {"EMC_DLL_XFORM_DQS7", 0x7000F744},
    {"EMC_DLL_XFORM_QUSE0", 0x7000F748},
    {"EMC_DLL_XFORM_QUSE1", 0x7000F74C},
    {"EMC_DLL_XFORM_QUSE2", 0x7000F750},
    {"EMC_DLL_XFORM_QUSE3", 0x7000F754},
    {"EMC_DLL_XFORM_QUSE4", 0x7000F758},
    {"EMC_DLL_XFORM_QUSE5", 0x7000F75C},
    {"EMC_DLL_XFORM_QUSE6", 0x7000F760},
    {"EMC_DLL_XFORM_QUSE7", 0x7000F764},
    {"EMC_DLI_TRIM_TXDQS0", 0x7000F7A8},
    {"EMC_DLI_TRIM_TXDQS1", 0x7000F7AC},
    {"EMC_DLI_TRIM_TXDQS2", 0x7000F7B0},
    {"EMC_DLI_TRIM_TXDQS3", 0x7000F7B4},
    {"EMC_DLI_TRIM_TXDQS4", 0x7000F7B8},
    {"EMC_DLI_TRIM_TXDQS5", 0x7000F7BC},
    {"EMC_DLI_TRIM_TXDQS6", 0x7000F7C0},
    {"EMC_DLI_TRIM_TXDQS7", 0x7000F7C4},
    {"EMC_DLL_XFORM_DQ0", 0x7000F768},
    {"EMC_DLL_XFORM_DQ1", 0x7000F76C},
    {"EMC_DLL_XFORM_DQ2", 0x7000F770},
    {"EMC_DLL_XFORM_DQ3", 0x7000F774},
    {"EMC_XM2CMDPADCTRL", 0x7000F6F0},
    {"EMC_XM2DQSPADCTRL2", 0x7000F6FC},
    {"EMC_XM2DQPADCTRL2", 0x7000F704},
    {"EMC_XM2CLKPADCTRL", 0x7000F708},
    {"EMC_XM2COMPPADCTRL", 0x7000F70C},
    {"EMC_XM2VTTGENPADCTRL", 0x7000F710},
    {"EMC_XM2VTTGENPADCTRL2", 0x7000F714},
    {"EMC_XM2QUSEPADCTRL", 0x7000F718},
    {"EMC_XM2DQSPADCTRL3", 0x7000F4F8},
    {"EMC_CTT_TERM_CTRL", 0x7000F6DC},
    {"EMC_ZCAL_INTERVAL", 0x7000F6E0},
    {"EMC_ZCAL_WAIT_CNT", 0x7000F6E4},
    {"EMC_MRS_WAIT_CNT", 0x7000F4C8},
    {"EMC_AUTO_CAL_CONFIG", 0x7000F6A4},
    {"EMC_CTT", 0x7000F4BC},
    {"EMC_CTT_DURATION", 0x7000F6D8},
    {"EMC_DYN_SELF_REF_CONTROL", 0x7000F7E0},
    {"MC_EMEM_ARB_CFG", 0x7000F090},
    {"MC_EMEM_ARB_OUTSTANDING_REQ", 0x7000F094},
    {"MC_EMEM_ARB_TIMING_RCD", 0x7000F098},
    {"MC_EMEM_ARB_TIMING_RP", 0x7000F09C},
    {"MC_EMEM_ARB_TIMING_RC", 0x7000F0A0},
    {"MC_EMEM_ARB_TIMING_RAS", 0x7000F0A4},
    {"MC_EMEM_ARB_TIMING_FAW", 0x7000F0A8},
    {"MC_EMEM_ARB_TIMING_RRD", 0x7000F0AC},
    {"MC_EMEM_ARB_TIMING_RAP2PRE", 0x7000F0B0},
    {"MC_EMEM_ARB_TIMING_WAP2PRE", 0x7000F0B4},
    {"MC_EMEM_ARB_TIMING_R2R", 0x7000F0B8},
    {"MC_EMEM_ARB_TIMING_W2W", 0x7000F0BC},
    {"MC_EMEM_ARB_TIMING_R2W", 0x7000F0C0},
    {"MC_EMEM_ARB_TIMING_W2R", 0x7000F0C4},
    {"MC_EMEM_ARB_DA_TURNS", 0x7000F0D0},
    {"MC_EMEM_ARB_DA_COVERS", 0x7000F0D4},
    {"MC_EMEM_ARB_MISC0", 0x7000F0D8},
    {"MC_EMEM_ARB_RING1_THROTTLE", 0x7000F0E0},
    {"EMC_FBIO_SPARE", 0x7000F500},
    {"EMC_CFG_RSV", 0x7000F520},
};

const uint32_t kEmcCfg = 0x7000F40C;
const uint32_t kZcalWaitCount = 0x7000F6E4;
const uint32_t kAutoCalInterval = 0x7000F6A8;
const uint32_t kPllmBase = 0x60006090;
const uint32_t kEmcClockSource = 0x6000619C;

std::string Line(const char* prefix, uint32_t value, const std::string& name)
{
    char text[128];
    snprintf(text, sizeof text, "%s0x%08x, /* %s */\n", prefix, value, name.c_str());
    return text;
}

std::string Header(const char* kilohertz)
{
    return std::string("0x32,\t\t/* Rev 3.2 */\n") + kilohertz + ",\t\t/* SDRAM frequency */\n{\n";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string SdramLine(SimBoard& board)
{
    RunResult r = board.Rigo({"-dvfs"});
    std::vector<std::string> lines = Lines(r.out);
    return lines.size() == 115 ? lines[1] : "(" + std::to_string(lines.size()) + " lines)";
}

}  // namespace

TEST(DvfsDump, WholeEntryInTableOrder)
{
    SimBoard board("belk");
    // A distinct value per register, so a swapped or misplaced read shows.
    uint32_t value = 0x13570000;
    for (const Entry& entry : kEntries)
        board.SetWord(entry.address, value += 0x01010101);
    board.SetWord(kAutoCalInterval, 0x001FFFFF);
    board.SetWord(kEmcCfg, 0xEFDFFFFF);

    std::string expected = Header("333000");
    for (const Entry& entry : kEntries)
        expected += Line("\t", board.Word(entry.address), entry.name);
    expected += "}\n";
    expected += Line("", board.Word(kZcalWaitCount), "EMC_ZCAL_WAIT_CNT after clock change");
    expected += Line("", 0x001FFFFF, "EMC_AUTO_CAL_INTERVAL");
    expected += Line("", 0, "EMC_CFG.PERIODIC_QRST");
    expected += Line("", 0, "EMC_CFG.DYN_SELF_REF");

    RunResult r = board.Rigo({"-DVFS", "ignored"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(Lines(r.out).size(), 115u);
    EXPECT_EQ(std::size(kEntries), 107u);

    // One descriptor for the dump, held open while the EMC clock is read through
    // single accesses, then the page mapped twice and released in the same order.
    EXPECT_EQ(board.Trace(), (std::vector<std::string>{
                                 "open /dev/mem", "mmap 0x70000000 4096", "munmap 0x70000000 4096", "close /dev/mem",
                                 "open /dev/mem",
                                 "open /dev/mem", "mmap 0x60006000 4096", "munmap 0x60006000 4096", "close /dev/mem",
                                 "open /dev/mem", "mmap 0x60006000 4096", "munmap 0x60006000 4096", "close /dev/mem",
                                 "mmap 0x7000f000 4096", "mmap 0x7000f000 4096",
                                 "munmap 0x7000f000 4096", "munmap 0x7000f000 4096", "close /dev/mem",
                             }));

    struct Cfg {
        uint32_t value;
        uint32_t periodicQrst;
        uint32_t dynSelfRef;
    } cfgs[] = {{0x10200000, 1, 1}, {0x00000000, 0, 0}, {0x00200000, 1, 0}, {0xF0000000, 0, 1}};
    for (const Cfg& cfg : cfgs) {
        board.SetWord(kEmcCfg, cfg.value);
        std::vector<std::string> lines = Lines(board.Rigo({"-dvfs"}).out);
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[113] + "\n", Line("", cfg.periodicQrst, "EMC_CFG.PERIODIC_QRST")) << std::hex << cfg.value;
        EXPECT_EQ(lines[114] + "\n", Line("", cfg.dynSelfRef, "EMC_CFG.DYN_SELF_REF")) << std::hex << cfg.value;
    }
}

TEST(DvfsDump, SdramFrequency)
{
    SimBoard board("belk");
    EXPECT_EQ(SdramLine(board), "333000,\t\t/* SDRAM frequency */");
    // 12 MHz * 2/7 = 3428571.4 Hz: truncated to whole kHz, not rounded.
    board.SetWord(kPllmBase, 0x40000207);
    board.SetWord(kEmcClockSource, 0x00000000);
    EXPECT_EQ(SdramLine(board), "3428,\t\t/* SDRAM frequency */");
    // An M divider of 0: infinite, saturated.
    board.SetWord(kPllmBase, 0x40000200);
    EXPECT_EQ(SdramLine(board), "-1,\t\t/* SDRAM frequency */");
    // A source outside the table, or a chip whose EMC clock is not decoded: 0.
    board.SetWord(kEmcClockSource, 0x20000000);
    EXPECT_EQ(SdramLine(board), "0,\t\t/* SDRAM frequency */");

    SimBoard avin("avin");
    EXPECT_EQ(SdramLine(avin), "0,\t\t/* SDRAM frequency */");
    SimBoard corv("corv");
    EXPECT_EQ(SdramLine(corv), "396000,\t\t/* SDRAM frequency */");
    SimBoard dern("dern");
    EXPECT_EQ(SdramLine(dern), "0,\t\t/* SDRAM frequency */");
}

TEST(DvfsDump, MappingFailures)
{
    SimBoard board("belk");
    std::string lines[2];
    // Three single accesses map before the dump: the chip ID, the EMC source and PLLM.
    for (int after : {3, 4}) {
        board.ClearFaults();
        board.Fault("mem mmap after=" + std::to_string(after));
        RunResult r = board.Rigo({"-dvfs"});
        EXPECT_EQ(r.status, 1) << after;
        EXPECT_EQ(r.out, Header("333000")) << after;
        EXPECT_EQ(r.err.rfind("Error at line ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(", file mem"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(" (12) [Cannot allocate memory]\n"), std::string::npos) << r.err;
        lines[after - 3] = r.err.substr(0, r.err.find(','));
    }
    // Each mapping reports its own source line.
    EXPECT_NE(lines[0], lines[1]);

    // A failed release of the first mapping keeps the second; the output is complete.
    board.ClearFaults();
    board.Fault("mem munmap after=3");
    RunResult r = board.Rigo({"-dvfs"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.out).size(), 115u);
    std::vector<std::string> trace = board.Trace();
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(trace.end() - 3, trace.end()),
              (std::vector<std::string>{"mmap 0x7000f000 4096", "munmap 0x7000f000 4096 failed EINVAL",
                                        "close /dev/mem"}));

    board.ClearFaults();
    board.Fault("mem munmap after=4");
    r = board.Rigo({"-dvfs"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(Lines(r.out).size(), 115u);
    trace = board.Trace();
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(trace.end() - 3, trace.end()),
              (std::vector<std::string>{"munmap 0x7000f000 4096", "munmap 0x7000f000 4096 failed EINVAL",
                                        "close /dev/mem"}));
}
