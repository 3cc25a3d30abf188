// rigosim as a Unix command: help, version, exit statuses, the programs it refuses to run,
// the run markers of the trace, plain read() and write() on a bus node.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "e2e.h"

TEST(SimConventions, HelpVersionAndMessagesThatNameTheProblem)
{
    RunResult help = Sim({"--help"});
    EXPECT_TRUE(help.status == 0 && help.err == "" && help.out.starts_with("usage: rigosim create")) << help.out;
    EXPECT_EQ(Sim({"--version"}), (RunResult{0, "rigosim " RIGOSIM_VERSION "\n", ""}));
    SimBoard board("belk");
    const std::string& path = board.Path();
    for (const auto& [args, message] : std::vector<std::pair<Lines, std::string>>{
             {{"rd", path, "0xfffffffc", "4"}, "4 words from 0xfffffffc run past the end of the 4 GiB memory\n"},
             {{"add", path, "4", "0x2d"}, "the device exists (add --replace resets its registers to 0)\n"},
             {{"set", path, "4", "0x2d", "0", "0d"}, "byte '0d' is not a number"}}) {
        RunResult result = Sim(args);
        EXPECT_EQ(result.status, 2) << args[0];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    EXPECT_EQ(Sim({"get", path, "4", "0x2d", "0x20", "2"}).out, "0x05 0x01\n");  // the refused add kept them
}

TEST(SimRun, RefusesWhatItCannotInterceptStatusesLikeAShellAndPassesReadAndWrite)
{
    SimBoard board("belk");
    const std::string& path = board.Path();
    std::string setuid = std::filesystem::path(path).parent_path() / "setuid";
    std::filesystem::copy_file(PROBE_PATH, setuid);
    chmod(setuid.c_str(), 04755);
    for (const auto& [program, status, reason] : std::vector<std::tuple<std::string, int, std::string>>{
             {STATIC_PROBE_PATH, 126, "is statically linked"}, {setuid, 126, "is set-user-ID"},
             {"/nonexistent/program", 127, "No such file or directory"},
             {"no-such-program-here", 127, "command not found"}}) {
        RunResult result = Sim({"run", path, program});
        EXPECT_TRUE(result.status == status && result.out == "" && result.err.find(reason) != std::string::npos &&
                    result.err.find('\n') == result.err.size() - 1)
            << program << ": " << testing::PrintToString(result);
    }
    EXPECT_EQ(board.Trace(), Lines{});

    // Asked for explicitly, it runs as it is; the markers record the run.
    EXPECT_EQ(Sim({"run", path, "--unsafe-direct", "--", STATIC_PROBE_PATH}), (RunResult{0, "ran\n", ""}));
    std::string trace = Sim({"trace", path}).out;
    EXPECT_TRUE(trace.starts_with("# run pid ") && trace.ends_with(": exit 0\n")) << trace;
    EXPECT_EQ(Sim({"run", path, PROBE_PATH, "signal", std::to_string(SIGTERM)}).status, 128 + SIGTERM);
    EXPECT_TRUE(Sim({"trace", path}).out.ends_with(": signal SIGTERM\n"));

    // Plain read() and write() on a bus node are single messages, as on i2c-dev.
    board.AddDevice(1, 0x50);
    RunResult result = board.Run({PROBE_PATH, "i2c", "/dev/i2c-1", "0x50", "w:10ab5a", "w:10", "r:3", "x:0x0799"});
    EXPECT_EQ(result.out, "3\n1\nab 5a 00\nInappropriate ioctl for device\n");
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/i2c-1", "i2c-1 0x50 w 10 ab 5a", "i2c-1 0x50 w 10",
                                    "i2c-1 0x50 r ab 5a 00", "ioctl /dev/i2c-1 0x799 failed ENOTTY",
                                    "close /dev/i2c-1"}));
    result = board.Run({PROBE_PATH, "i2c", "/dev/i2c-1", "0x51", "w:0001", "r:1"});
    EXPECT_EQ(result.out, "No such device or address\nNo such device or address\n");
}
