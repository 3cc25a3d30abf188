#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"

TEST(I2cCommand, SingleRegisterReadsWritesAndUsage)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x2d, 0x05, {0x12, 0x34});
    // The bus goes to the node as a byte; the message shows it as typed.
    board.SetRegisters(4, 0x2d, 0x10, {0x5a});
    EXPECT_EQ(board.RigoOut({"-I2C", "260", "45", "16"}), "[/dev/i2c-260, Addr: 0x2D, Offset: 0x10] --> 0x5A\n");
    EXPECT_EQ(board.BusTrace(), (Lines{"open /dev/i2c-4", "i2c-4 0x2d w 10 r 5a", "usleep 50000", "close /dev/i2c-4"}));

    // A write sends the low byte, shows the value as typed, and reads back.
    EXPECT_EQ(board.RigoOut({"-i2c", "4", "0x2D", "0x10", "0x1FF"}),
              "[/dev/i2c-4, Addr: 0x2D, Offset: 0x10] <-- 0x1FF\n[/dev/i2c-4, Addr: 0x2D, Offset: 0x10] --> 0xFF\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 10 ff", "i2c-4 0x2d w 10 r ff"}));

    // 16-bit data is big-endian, shown with four digits.
    EXPECT_EQ(board.RigoOut({"-i2c16", "4", "0x2D", "0x05"}), "[/dev/i2c-4, Addr: 0x2D, Offset: 0x5] --> 0x1234\n");
    EXPECT_EQ(board.RigoOut({"-I2C16", "4", "0x2D", "0x10", "0x12"}),
              "[/dev/i2c-4, Addr: 0x2D, Offset: 0x10] <-- 0x0012\n[/dev/i2c-4, Addr: 0x2D, Offset: 0x10] --> 0x0012\n");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x2d w 10 00 12", "i2c-4 0x2d w 10 r 00 12"}));

    // Wrong arguments touch no bus.
    for (const Lines& args : {Lines{"-i2c", "4", "0x50"}, Lines{"-i2c", "4", "0x50", "0x10", "wr", "0x12", "0x34"}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()}));
        EXPECT_EQ(board.BusTrace(), Lines{});
    }
}

TEST(I2cCommand, RunsFromTheHighestOffsetDownAndSilentDevices)
{
    SimBoard board("belk");
    board.AddDevice(4, 0x50);
    // The first byte goes to the highest offset; the run is read back.
    EXPECT_EQ(board.RigoOut({"-i2c", "4", "0x50", "0x10", "WR", "0x7000F404"}),
              "[/dev/i2c-4, Addr: 0x50, Initial Offset: 0x10] <-- 0x7000F404\n"
              "[/dev/i2c-4, Addr: 0x50, Initial Offset: 0x10] --> 0x7000F404\n");
    EXPECT_EQ(board.Transfers(),
              (Lines{"i2c-4 0x50 w 13 70", "i2c-4 0x50 w 12 00", "i2c-4 0x50 w 11 f4", "i2c-4 0x50 w 10 04",
                     "i2c-4 0x50 w 13 r 70", "i2c-4 0x50 w 12 r 00", "i2c-4 0x50 w 11 r f4", "i2c-4 0x50 w 10 r 04"}));
    EXPECT_EQ(board.Registers(4, 0x50, 0x10, 4), (std::vector<uint8_t>{0x04, 0xf4, 0x00, 0x70}));

    // An unreadable byte shows as ?? and the read goes on; a refused byte ends the write.
    board.Fault("i2c nack bus=4 addr=0x50 after=1 count=10");
    EXPECT_EQ(board.RigoOut({"-i2c", "4", "0x50", "0x10", "rd", "4"}),
              "[/dev/i2c-4, Addr: 0x50, Initial Offset: 0x10] --> 0x70??F404\n");
    board.SetFault("i2c nack bus=4 addr=0x50 dir=write after=1");
    EXPECT_EQ(board.Rigo({"-i2c", "4", "0x50", "0x30", "wr", "0x7000F404"}),
              (RunResult{1, "[/dev/i2c-4, Addr: 0x50, Initial Offset: 0x30] <-- 0x7000F404\n"
                            "Error: Unable to write I2C device at [/dev/i2c-4, Addr: 0x50, Offset: 0x32] <-- 0x00\n",
                         ""}));
    EXPECT_EQ(board.Transfers().size(), 11u);
    EXPECT_EQ(board.Registers(4, 0x50, 0x30, 4), (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x70}));

    EXPECT_EQ(board.Rigo({"-i2c16", "4", "0x77", "0x10", "0x1234"}),
              (RunResult{1, "Error: Unable to write I2C device.\n\n", ""}));
    EXPECT_EQ(board.Transfers(), Lines(10, "i2c-4 0x77 w 10 12 34 failed ENXIO"));

    // The write lands, the read-back does not.
    board.AddDevice(4, 0x2d);
    board.SetFault("i2c nack bus=4 addr=0x2d dir=read");
    EXPECT_EQ(board.Rigo({"-i2c", "4", "0x2d", "0x10", "0x33"}),
              (RunResult{1, "[/dev/i2c-4, Addr: 0x2D, Offset: 0x10] <-- 0x33\n"
                            "Error: Write operation successful, but unable to read back to verify.\n", ""}));
    EXPECT_EQ(board.Register(4, 0x2d, 0x10), 0x33);
    EXPECT_EQ(board.Transfers().size(), 11u);

    EXPECT_EQ(board.Rigo({"-i2c", "9", "0x2d", "0x10"}),
              (RunResult{1, "Error: Unable to open /dev/I2C-9 node.\n", ""}));
}
