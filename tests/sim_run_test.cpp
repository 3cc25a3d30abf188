// rigosim as a Unix command: help, version, exit statuses, the programs it refuses to run,
// the run markers of the trace, plain read() and write() on a bus node, round trips.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

// A copy of a program in the board's folder, with the given mode.
std::string Copy(const SimBoard& board, const std::string& program, const char* name, mode_t mode)
{
    std::string copy = std::filesystem::path(board.Path()).parent_path() / name;
    std::filesystem::copy_file(program, copy);
    chmod(copy.c_str(), mode);
    return copy;
}

void ExpectRefused(const RunResult& result, int status, const std::string& reason)
{
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(result.out, "");  // the program did not run
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;  // one line
}

}  // namespace

TEST(SimConventions, HelpVersionMessagesThatNameTheProblemAndGetPrintsWhatSetTakes)
{
    RunResult help = Sim({"--help"});
    EXPECT_TRUE(help.status == 0 && help.err == "" && help.out.starts_with("usage: rigosim create")) << help.out;
    EXPECT_EQ(Sim({"--version"}), (RunResult{0, "rigosim " RIGOSIM_VERSION "\n", ""}));
    EXPECT_EQ(Sim({}).status, 2);

    SimBoard board("belk");
    const std::string& path = board.Path();
    for (const auto& [args, message] : std::vector<std::pair<Lines, std::string>>{
             {{"rd", path, "0xfffffffc", "4"}, "4 words from 0xfffffffc run past the end of the 4 GiB memory"},
             {{"create", path, "nosuchmodel"}, "unknown model 'nosuchmodel'"},
             {{"fault", path, "bogus"}, "unknown rule 'bogus'\n"},
             {{"add", path, "4", "0x2d"}, "the device exists (add --replace resets its registers to 0)"},
             {{"set", path, "4", "0x2d", "0", "0d"}, "byte '0d' is not a number"}}) {
        RunResult result = Sim(args);
        EXPECT_EQ(result.status, 2) << args[0];
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    // get prints what set takes; the refused add kept the registers (0x20 holds 0x05).
    board.SetRegisters(4, 0x2d, 0x21, {0x0d, 0xff, 0x80});
    RunResult got = Sim({"get", path, "4", "0x2d", "0x20", "4"});
    EXPECT_EQ(got.out, "0x05 0x0d 0xff 0x80\n");
    Lines args = {"set", path, "4", "0x2d", "0x40"};
    for (size_t start = 0; start < got.out.size(); start += 5)
        args.push_back(got.out.substr(start, 4));
    EXPECT_EQ(Sim(args).status, 0);
    EXPECT_EQ(board.Registers(4, 0x2d, 0x40, 4), (std::vector<uint8_t>{0x05, 0x0d, 0xff, 0x80}));
}

TEST(SimRun, RefusesWhatItCannotInterceptStatusesLikeAShellAndPassesReadAndWrite)
{
    SimBoard board("belk");
    const std::string& path = board.Path();
    ExpectRefused(Sim({"run", path, STATIC_PROBE_PATH}), 126, "is statically linked");
    ExpectRefused(Sim({"run", path, Copy(board, PROBE_PATH, "setuid", 04755)}), 126, "is set-user-ID");
    ExpectRefused(Sim({"run", path, Copy(board, PROBE_PATH, "setgid", 02755)}), 126, "is set-group-ID");
    std::string script = std::filesystem::path(path).parent_path() / "script";
    std::ofstream(script) << "#!" << STATIC_PROBE_PATH << "\n";
    chmod(script.c_str(), 0755);
    ExpectRefused(Sim({"run", path, script}), 126, "its interpreter " STATIC_PROBE_PATH " is statically linked");
    ExpectRefused(Sim({"run", path, Copy(board, PROBE_PATH, "plain", 0644)}), 126, "Permission denied");
    ExpectRefused(Sim({"run", path, "/nonexistent/program"}), 127, "No such file or directory");
    ExpectRefused(Sim({"run", path, "no-such-program-here"}), 127, "command not found");
    EXPECT_EQ(board.Trace(), Lines{});

    // Asked for explicitly, it runs as it is; the markers record the run.
    EXPECT_EQ(Sim({"run", path, "--unsafe-direct", "--", STATIC_PROBE_PATH}), (RunResult{0, "ran\n", ""}));
    std::string trace = Sim({"trace", path}).out;
    EXPECT_TRUE(trace.starts_with("# run pid ")) << trace;
    EXPECT_NE(trace.find(": " STATIC_PROBE_PATH "\n# run pid "), std::string::npos) << trace;
    EXPECT_TRUE(trace.ends_with(": exit 0\n")) << trace;
    EXPECT_EQ(Sim({"run", path, PROBE_PATH, "signal", std::to_string(SIGTERM)}).status, 128 + SIGTERM);
    EXPECT_TRUE(Sim({"trace", path}).out.ends_with(": signal SIGTERM\n"));

    // Plain read() and write() on a bus node are single messages, as on i2c-dev.
    board.AddDevice(1, 0x50);
    RunResult result = board.Run({PROBE_PATH, "i2c", "/dev/i2c-1", "0x50", "w:10ab5a", "w:10", "r:3", "x:0x0799"});
    EXPECT_EQ(result.out, "3\n1\nab 5a 00\nInappropriate ioctl for device\n");
    EXPECT_EQ(board.Trace(), (Lines{"open /dev/i2c-1", "i2c-1 0x50 w 10 ab 5a", "i2c-1 0x50 w 10",
                                    "i2c-1 0x50 r ab 5a 00", "ioctl /dev/i2c-1 0x799 failed ENOTTY",
                                    "close /dev/i2c-1"}));
    EXPECT_EQ(board.Registers(1, 0x50, 0x10, 2), (std::vector<uint8_t>{0xab, 0x5a}));

    // A device that does not answer: ENXIO, nothing stored.
    result = board.Run({PROBE_PATH, "i2c", "/dev/i2c-1", "0x51", "w:0001", "r:1"});
    EXPECT_EQ(result.out, "No such device or address\nNo such device or address\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-1 0x51 w 00 01 failed ENXIO", "i2c-1 0x51 r ?? failed ENXIO"}));
}
