// The simulator itself: fault rules, the rigosim command, and the preload library under
// programs other than rigo (busybox devmem and dd, i2c-tools).
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e.h"
#include "faults.h"

namespace {

// Whether a program of the build machine can run on a board. In a cross build the preload
// library is the target's, which the build machine's programs cannot load.
bool Installed([[maybe_unused]] const char* program)
{
#ifdef RIGO_CROSS_BUILD
    return false;
#else
    return access(program, X_OK) == 0;
#endif
}

RunResult Sim(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {RIGOSIM_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv);
}

}  // namespace

TEST(SimFaultRules, ParsesDefaultsAndRejectsMistakes)
{
    FaultRule rule;
    std::string problem;
    ASSERT_TRUE(ParseFaultRule("mem open", &rule, &problem));
    EXPECT_EQ(rule.kind, FaultRule::MemOpen);
    EXPECT_EQ(rule.error, EACCES);
    ASSERT_TRUE(ParseFaultRule("mem mmap after=3", &rule, &problem));
    EXPECT_EQ(rule.error, ENOMEM);
    EXPECT_EQ(rule.after, 3);
    ASSERT_TRUE(ParseFaultRule("mem munmap errno=5", &rule, &problem));
    EXPECT_EQ(rule.error, EIO);
    ASSERT_TRUE(ParseFaultRule("  i2c nack bus=4 addr=0x2D dir=write after=2 count=10 errno=EREMOTEIO ", &rule,
                               &problem));
    EXPECT_EQ(rule.kind, FaultRule::I2cNack);
    EXPECT_EQ(rule.bus, 4);
    EXPECT_EQ(rule.addr, 0x2D);
    EXPECT_EQ(rule.direction, FaultRule::Write);
    EXPECT_EQ(rule.after, 2);
    EXPECT_EQ(rule.count, 10);
    EXPECT_EQ(rule.error, EREMOTEIO);
    ASSERT_TRUE(ParseFaultRule("i2c nack bus=1 addr=80", &rule, &problem));
    EXPECT_EQ(rule.addr, 80);
    EXPECT_EQ(rule.count, -1);
    EXPECT_EQ(rule.error, ENXIO);
    EXPECT_EQ(rule.direction, FaultRule::Any);

    for (const char* bad : {"", "mem", "mem close", "i2c open", "i2c nack bus=1", "i2c nack addr=0x50",
                            "i2c nack bus=1 addr=0x80", "i2c nack bus=1 addr=0x50 dir=up", "mem open after=1",
                            "mem mmap after=-1", "mem mmap after=1x", "mem open errno=EWHAT", "mem open errno=0",
                            "i2c open bus=1 addr=0x50", "mem mmap after"}) {
        EXPECT_FALSE(ParseFaultRule(bad, &rule, &problem)) << bad;
        EXPECT_NE(problem, "") << bad;
    }
    std::vector<std::string> problems;
    std::vector<FaultRule> rules =
        ParseFaultRules("# comment\n\nmem open errno=EPERM # why\nmem shake\ni2c open bus=2\n", &problems);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].error, EPERM);
    EXPECT_EQ(rules[1].bus, 2);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].starts_with("mem shake"));

    EXPECT_EQ(ErrnoName(EREMOTEIO), "EREMOTEIO");
    EXPECT_EQ(ErrnoName(EDOM), std::to_string(EDOM));
    EXPECT_EQ(ErrnoValue("ETIMEDOUT"), ETIMEDOUT);
    EXPECT_EQ(ErrnoValue("0x10"), 16);
    EXPECT_EQ(ErrnoValue("enxio"), 0);
}

TEST(SimCommand, CreatesModelsAndEditsTheBoard)
{
    SimBoard board("belk");
    const std::string& path = board.Path();
    RunResult result = Sim({"rd", path, "0x70000800", "2"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "0x00000000\n0x00003010\n");
    for (const auto& [model, word] : {std::pair{"avin", "0x00002010\n"}, std::pair{"corv", "0x00003510\n"},
                                      std::pair{"dern", "0x00001410\n"}, std::pair{"BELK", "0x00003010\n"},
                                      std::pair{"0x33:2", "0x00003320\n"}, std::pair{"51:0", "0x00003300\n"}}) {
        EXPECT_EQ(Sim({"create", path, model}).status, 0) << model;
        EXPECT_EQ(Sim({"rd", path, "0x70000804"}).out, word) << model;
    }
    ASSERT_EQ(Sim({"create", path, "belk"}).status, 0);
    EXPECT_EQ(Sim({"wr", path, "0x7000F404", "0x12345678"}).status, 0);
    EXPECT_EQ(board.Word(0x7000F404), 0x12345678u);
    board.SetWord(0xFFFFFFFC, 0xFEEDFACE);
    EXPECT_EQ(Sim({"rd", path, "0xFFFFFFFC"}).out, "0xfeedface\n");

    EXPECT_EQ(Sim({"add", path, "3", "0x48"}).status, 0);
    EXPECT_EQ(board.Registers(3, 0x48, 0, 256), std::vector<uint8_t>(256, 0));
    EXPECT_EQ(Sim({"set", path, "3", "0x48", "0xFE", "0x12", "255"}).status, 0);
    EXPECT_EQ(Sim({"get", path, "3", "0x48", "0xFD", "3"}).out, "00 12 ff\n");
    EXPECT_EQ(Sim({"get", path, "3", "72", "254"}).out, "12\n");
    EXPECT_EQ(Sim({"add", path, "3", "0x48"}).status, 0);  // adding again clears the registers
    EXPECT_EQ(board.Register(3, 0x48, 0xFE), 0);
    EXPECT_EQ(Sim({"remove", path, "3", "0x48"}).status, 0);
    EXPECT_EQ(Sim({"get", path, "3", "0x48", "0"}).status, 2);

    EXPECT_EQ(Sim({"fault", path, "mem", "open"}).status, 0);
    RunResult bad = Sim({"fault", path, "i2c", "nack", "bus=3"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err, "");
    EXPECT_EQ(board.Rigo({"-chip"}).status, 1);  // the mem open rule holds, the bad one was not added
    EXPECT_EQ(Sim({"trace", path}).out, "open /dev/mem failed EACCES\n");
    EXPECT_EQ(Sim({"trace", path, "--clear"}).status, 0);
    EXPECT_EQ(Sim({"trace", path}).out, "");
    EXPECT_EQ(Sim({"fault", path, "--clear"}).status, 0);
    EXPECT_EQ(board.Rigo({"-chip"}).out, "Belk (A01)\n");

    // Mistakes: status 2 and a message, the board untouched.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"create", path, "zork"},
             {"create", path, "0x100"},
             {"create", path, "0x30:16"},
             {"rd", path, "0x7000F404", "x"},
             {"rd", path, "0xFFFFFFFC", "2"},
             {"wr", path, "0x7000F404", "0x100000000"},
             {"set", path, "3", "0x80", "0", "1"},
             {"set", path, "3", "0x48", "0", "0x100"},
             {"set", path, "3", "0x48", "0xFF", "1", "2"},
             {"get", path, "9", "0x50", "0"},
             {"rd", path + "/none", "0"},
             {"frob", path},
             {"trace", path, "--all"},
             {"run", path},
             {"run", path, "--", "/nonexistent/program"},
         }) {
        RunResult result = Sim(args);
        EXPECT_EQ(result.status, 2) << args[0] << " " << args.back();
        EXPECT_NE(result.err, "") << args[0] << " " << args.back();
        EXPECT_EQ(result.out, "") << args[0] << " " << args.back();
    }
    EXPECT_EQ(board.Word(0x70000804), 0x3010u);

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

TEST(SimMemory, BusyboxDevmemSharesMemoryWithRigo)
{
    if (!Installed("/bin/busybox"))
        GTEST_SKIP() << "/bin/busybox is not installed";
    SimBoard board("belk");
    RunResult result = board.Run({"/bin/busybox", "devmem", "0x70000804"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "0x00003010\n");
    EXPECT_EQ(board.Trace()[0], "open /dev/mem");
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0x7000F404", "32", "0xDEADBEEF"}).status, 0);
    EXPECT_EQ(board.Word(0x7000F404), 0xDEADBEEFu);
    EXPECT_EQ(board.Rigo({"-wr16", "0x7000F406", "0x1234"}).status, 0);
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0x7000F404"}).out, "0x1234BEEF\n");
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0x7000F407", "8"}).out, "0x12\n");
    board.SetWord(0xFFFFFFFC, 0x01020304);
    EXPECT_EQ(board.Run({"/bin/busybox", "devmem", "0xFFFFFFFC"}).out, "0x01020304\n");
    EXPECT_TRUE(board.Trace()[1].starts_with("mmap 0xfffff000 "));
}

TEST(SimMemory, DevicePathsNeverReachTheHost)
{
    if (!Installed("/bin/busybox"))
        GTEST_SKIP() << "/bin/busybox is not installed";
    SimBoard board("belk");
    // 0x70000804 / 4 blocks of 4 bytes: the chip ID register's bytes, little-endian.
    const std::string skip = "skip=" + std::to_string(0x70000804 / 4);
    for (const char* path : {"/dev/mem", "/dev//mem", "/dev/./mem", "/dev/../dev/mem", "//dev/mem/"}) {
        RunResult result =
            board.Run({"/bin/busybox", "dd", std::string("if=") + path, "bs=4", "count=1", skip, "status=none"});
        EXPECT_EQ(result.status, 0) << path;
        EXPECT_EQ(result.out, std::string("\x10\x30\x00\x00", 4)) << path;
        EXPECT_EQ(board.Trace()[0], "open /dev/mem") << path;
    }
    RunResult relative = board.Run({"/bin/busybox", "sh", "-c", "cd /dev && busybox dd if=mem bs=4 count=1 " + skip});
    EXPECT_EQ(relative.out, std::string("\x10\x30\x00\x00", 4));

    for (const char* path : {"/dev/kmem", "/dev/port", "/dev/i2c-9", "/dev/i2c/9", "/dev/i2c-x", "/dev/i2c-01"}) {
        RunResult result = board.Run({"/bin/busybox", "dd", std::string("if=") + path, "bs=1", "count=1"});
        EXPECT_NE(result.status, 0) << path;
        EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << path;
        EXPECT_EQ(board.Trace(), (std::vector<std::string>{std::string("open ") + path + " failed ENOENT"}));
    }
    // Preloaded without a board, the device paths are simply absent.
    RunResult bare = RunCommand(
        {"/usr/bin/env", std::string("LD_PRELOAD=") + RIGOSIM_LIBRARY_PATH, "RIGOSIM_BOARD=", RIGO_PATH, "-chip"});
    EXPECT_EQ(bare.status, 1);
    EXPECT_NE(bare.err.find("[No such file or directory]"), std::string::npos) << bare.err;
}

TEST(SimI2c, ToolsReadBackWhatTheyWrite)
{
    if (!Installed("/usr/sbin/i2cset"))
        GTEST_SKIP() << "/usr/sbin/i2cset is not installed";
    using Lines = std::vector<std::string>;
    SimBoard board("belk");
    board.AddDevice(1, 0x50);
    RunResult result = board.Run({"/usr/sbin/i2cset", "-y", "1", "0x50", "0x10", "0x5a"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(board.Register(1, 0x50, 0x10), 0x5A);
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w 10 5a"});
    result = board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x10"});
    EXPECT_EQ(result.out, "0x5a\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w 10 r 5a"});
    // The bus node is opened and closed; i2c-tools try /dev/i2c/N first.
    EXPECT_EQ(board.Trace().front(), "open /dev/i2c/1");
    EXPECT_EQ(board.Trace().back(), "close /dev/i2c/1");

    // Word data is little-endian on the wire.
    EXPECT_EQ(board.Run({"/usr/sbin/i2cset", "-y", "1", "0x50", "0x20", "0x1234", "w"}).status, 0);
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w 20 34 12"});
    EXPECT_EQ(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x20", "w"}).out, "0x1234\n");

    // One combined transfer: the first byte sets the register pointer, the rest follow it
    // and wrap at 256.
    board.SetRegisters(1, 0x50, 0xFE, {0xAA, 0xBB});
    board.SetRegisters(1, 0x50, 0x00, {0x11});
    result = board.Run({"/usr/sbin/i2ctransfer", "-y", "1", "w1@0x50", "0xFE", "r4"});
    EXPECT_EQ(result.out, "0xaa 0xbb 0x11 0x00\n");
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w fe r aa bb 11 00"});
    EXPECT_EQ(board.Run({"/usr/sbin/i2ctransfer", "-y", "1", "w4@0x50", "0x30", "1", "2", "3"}).status, 0);
    EXPECT_EQ(board.Registers(1, 0x50, 0x30, 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(board.Run({"/usr/sbin/i2ctransfer", "-y", "1", "w0@0x50"}).status, 0);
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w"});

    // Block reads, as i2cdump makes them.
    result = board.Run({"/usr/sbin/i2cdump", "-y", "-r", "0x30-0x32", "1", "0x50", "i"});
    EXPECT_NE(result.out.find("30: 01 02 03"), std::string::npos) << result.out;
    EXPECT_TRUE(board.Transfers()[0].starts_with("i2c-1 0x50 w 30 r 01 02 03"));
}

TEST(SimI2c, MissingBusesAndDevicesFail)
{
    if (!Installed("/usr/sbin/i2cget"))
        GTEST_SKIP() << "/usr/sbin/i2cget is not installed";
    using Lines = std::vector<std::string>;
    SimBoard board("belk");
    board.SetRegisters(1, 0x50, 0x10, {0x77});
    RunResult result = board.Run({"/usr/sbin/i2cget", "-y", "7", "0x50", "0x10"});
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find("No such file or directory"), std::string::npos) << result.err;
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/i2c/7 failed ENOENT", "open /dev/i2c-7 failed ENOENT"}));

    // A transfer that also addresses a missing device changes nothing, not even the pointer.
    result = board.Run({"/usr/sbin/i2ctransfer", "-y", "1", "w2@0x50", "0x10", "0x99", "r1@0x51"});
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w 10 99 0x51 r ?? failed ENXIO"});
    EXPECT_EQ(board.Register(1, 0x50, 0x10), 0x77);

    board.RemoveDevice(1, 0x50);
    EXPECT_NE(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x10"}).status, 0);
    EXPECT_EQ(board.Transfers(), Lines{"i2c-1 0x50 w 10 r ?? failed ENXIO"});

    board.AddDevice(1, 0x50);
    board.Fault("i2c open bus=1 errno=EACCES");
    EXPECT_NE(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x10"}).status, 0);
    EXPECT_EQ(board.Trace()[0], "open /dev/i2c/1 failed EACCES");
}

TEST(SimFaults, NackRulesCountMatchingTransfersPerProcess)
{
    if (!Installed("/usr/sbin/i2cdump"))
        GTEST_SKIP() << "/usr/sbin/i2cdump is not installed";
    SimBoard board("belk");
    board.SetRegisters(1, 0x50, 0, {0xA0, 0xA1, 0xA2, 0xA3});
    board.Fault("i2c nack bus=1 addr=0x50 dir=read after=1 count=2 errno=EREMOTEIO");
    RunResult result = board.Run({"/usr/sbin/i2cdump", "-y", "-r", "0x00-0x03", "1", "0x50", "b"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("00: a0 XX XX a3"), std::string::npos) << result.out;
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{
                                     "i2c-1 0x50 w 00 r a0",
                                     "i2c-1 0x50 w 01 r ?? failed EREMOTEIO",
                                     "i2c-1 0x50 w 02 r ?? failed EREMOTEIO",
                                     "i2c-1 0x50 w 03 r a3",
                                 }));
    // Counting starts again in every process; writes do not match a read rule.
    EXPECT_EQ(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x02"}).out, "0xa2\n");
    EXPECT_EQ(board.Run({"/usr/sbin/i2cset", "-y", "1", "0x50", "0x02", "0x42"}).status, 0);
    EXPECT_EQ(board.Register(1, 0x50, 2), 0x42);

    board.ClearFaults();
    board.Fault("i2c nack bus=1 addr=0x50 dir=write");
    EXPECT_NE(board.Run({"/usr/sbin/i2cset", "-y", "1", "0x50", "0x02", "0x43"}).status, 0);
    EXPECT_EQ(board.Register(1, 0x50, 2), 0x42);
    EXPECT_EQ(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x02"}).out, "0x42\n");
    board.Fault("i2c nack bus=2 addr=0x50");  // another bus: no effect here
    EXPECT_EQ(board.Run({"/usr/sbin/i2cget", "-y", "1", "0x50", "0x03"}).out, "0xa3\n");
}

TEST(SimPauses, UsleepIsVirtualUnlessRealtimeAndTracedWhole)
{
    if (!Installed("/bin/busybox"))
        GTEST_SKIP() << "/bin/busybox is not installed";
    SimBoard board("belk");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(board.Run({"/bin/busybox", "usleep", "30000000"}).status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(board.Trace(), std::vector<std::string>{"usleep 30000000"});

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sim({"run", board.Path(), "--realtime", "--", "/bin/busybox", "usleep", "300000"}).status, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

    // Programs running in parallel append whole lines.
    const std::string script = "for i in $(seq 50); do busybox usleep 1234567 & busybox usleep 7654321 & done; wait";
    EXPECT_EQ(board.Run({"/bin/busybox", "sh", "-c", script}).status, 0);
    EXPECT_EQ(board.Trace().size(), 100u);
    EXPECT_EQ(board.Pauses(1234567), 50);
    EXPECT_EQ(board.Pauses(7654321), 50);
}
