// The simulator itself: fault rules, the rigosim command, and the preload library under
// programs other than rigo (busybox devmem and dd, i2c-tools).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "e2e.h"
#include "faults.h"

TEST(SimFaultRules, ParsesDefaultsAndRejectsMistakes)
{
    FaultRule rule;
    std::string problem;
    ASSERT_TRUE(ParseFaultRule("  i2c nack bus=4 addr=0x2D dir=write after=2 count=10 errno=EREMOTEIO ", &rule,
                               &problem));
    EXPECT_EQ(std::tuple(rule.kind, rule.bus, rule.addr, rule.direction, rule.after, rule.count, rule.error),
              std::tuple(FaultRule::I2cNack, 4, 0x2D, FaultRule::Write, 2L, 10L, EREMOTEIO));
    ASSERT_TRUE(ParseFaultRule("mem buserror addr=0xFFFFFFFF", &rule, &problem));
    EXPECT_EQ(std::tuple(rule.kind, rule.page, rule.count), std::tuple(FaultRule::MemBusError, 0xFFFFF, -1L));
    for (const char* bad : {"", "mem close", "i2c nack bus=1", "i2c nack bus=1 addr=0x80",
                            "i2c nack bus=1 addr=0x50 dir=up", "mem open after=1", "mem mmap after=1x",
                            "mem open errno=0", "i2c open bus=1 addr=0x50", "mem buserror addr=0x100000000"}) {
        problem.clear();
        EXPECT_FALSE(ParseFaultRule(bad, &rule, &problem) || problem == "") << bad;
    }
    std::vector<std::string> problems;
    std::vector<FaultRule> rules =
        ParseFaultRules("# comment\n\nmem open errno=EPERM # why\nmem shake\ni2c open bus=2\n", &problems);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(std::tuple(rules[0].kind, rules[0].error, rules[1].kind, rules[1].bus, rules[1].error),
              std::tuple(FaultRule::MemOpen, EPERM, FaultRule::I2cOpen, 2, ENOENT));
    EXPECT_EQ(problems.size(), 1u);
}

TEST(SimCommand, CreatesModelsAndEditsTheBoard)
{
    SimBoard board("belk");
    const std::string& path = board.Path();
    EXPECT_EQ(Sim({"wr", path, "0x7000F404", "0x12345678"}).status, 0);
    EXPECT_EQ(board.Word(0x7000F404), 0x12345678u);

    EXPECT_EQ(Sim({"add", path, "3", "0x48"}).status, 0);
    EXPECT_EQ(Sim({"set", path, "3", "0x48", "0xFE", "0x12", "255"}).status, 0);
    EXPECT_EQ(Sim({"get", path, "3", "72", "0xFD", "3"}).out, "0x00 0x12 0xff\n");
    EXPECT_EQ(Sim({"add", path, "3", "0x48", "--replace"}).status, 0);  // clears the registers
    EXPECT_EQ(board.Registers(3, 0x48, 0, 256), std::vector<uint8_t>(256, 0));
    EXPECT_EQ(Sim({"remove", path, "3", "0x48"}).status, 0);
    EXPECT_EQ(Sim({"get", path, "3", "0x48", "0"}).status, 2);

    EXPECT_EQ(Sim({"fault", path, "mem", "open"}).status, 0);
    EXPECT_EQ(Sim({"fault", path, "i2c", "nack", "bus=3"}).status, 2);
    EXPECT_EQ(board.Rigo({"-chip"}).status, 1);  // the mem open rule holds, the bad one was not added
    EXPECT_NE(Sim({"trace", path}).out.find("\nopen /dev/mem failed EACCES\n# run pid "), std::string::npos);
    EXPECT_EQ(Sim({"trace", path, "--clear"}).status, 0);
    EXPECT_EQ(Sim({"trace", path}).out, "");
    EXPECT_EQ(Sim({"fault", path, "--clear"}).status, 0);
    EXPECT_EQ(board.Rigo({"-chip"}).out, "Belk (A01)\n");
    EXPECT_EQ(Sim({"create", path, "0x33:2"}).status, 0);
    EXPECT_EQ(Sim({"rd", path, "0x70000800", "2"}).out, "0x00000000\n0x00003320\n");

    // Mistakes: status 2 and a message, the board untouched.
    for (const Lines& args : std::vector<Lines>{{"create", path, "0x30:16"}, {"wr", path, "0x7000F404", "0x100000000"},
                                                {"set", path, "3", "0x48", "0xFF", "1", "2"},
                                                {"rd", path + "/none", "0"}, {"frob", path}, {"run", path}}) {
        RunResult result = Sim(args);
        EXPECT_TRUE(result.status == 2 && result.out == "" && result.err != "") << testing::PrintToString(args);
    }
    EXPECT_EQ(board.Word(0x70000804), 0x3320u);

    // A folder that is no board is refused; a board is recreated whole.
    Board files(path);
    EXPECT_EQ(Sim({"add", path, "97", "0x10"}).status, 0);
    EXPECT_EQ(Sim({"create", files.BusFolder(97), "belk"}).status, 2);
    EXPECT_TRUE(files.HasDevice(97, 0x10));
    board.Fault("mem open");
    EXPECT_EQ(Sim({"create", path, "corv"}).status, 0);
    EXPECT_FALSE(files.HasDevice(97, 0x10));
    EXPECT_EQ(board.Rigo({"-chip"}).out, "Corv (A01)\n");
}

TEST(SimMemory, OtherProgramsShareMemoryAndPausesAndNeverReachTheHost)
{
    if (!Installed("/bin/busybox"))
        GTEST_SKIP() << "/bin/busybox is not installed";
    SimBoard board("belk");
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0x7000F404", "32", "0xDEADBEEF"}).status, 0);
    EXPECT_EQ(board.Rigo({"-wr16", "0x7000F406", "0x1234"}).status, 0);
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0x7000F404"}).out, "0x1234BEEF\n");
    board.SetWord(0xFFFFFFFC, 0x01020304);
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0xFFFFFFFC"}).out, "0x01020304\n");

    // Every spelling of /dev/mem is the board's memory: the chip ID register's bytes.
    const std::string skip = "skip=" + std::to_string(0x70000804 / 4);
    for (const char* path : {"/dev/mem", "/dev/../dev/mem", "//dev/mem/"}) {
        RunResult result =
            board.Run({"/bin/busybox", "dd", std::string("if=") + path, "bs=4", "count=1", skip, "status=none"});
        EXPECT_EQ(result.out, std::string("\x10\x30\x00\x00", 4)) << path;
    }
    // Other device paths fail without reaching the host's devices.
    for (const char* path : {"/dev/kmem", "/dev/i2c-9", "/dev/i2c-01"}) {
        EXPECT_NE(board.Run({"/bin/busybox", "dd", std::string("if=") + path, "bs=1", "count=1"}).status, 0);
        EXPECT_EQ(board.Trace(), (std::vector<std::string>{std::string("open ") + path + " failed ENOENT"}));
    }
    // Pauses are virtual unless asked for in real time; programs in parallel append whole lines.
    auto start = std::chrono::steady_clock::now();
    const std::string script = "for i in $(seq 50); do busybox usleep 1234567 & busybox usleep 7654321 & done; wait";
    EXPECT_EQ(board.Run({"/bin/busybox", "sh", "-c", script}).status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(std::tuple(board.Pauses(1234567), board.Pauses(7654321)), std::tuple(50, 50));
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sim({"run", board.Path(), "--realtime", "--", "/bin/busybox", "usleep", "300000"}).status, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    // Preloaded without a board, the device paths are simply absent.
    RunResult bare = RunCommand(
        {"/usr/bin/env", std::string("LD_PRELOAD=") + RIGOSIM_LIBRARY_PATH, "RIGOSIM_BOARD=", RIGO_PATH, "-chip"});
    EXPECT_NE(bare.err.find("[No such file or directory]"), std::string::npos) << bare.err;
}

TEST(SimI2c, ToolsReadBackWhatTheyWriteAndMissingDevicesFail)
{
    if (!Installed("/usr/sbin/i2ctransfer"))
        GTEST_SKIP() << "i2c-tools are not installed";
    SimBoard board("belk");
    board.AddDevice(1, 0x50);
    EXPECT_EQ(board.Run({"/usr/sbin/i2cset", "-y", "1", "0x50", "0x10", "0x1234", "w"}).status, 0);
    EXPECT_EQ(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x10"}).out, "0x34\n");
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/i2c/1", "i2c-1 0x50 w 10 r 34", "close /dev/i2c/1"}));
    // One combined transfer: the first byte sets the register pointer, the rest follow it
    // and wrap at 256.
    board.SetRegisters(1, 0x50, 0xFE, {0xAA, 0xBB});
    board.SetRegisters(1, 0x50, 0x00, {0x11});
    EXPECT_EQ(board.Run({"/usr/sbin/i2ctransfer", "-y", "1", "w1@0x50", "0xFE", "r4"}).out, "0xaa 0xbb 0x11 0x00\n");
    // A transfer that also addresses a missing device changes nothing, not even the pointer.
    EXPECT_NE(board.Run({"/usr/sbin/i2ctransfer", "-y", "1", "w2@0x50", "0x10", "0x99", "r1@0x51"}).status, 0);
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w 10 99 0x51 r ?? failed ENXIO"});
    EXPECT_EQ(board.Register(1, 0x50, 0x10), 0x34);
    // Nack rules count the matching transfers of each process afresh.
    board.Fault("i2c nack bus=1 addr=0x50 dir=read after=1 count=1 errno=EREMOTEIO");
    for (int run = 0; run < 2; ++run) {
        RunResult dump = board.Run({"/usr/sbin/i2cdump", "-y", "-r", "0x10-0x11", "1", "0x50", "b"});
        EXPECT_NE(dump.out.find("10: 34 XX"), std::string::npos) << dump.out;
    }
}
