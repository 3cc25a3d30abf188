// Snapshots of the reference boards replayed on a blank board, and the comparison of two.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

// Reads the snapshot covers whole.
const std::vector<std::vector<std::string>> kReads = {
    {"-chip"}, {"-fuse"}, {"-pll", "list"}, {"-freq", "EMC"}, {"-dvfs"}, {"-id"},
    {"-tps65911", "list"}, {"-tps65913", "list"}, {"-tps80031", "list"}, {"-tps80036", "list"},
    {"-max77660", "list"}, {"-lp8755", "list"}, {"-as3720", "list"}, {"-tps51632", "list"},
    {"-max77663", "list"}, {"-tps62361", "list"}, {"-ds4424n", "list", "BRD01"},
};

class SnapshotReplay : public testing::TestWithParam<const char*> {};

TEST_P(SnapshotReplay, ABlankBoardLoadedWithItAnswersAsTheBoardDid)
{
    SimBoard board(GetParam());
    uint32_t clockEnable = board.Word(0x60006048);
    std::string snapshot = board.RigoOut({"-snapshot"});
    EXPECT_EQ(board.Word(0x60006048), clockEnable) << "the fuse visibility bit is left as found";
    ASSERT_TRUE(snapshot.starts_with("rigo snapshot 1\nmem 0x70000804 ")) << snapshot;

    SimBoard replay("0x99");
    RunResult loaded = Sim({"load", replay.Path(), Beside(board, "board.snap", snapshot)});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(replay.RigoOut({"-snapshot"}), snapshot);
    for (const std::vector<std::string>& read : kReads)
        EXPECT_EQ(replay.Rigo(read), board.Rigo(read)) << read[0];

    std::string before = Beside(board, "a.snap", board.RigoOut({"-snapshot"}));  // -fuse has set its visibility bit
    board.RigoOut({"-wr", "0x7000F42C", "0x15"});
    RunResult diff = board.Rigo({"-diff", before, Beside(board, "b.snap", board.RigoOut({"-snapshot"}))});
    EXPECT_EQ(diff, (RunResult{1, "mem 0x7000F42C 0x00000014 -> 0x00000015  # EMC_RC\n", ""}));
}

INSTANTIATE_TEST_SUITE_P(ReferenceBoards, SnapshotReplay, testing::Values("avin", "belk", "corv", "dern"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

TEST(Snapshot, NamesDecodedReadingsAndAbsentChips)
{
    SimBoard board("belk");
    board.SetWord(0x60006048, 0x14000000);  // fuses already visible
    Sim({"remove", board.Path(), "4", "0x60"});
    Lines lines = SplitLines(board.RigoOut({"-snapshot"}));
    for (const char* expected : {
             "mem 0x60006048 0x14000000  # MISC_CLK_ENB",
             "mem 0x7000F918 0x00000BEC  # FUSE_70: IDDQ-G 761 mA; IDDQ-LP 197 mA",
             "mem 0x600060E8 0x8000640C  # PLLE_BASE: PLLE 100.000 MHz; PLLS 0.273 MHz",
             "mem 0x7000F40C 0x10200000  # EMC_CFG: PERIODIC_QRST 1; DYN_SELF_REF 1",
             "i2c-4 0x12 0x49 0x3C  # TPS80031 VIO on 1800 mV; TPS80032 VIO on 1823.1 mV",
             "i2c-4 0x60 absent  # TPS62361; TPS62365; TPS62366",
             "i2c-4 0x56 0x09 0x41  # BOARDID REV: A",
         })
        EXPECT_EQ(std::ranges::count(lines, expected), 1) << expected;
    std::string broken = Beside(board, "broken.snap", "rigo snapshot 1\ni2c-4 0x2D 0x22 0x01\ni2c-4 0x2D zz 0x01\n");
    EXPECT_NE(Sim({"load", board.Path(), broken}).status, 0);
    EXPECT_EQ(board.Register(4, 0x2d, 0x22), 0x33) << "a bad line loads nothing";

    EXPECT_EQ(board.Rigo({"-snapshot", "now"}).status, 2);
    EXPECT_TRUE(board.Rigo({"-snapshot", "now"}).err.starts_with("SNAPSHOT\n"));
}

TEST(SnapshotDiff, ShowsEachChangeDecodedAndExitsAsDiffDoes)
{
    SimBoard board("belk");
    std::string a = Beside(board, "a.snap", board.RigoOut({"-snapshot"}));
    board.RigoOut({"-tps65911", "VDD1", "1100"});
    board.RigoOut({"-wr", "0x60006080", "0x4002660C"});
    board.RigoOut({"-wr", "0x7000F42C", "0x15"});
    std::string b = Beside(board, "b.snap", board.RigoOut({"-snapshot"}));
    Sim({"remove", board.Path(), "4", "0x2d"});
    std::string c = Beside(board, "c.snap", board.RigoOut({"-snapshot"}));
    const std::string pll =
        "mem 0x60006080 0x4002580C -> 0x4002660C  # PLLC_BASE: PLLC 600.000 MHz -> PLLC 614.000 MHz\n";
    const std::string emc = "mem 0x7000F42C 0x00000014 -> 0x00000015  # EMC_RC\n";
    const std::string rail = "i2c-4 0x2D 0x22 0x33 -> 0x2B  # TPS65911 VDD1 on 1200 mV -> TPS65911 VDD1 on 1100 mV\n";

    EXPECT_EQ(board.Rigo({"-diff", a, b}), (RunResult{1, pll + emc + rail, ""}));
    EXPECT_EQ(board.Trace(), Lines{}) << "no chip-ID read, no board access";
    EXPECT_EQ(board.Rigo({"-diff", b, b}), (RunResult{0, "", ""}));
    EXPECT_EQ(board.Rigo({"-diff", b, c}), (RunResult{1, "i2c-4 0x2D present -> absent  # TPS65911\n", ""}));
    SimBoard fresh("belk");
    ASSERT_EQ(Sim({"load", fresh.Path(), c}).status, 0);
    EXPECT_EQ(fresh.RigoOut({"-snapshot"}), board.RigoOut({"-snapshot"})) << "the absent device is removed";
    std::string mask = Beside(board, "rail.mask", "# the rail, a PLL field\ni2c-4 0x2d 0x22\nmem 0x60006080 0xFF00\n");
    EXPECT_EQ(board.Rigo({"-diff", a, b, mask}), (RunResult{1, emc, ""}));

    EXPECT_EQ(board.Rigo({"-diff", a, a + ".none"}),
              (RunResult{2, "", "rigo -diff: " + a + ".none: No such file or directory\n"}));
    std::string bad = Beside(board, "bad.snap", "rigo snapshot 1\nmem 0x70000804\n");
    EXPECT_EQ(board.Rigo({"-diff", bad, a}), (RunResult{2, "", "rigo -diff: " + bad + ":2: not a snapshot line\n"}));
    EXPECT_EQ(board.Rigo({"-diff", a}).status, 2);
    EXPECT_EQ(board.Rigo({"-diff", "--help"}).status, 0);
}

// Hand-written snapshots: canonical locations, lines on one side only, devices that come and
// go, failed reads, one changed reading among several, and files -diff refuses.
TEST(SnapshotDiff, ComparesLineByLocation)
{
    struct Case {
        const char* a;
        const char* b;
        const char* mask;
        RunResult expected;
    };
    const Case kCases[] = {
        {"mem 0x10 0x1  # X\nmem 0x14 2\n", "mem 0x00000014 0x2\nmem 0x18 0x3  # Y\n", "",
         {1, "mem 0x00000010 0x00000001 -> -  # X\nmem 0x00000018 - -> 0x00000003  # Y\n", ""}},
        {"mem 0x10 0x1  # X\nmem 0x18 0x3\n", "mem 0x18 0x3\n", "mem 0x10\n", {0, "", ""}},
        {"i2c-1 0x10 absent  # C1\n", "i2c-1 0x10 0x00 0x05  # C1 R on 1 mV\n", "",
         {1, "i2c-1 0x10 absent -> present  # C1\n", ""}},
        {"i2c-1 0x10 0x00 ??\n", "i2c-1 0x10 0x00 0x05\n", "", {1, "i2c-1 0x10 0x00 ?? -> 0x05\n", ""}},
        {"mem 0x20 0x1  # R: a 1; b 2; c 3\n", "mem 0x20 0x2  # R: a 1; b 5; c 3\n", "",
         {1, "mem 0x00000020 0x00000001 -> 0x00000002  # R: b 2 -> b 5\n", ""}},
        {"mem 0x10 0x1\nmem 0x10 0x1\n", "", "", {2, "", ":3: mem 0x00000010 listed twice\n"}},
        {"", "", "mem 0x10 0x1 0x2\n", {2, "", ":1: not a mask line\n"}},
    };
    SimBoard board("avin");
    for (const Case& test : kCases) {
        SCOPED_TRACE(std::string(test.a) + "|" + test.b);
        std::string a = Beside(board, "a.snap", std::string("rigo snapshot 1\n") + test.a);
        std::string b = Beside(board, "b.snap", std::string("# made by hand\nrigo snapshot 1\n") + test.b);
        std::string mask = Beside(board, "m.mask", test.mask);
        RunResult result = board.Rigo({"-diff", a, b, mask});
        EXPECT_EQ(result.status, test.expected.status);
        EXPECT_EQ(result.out, test.expected.out);
        EXPECT_TRUE(result.err.ends_with(test.expected.err)) << result.err;
    }
    std::string headless = Beside(board, "headless.snap", "mem 0x10 0x1\n");
    EXPECT_EQ(board.Rigo({"-diff", headless, headless}),
              (RunResult{2, "", "rigo -diff: " + headless + ":1: not a snapshot (it must start with \"rigo snapshot 1\")\n"}));
}

}  // namespace
