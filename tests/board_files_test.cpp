// Boards to and from files: dumps of a real board loaded into a simulated one, whole boards
// saved and loaded back, and the trace as waveforms that sigrok decodes back to the transfers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "e2e.h"

namespace {

const std::string kFixtures = RIGO_FIXTURES_PATH;
const std::string kExamples = RIGO_EXAMPLES_PATH;  // the README recipe's dumps

std::string Saved(const SimBoard& board)
{
    RunResult saved = Sim({"save", board.Path()});
    EXPECT_EQ(saved.status, 0) << saved.err;
    return saved.out;
}

// sigrok's I2C decoding of one bus in the trace's words: "i2c-4 0x2d w 22 r 33", and an
// address nobody acknowledged as "i2c-4 0x2d w nack". A read the master ends without a NACK
// gets " acked".
Lines Decoded(const std::string& vcd, int bus)
{
    const std::string wire = "i2c" + std::to_string(bus) + "_";
    RunResult result = RunCommand({"sigrok-cli", "-I", "vcd", "-i", vcd, "-P",
                                   "i2c:scl=" + wire + "scl:sda=" + wire + "sda", "-A",
                                   "i2c=start:repeat-start:stop:nack:address-read:address-write:data-read:data-write"});
    EXPECT_EQ(result.status, 0) << result.err;
    Lines transfers;
    std::string transfer, lastAddress, previous;  // previous: the annotation before
    for (const std::string& line : SplitLines(result.out)) {
        std::string annotation = line.substr(line.find(": ") + 2);
        std::string value = annotation.substr(annotation.find(": ") + 2);
        std::ranges::transform(value, value.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        if (previous.starts_with("Data read") && (annotation == "Stop" || annotation == "Start repeat"))
            transfer += " acked";
        if (annotation == "Start") {
            transfer = "i2c-" + std::to_string(bus);
            lastAddress.clear();
        } else if (annotation.starts_with("Address ")) {
            transfer += value == lastAddress ? "" : " 0x" + value;
            transfer += annotation.starts_with("Address read") ? " r" : " w";
            lastAddress = value;
        } else if (annotation.starts_with("Data ")) {
            transfer += " " + value;
        } else if (annotation == "NACK" && previous.starts_with("Address ")) {
            transfer += " nack";
        } else if (annotation == "Stop") {
            transfers.push_back(transfer);
        }
        previous = annotation;
    }
    return transfers;
}

}  // namespace

TEST(SimLoad, ReadsEveryDumpFormatAndSavesWhatItLoaded)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x2d, 0x0e, {0xEE});  // the dump shows XX here: it stays
    std::string image = Beside(board, "image.bin", "\x01\x02\x03\x04\x05");
    std::string registers = Beside(board, "eeprom.bin", std::string(255, '\x00') + "\x7f");
    RunResult loaded = Sim({"load", board.Path(), "--device", "4", "0x2d", kExamples + "/pmic.txt",
                            kExamples + "/clocks.txt", kFixtures + "/memtool.txt", kFixtures + "/rigo.txt", "--at",
                            "0x50000000", kFixtures + "/devmem.txt", "--raw", "--at", "0x8FFFFFFE", image, "--device",
                            "5", "0x51", "--raw", registers});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    // i2cdump (XX untouched), rigo -list, memtool md, rigo -i2c runs (?? untouched), devmem
    // values from --at, raw images.
    EXPECT_EQ(board.Registers(4, 0x2d, 0x0c, 4), (std::vector<uint8_t>{0x00, 0x00, 0xEE, 0x00}));
    EXPECT_EQ(std::tuple(board.Register(4, 0x2d, 0x00), board.Register(4, 0x2d, 0x81)), std::tuple(0x12, 0x20));
    EXPECT_EQ(std::tuple(board.Word(0x60006080), board.Word(0x40000004), board.Word(0x40000024)),
              std::tuple(0x4003200Cu, 0x0A7E2001u, 0x55667788u));
    EXPECT_EQ(board.Registers(1, 0x50, 0x10, 6), (std::vector<uint8_t>{0xA1, 0x00, 0x00, 0xA4, 0xA5, 0xA6}));
    EXPECT_EQ(std::tuple(board.Word(0x50000000), board.Word(0x50000004)), std::tuple(0xCAFEF00Du, 0x12345678u));
    EXPECT_EQ(std::tuple(board.Word(0x8FFFFFFC), board.Word(0x90000000)), std::tuple(0x02010000u, 0x00050403u));
    EXPECT_EQ(board.Register(5, 0x51, 0xFF), 0x7F);

    // Saved, loaded into a board of another model and saved again: the same text, twice.
    std::ofstream(board.Path() + "/faults")
        << "# by hand\ni2c nack bus=4 addr=0x2D   dir=read # flaky\n\nmem mmap after=3\n";
    EXPECT_EQ(Sim({"add", board.Path(), "7"}).status, 0);
    const std::string saved = Saved(board);
    EXPECT_NE(saved.find("\ni2c-5 0x51 f0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 7f\ni2c-7\nfault "),
              std::string::npos);
    EXPECT_NE(saved.find("\nfault i2c nack bus=4 addr=0x2D dir=read\nfault mem mmap after=3\n"), std::string::npos);
    SimBoard copy("corv");
    ASSERT_EQ(Sim({"load", copy.Path(), Beside(board, "saved.txt", saved)}).status, 0);
    EXPECT_EQ(Saved(copy), saved);
    // The README's recipe: the dumps stand in for the real board (here without the rules).
    copy.ClearFaults();
    EXPECT_TRUE(copy.RigoOut({"-tps65911", "list"}).starts_with("VIO           ON 1800.0mV\nVDD1          ON 1100.0mV\n"));
}

TEST(SimLoad, ABadLineAnywhereLoadsNothing)
{
    SimBoard board("belk");
    const std::string before = Saved(board);
    RunResult result = Sim({"load", board.Path(), kExamples + "/clocks.txt", kFixtures + "/bad.txt"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.find("/bad.txt:2: ") == std::string::npos &&
                result.err.find("/bad.txt:5: ") != std::string::npos &&
                result.err.find("nothing loaded: 3 bad lines") != std::string::npos)
        << result.err;
    // A dump that needs its device named, too big an image.
    std::string image = Beside(board, "big.bin", std::string(257, '\x01'));
    EXPECT_EQ(Sim({"load", board.Path(), kExamples + "/pmic.txt"}).status, 2);
    EXPECT_EQ(Sim({"load", board.Path(), "--device", "4", "0x2d", "--raw", image}).status, 2);
    EXPECT_EQ(Saved(board), before);
}

TEST(SimVcd, SigrokDecodesTheTransfersOfTheTrace)
{
    if (!Installed("/usr/bin/sigrok-cli"))
        GTEST_SKIP() << "sigrok-cli is not installed (apt-get install sigrok-cli)";
    SimBoard board("belk");
    board.Fault("i2c nack bus=4 addr=0x2d after=1 count=1");
    const std::string rigo = RIGO_PATH;
    ASSERT_EQ(board.Run({"/bin/sh", "-c", rigo + " -i2c 4 0x2d 0x20 rd 3 && " + rigo + " -i2c 0 0x10 0xf8 0x42"})
                  .status,
              0);
    std::string vcd = std::filesystem::path(board.Path()).parent_path() / "bus.vcd";
    std::ofstream(board.Path() + "/trace", std::ios::app) << "# a run marker\n";
    RunResult written = Sim({"trace", board.Path(), "--vcd", vcd});
    ASSERT_EQ(written.status, 0) << written.err;

    Lines expected[5];
    long pausedMicroseconds = 0;
    for (const std::string& line : board.Trace()) {
        if (line.starts_with("usleep "))
            pausedMicroseconds += std::stol(line.substr(7));
        if (!line.starts_with("i2c-"))
            continue;
        // A failed transfer shows as its first address not acknowledged: "i2c-4 0x2d w nack".
        size_t afterDirection = line.find(' ', line.find(' ', line.find(' ') + 1) + 1);
        bool failed = line.find(" failed ") != std::string::npos;
        expected[std::stoi(line.substr(4))].push_back(failed ? line.substr(0, afterDirection) + " nack" : line);
    }
    EXPECT_EQ(expected[4].at(1), "i2c-4 0x2d w nack");
    EXPECT_EQ(Decoded(vcd, 4), expected[4]);
    ASSERT_EQ(expected[0].size(), 2u);
    EXPECT_EQ(Decoded(vcd, 0), expected[0]);
    // The pauses lie between the transfers as idle time.
    std::ifstream dump(vcd);
    std::string last;
    for (std::string line; std::getline(dump, line);)
        last = line;
    EXPECT_GT(std::stol(last.substr(1)), pausedMicroseconds);
}
