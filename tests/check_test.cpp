// -check on simulated boards: the golden plan of the reference board, a broken rail, devices
// that do not answer, and plans that cannot be read.
#include <gtest/gtest.h>

#include "e2e.h"

TEST(CheckCommand, GoldenPlanPassesUnderProveAndABrokenRailFailsAlone)
{
    SimBoard board("belk");
    const std::string golden = RIGO_EXAMPLES_PATH "/belk-golden.plan";
    RunResult good = board.Rigo({"-check", golden});
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_EQ(good.err, "");
    EXPECT_TRUE(good.out.starts_with("KTAP version 1\n1..")) << good.out;

    board.RigoOut({"-tps65911", "VDD1", "1000"});
    std::string expected = good.out;
    const std::string vdd1 = "# rail.tps65911.VDD1: measured ON 1200 mV, expected ON 1176 mV to 1224 mV\nok 3 ";
    ASSERT_NE(expected.find(vdd1), std::string::npos) << expected;
    expected.replace(expected.find(vdd1), vdd1.size(),
                     "# rail.tps65911.VDD1: measured ON 1000 mV, expected ON 1176 mV to 1224 mV\nnot ok 3 ");
    RunResult broken = board.Rigo({"-check", golden});
    EXPECT_EQ(broken, (RunResult{1, expected, ""}));

    if (!Installed("/usr/bin/prove"))
        GTEST_SKIP() << "prove is not installed (apt-get install perl)";
    for (const RunResult& run : {good, broken}) {
        RunResult proved = RunCommand({"/usr/bin/prove", "-e", "cat", Beside(board, "run.t", run.out)});
        EXPECT_EQ(proved.status, run.status) << proved.out << proved.err;
    }
}

TEST(CheckCommand, DevicesThatDoNotAnswerFailTheirLinesAndTheRunGoesOn)
{
    SimBoard board("belk");
    board.Fault("mem buserror addr=0x7000F000");
    std::string plan = Beside(board, "board.plan",
                                 "rail tps65911 4 0x2E VDD1 on 1200mV +-2%\ni2c 4 0x2E 0x00 7:0 0\n"
                                 "i2c 5 0x2D 0x00 7:0 0\nmem 0x7000F404 7:0 0..0xFF\ni2c 4 0x2D 0x22 7:0 0x33\n");
    EXPECT_EQ(board.Rigo({"-check", plan}),
              (RunResult{1,
                         "KTAP version 1\n1..5\n"
                         "# rail.tps65911.4.0x2E.VDD1: TPS65911 does not answer at 0x2E on /dev/i2c-4\n"
                         "not ok 1 rail.tps65911.4.0x2E.VDD1\n"
                         "# i2c.4.0x2E.0x00.7:0: the device does not answer at 0x2E on /dev/i2c-4\n"
                         "not ok 2 i2c.4.0x2E.0x00.7:0\n"
                         "# i2c.5.0x2D.0x00.7:0: /dev/i2c-5 cannot be opened\nnot ok 3 i2c.5.0x2D.0x00.7:0\n"
                         "# mem.0x7000F404.7:0: bus fault at 0x7000F404: nothing answers there\n"
                         "not ok 4 mem.0x7000F404.7:0\n"
                         "# i2c.4.0x2D.0x22.7:0: measured 0x33, expected 0x33\nok 5 i2c.4.0x2D.0x22.7:0\n",
                         ""}));
    EXPECT_EQ(board.Pauses(5000), 10);  // the absent device's retries, paid once

    board.SetFault("mem mmap after=1");  // the chip-ID read at start-up maps, then none
    EXPECT_EQ(board.Rigo({"-check", Beside(board, "board.plan", "mem 0x70000804 15:8 0x30\nchip Belk A01\n")}),
              (RunResult{1,
                         "KTAP version 1\n1..2\n# mem.0x70000804.15:8: /dev/mem failed at line 56, file mem.cpp (12) "
                         "[Cannot allocate memory]\nnot ok 1 mem.0x70000804.15:8\n"
                         "# chip: measured Belk (A01), expected Belk (A01)\nok 2 chip\n",
                         ""}));
}

TEST(CheckCommand, APlanThatCannotBeReadRunsNothing)
{
    SimBoard board("belk");
    board.Rigo({"-ver"});
    Lines startUp = board.Trace();
    std::string plan = Beside(board, "board.plan", "chip Belk A01\n# PMIC\nrail tps65911 VDD1 on 1.2 +-2%\n");
    EXPECT_EQ(board.Rigo({"-check", plan}), (RunResult{2, "", plan + ":3: '1.2' is not a voltage in mV or V\n"}));
    EXPECT_EQ(board.Trace(), startUp);
    EXPECT_EQ(board.Rigo({"-check", plan + ".none"}),
              (RunResult{2, "", plan + ".none: No such file or directory\n"}));

    RunResult help = board.Rigo({"-check", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("-check <PLAN>"), std::string::npos) << help.out;
    EXPECT_EQ(board.Rigo({"-check"}), (RunResult{2, "", help.out}));
}
