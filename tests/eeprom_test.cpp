#include <gtest/gtest.h>

#include <string>

#include "e2e.h"

namespace {

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

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

}  // namespace

TEST(BoardIdCommand, ListsTheRecordAndGoesOnPastFailures)
{
    SimBoard board("belk");
    EXPECT_EQ(board.RigoOut({"-id"}), kReferenceListing);
    // One open-read-close cycle per field, one byte read and one 50 ms pause per byte.
    const Lines bus = board.BusTrace();
    EXPECT_EQ(Lines(bus.begin(), bus.begin() + 6), (Lines{"open /dev/i2c-4", "i2c-4 0x56 w 00 r 01", "usleep 50000",
                                                          "i2c-4 0x56 w 01 r 00", "usleep 50000", "close /dev/i2c-4"}));
    EXPECT_EQ(Lines(bus.end() - 3, bus.end()), (Lines{"i2c-4 0x56 w 10 r 02", "usleep 50000", "close /dev/i2c-4"}));
    EXPECT_EQ(bus.size(), 13u * 2 + 17u * 2);

    // The low byte of ID does not answer: it counts as 0 and the listing goes on.
    board.Fault("i2c nack bus=4 addr=0x56 after=4 count=10");
    EXPECT_EQ(board.RigoOut({"-id"}), Replaced(kReferenceListing, "1780 [0x06F4]", "1536 [0x0600]"));
    EXPECT_EQ(board.Pauses(5000), 10);
    EXPECT_EQ(board.Pauses(50000), 16);
    board.ClearFaults();
    std::string failures;
    for (int i = 0; i < 13; ++i)
        failures += "Failed to open the i2c node @ 9 and addr @ 56\n";
    EXPECT_EQ(board.RigoOut({"-id", "9", "0x56"}), failures);

    // ID 12345 needs five digits; REV 0x00 prints a NUL byte padded to four columns.
    board.SetRegisters(4, 0x56, 0x04, {0x39, 0x30});
    board.SetRegisters(4, 0x56, 0x08, {0xFF, 0x00});
    std::string expected = Replaced(kReferenceListing, "1780 [0x06F4]", "12345 [0x3039]");
    expected = Replaced(expected, "003  [0x03]", "255  [0xFF]");
    expected = Replaced(expected, "A    [0x41]", std::string(1, '\0') + "    [0x00]");
    EXPECT_EQ(board.RigoOut({"-id"}), expected);
    EXPECT_EQ(board.RigoOut({"-id", "4", "0"}), "");
    EXPECT_EQ(board.Trace().size(), 4u);  // only the chip ID read
}
