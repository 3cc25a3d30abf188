#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e.h"
#include "eeprom.h"

namespace {

using Lines = std::vector<std::string>;

// The reference boards' record: board 1780, SKU 1000, fab 3, revision A.0.
const char kReferenceListing[] =
    "[ 1: 0] HDR_VER          0001 [0x0001]\n"
    "[ 3: 2] HDR_SIZE         0017 [0x0011]\n"
    "[ 5: 4] ID               1780 [0x06F4]\n"
    "[ 7: 6] SKU              1000 [0x03E8]\n"
    "[ 8: 8] FAB              003  [0x03]\n"
    "[ 9: 9] REV              A    [0x41]\n"
    "[10:10] MinorREV         0    [0x00]\n"
    "[11:11] Mem Type         2    [0x02]\n"
    "[12:12] Power Cfg        1    [0x01]\n"
    "[13:13] Misc Cfg         0    [0x00]\n"
    "[14:14] Modem Bands      0    [0x00]\n"
    "[15:15] Touchscreen Cfg  1    [0x01]\n"
    "[16:16] Display Cfg      2    [0x02]\n";

const char kValidNames[] =
    "Valid board descriptions: \n"
    "HDR_VER, HDR_SIZE, ID, SKU, FAB, REV, MinorREV, Mem Type, Power Cfg, Misc Cfg, Modem Bands, "
    "Touchscreen Cfg, Display Cfg, \n";

// The seventeen single-byte reads of a full listing, offsets 0 to 16 in order.
Lines RecordReads(const std::string& device, const std::vector<uint8_t>& bytes)
{
    Lines lines;
    char line[64];
    for (size_t i = 0; i < bytes.size(); ++i) {
        snprintf(line, sizeof line, "%s w %02zx r %02x", device.c_str(), i, bytes[i]);
        lines.push_back(line);
    }
    return lines;
}

int CountLines(const Lines& lines, const std::string& wanted)
{
    int count = 0;
    for (const std::string& line : lines)
        count += line == wanted;
    return count;
}

std::string CaptureStdout(int (*action)(const char*), const char* arg, int* status)
{
    testing::internal::CaptureStdout();
    *status = action(arg);
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

const std::vector<uint8_t> kReferenceRecord = {0x01, 0x00, 0x11, 0x00, 0xF4, 0x06, 0xE8, 0x03, 0x03,
                                               0x41, 0x00, 0x02, 0x01, 0x00, 0x00, 0x01, 0x02};

}  // namespace

TEST(EepromTable, LookupIgnoresCaseAndListsTheNamesWhenUnknown)
{
    DWORD index = 99;
    EXPECT_EQ(LookupBoardDescIndex("HDR_VER", &index), 0);
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(LookupBoardDescIndex("mem type", &index), 0);
    EXPECT_EQ(index, 7u);
    EXPECT_EQ(board_tab[index].id, 11u);
    EXPECT_EQ(LookupBoardDescIndex("Display Cfg", &index), 0);
    EXPECT_EQ(index, 12u);
    EXPECT_EQ(board_tab[13].name, nullptr);

    testing::internal::CaptureStdout();
    EXPECT_EQ(LookupBoardDescIndex("Display", &index), 1);
    EXPECT_EQ(LookupBoardDescIndex("ID", nullptr), 1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kValidNames);
}

TEST(EepromTable, ReadNeedsAnAddressAndAKnownName)
{
    int status = -1;
    g_EepromAddr = 0;
    EXPECT_EQ(CaptureStdout(ReadEeprom, "ID", &status), "");
    EXPECT_EQ(status, 1);

    g_AddrBitWidth = 16;
    EXPECT_EQ(InitEeprom(7, 0x56), 0);
    EXPECT_EQ(g_Instance, 7u);
    EXPECT_EQ(g_EepromAddr, 0x56u);
    EXPECT_EQ(g_AddrBitWidth, 8u);
    EXPECT_EQ(g_DataBitWidth, 8u);
    // The name is checked before the bus is touched.
    EXPECT_EQ(CaptureStdout(ReadEeprom, "BOARD", &status), kValidNames);
    EXPECT_EQ(status, 2);
    g_EepromAddr = 0;
}

TEST(BoardIdCommand, ListsTheRecordAtEachChipsDefaultPlace)
{
    struct Case {
        const char* model;
        const char* device;
        const char* node;
    };
    for (const Case& c : {Case{"belk", "i2c-4 0x56", "/dev/i2c-4"}, Case{"0x33:1", "i2c-4 0x56", "/dev/i2c-4"},
                          Case{"corv", "i2c-0 0x56", "/dev/i2c-0"}}) {
        SimBoard board(c.model);
        RunResult r = board.Rigo({"-id"});
        EXPECT_EQ(r.status, 0) << c.model;
        EXPECT_EQ(r.out, kReferenceListing) << c.model;
        EXPECT_EQ(r.err, "") << c.model;
        Lines trace = board.Trace();
        // One open-read-close cycle per field, one 50 ms pause per byte.
        EXPECT_EQ(CountLines(trace, std::string("open ") + c.node), 13) << c.model;
        EXPECT_EQ(CountLines(trace, std::string("close ") + c.node), 13) << c.model;
        EXPECT_EQ(board.Transfers(), RecordReads(c.device, kReferenceRecord)) << c.model;
        EXPECT_EQ(board.Pauses(50000), 17) << c.model;
    }
    for (const char* model : {"avin", "dern", "0x31:1"}) {
        SimBoard board(model);
        board.SetRegisters(0, 0x56, 0x00, kReferenceRecord);
        RunResult r = board.Rigo({"-ID"});
        EXPECT_EQ(r.status, 0) << model;
        EXPECT_EQ(r.out, "") << model;
        EXPECT_EQ(r.err, "") << model;
        EXPECT_TRUE(board.Transfers().empty()) << model;
    }
}

TEST(BoardIdCommand, BusAndAddressFromTheCommandLine)
{
    SimBoard board("avin");
    board.SetRegisters(1, 0x50, 0x00, kReferenceRecord);
    RunResult r = board.Rigo({"-id", "1", "0x50"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kReferenceListing);
    EXPECT_EQ(board.Transfers(), RecordReads("i2c-1 0x50", kReferenceRecord));

    r = board.Rigo({"-id", "4", "0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    for (const std::string& line : board.Trace())
        EXPECT_EQ(line.find("i2c"), std::string::npos) << line;

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-id", "1"}, std::vector<std::string>{"-id", "1", "0x50", "x"}}) {
        r = board.Rigo(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, HelpText());
        EXPECT_TRUE(board.Transfers().empty());
    }
}

TEST(BoardIdCommand, FieldFormats)
{
    SimBoard board("belk");
    // ID 12345 needs five digits; REV 0x00 prints a NUL byte padded to four columns.
    board.SetRegisters(4, 0x56, 0x04, {0x39, 0x30});
    board.SetRegisters(4, 0x56, 0x08, {0xFF, 0x00, 0xC8});
    RunResult r = board.Rigo({"-id"});
    EXPECT_EQ(r.status, 0);
    std::string expected = std::string(kReferenceListing);
    auto replace = [&](const std::string& from, const std::string& to) {
        size_t at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("1780 [0x06F4]", "12345 [0x3039]");
    replace("003  [0x03]", "255  [0xFF]");
    replace("A    [0x41]", std::string(1, '\0') + "    [0x00]");
    replace("MinorREV         0    [0x00]", "MinorREV         200  [0xC8]");
    EXPECT_EQ(r.out, expected);
}

TEST(BoardIdCommand, BusFailures)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-id", "9", "0x56"});
    EXPECT_EQ(r.status, 0);
    std::string expected;
    for (int i = 0; i < 13; ++i)
        expected += "Failed to open the i2c node @ 9 and addr @ 56\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(CountLines(board.Trace(), "open /dev/i2c-9 failed ENOENT"), 13);

    // The low byte of ID does not answer: it counts as 0 and the listing goes on.
    board.Fault("i2c nack bus=4 addr=0x56 after=4 count=10");
    r = board.Rigo({"-id"});
    EXPECT_EQ(r.status, 0);
    std::string listing = kReferenceListing;
    listing.replace(listing.find("1780 [0x06F4]"), 13, "1536 [0x0600]");
    EXPECT_EQ(r.out, listing);
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.Pauses(50000), 16);
}
