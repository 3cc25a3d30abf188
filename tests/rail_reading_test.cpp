// Each regulator driver's rail decoding over the registers of a reference board, as the
// snapshot and check commands use it: states and millivolts as the board's documented boot
// levels and `rigo -CHIP list` give them, and each encoding quirk after one register poke.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/registry.h"
#include "e2e.h"

namespace {

// The registers of one bus of a simulated board; a device not on it cannot be read.
class BoardBus : public RegisterSource {
public:
    BoardBus(const Board& board, DWORD bus) : board_(board), bus_(static_cast<int>(bus)) {}
    bool Read(DWORD deviceAddress, BYTE reg, BYTE* value) override
    {
        int address = static_cast<int>(deviceAddress);
        if (!board_.HasDevice(bus_, address))
            return false;
        *value = board_.Registers(bus_, address, reg, 1)[0];
        return true;
    }

private:
    const Board& board_;
    int bus_;
};

const double kNothing = -1;  // the rail does not decode

struct Row {
    const char* keyword;
    const char* chipId;  // of the reference board, where the chip has its default address
    const char* rail;
    bool on;
    double millivolts;
    std::vector<uint8_t> poke = {};  // register, value: set on the chip first; {} none, {0} removes the chip
};

const Row kRows[] = {
    {"-as3720", "0x30", "SD5", false, 3300}, {"-as3720", "0x30", "LDO3", true, 1000},
    {"-as3720", "0x30", "LDO1", true, 1800, {0x11, 40}}, {"-as3720", "0x30", "SD0", false, kNothing, {0x00, 91}},
    {"-lp8755", "0x14", "BUCK1", true, 1100}, {"-lp8755", "0x14", "BUCK2", false, 900},
    {"-max77660", "0x14", "BUCK7", true, 2800}, {"-max77660", "0x14", "LDO4", false, 3300},
    {"-max77660", "0x14", "LDO3", true, 2800}, {"-max77660", "0x14", "BUCK1", true, 2193, {0x46, 0xFF}},
    {"-max77663", "0x30", "SD4", false, 600}, {"-max77663", "0x30", "LDO8", true, 1000},
    {"-max77663", "0x30", "LDO1", true, 1050, {0x25, 0x0A}},
    {"-tps51632", "0x35", "CPU", true, 1000}, {"-tps51632", "0x35", "CPU", true, kNothing, {0x00, 24}},
    {"-tps62361", "0x30", "SET3", true, 1250}, {"-tps62366", "0x30", "CTRL", true, 2740},
    {"-tps65911", "0x30", "VIO", true, 1800}, {"-tps65911", "0x30", "VDD1", true, 1200, {0x22, 0x80}},
    {"-tps65911", "0x30", "VDDCTRL", false, 1012.5, {0x28, 0x24}}, {"-tps65911", "0x30", "LDO1", false, 1050, {0x30, 0x16}},
    {"-tps65911", "0x30", "VDD2", false, kNothing, {0}},
    {"-tps65913", "0x30", "SMPS7", true, 1800}, {"-tps65913", "0x30", "LDO1", false, 1800},
    {"-tps65913", "0x30", "SMPS12", true, 450, {0x23, 0x01}},
    {"-tps80031", "0x30", "SMPS1", true, 1000}, {"-tps80031", "0x30", "SMPS4", true, 2817.6},
    {"-tps80031", "0x30", "LDO7", false, 1200}, {"-tps80032", "0x33", "SMPS2", true, 1202.7},
    {"-tps80032", "0x33", "LDO3", true, 1300, {0x8E, 0x03}},
    {"-tps80036", "0x35", "SMPS9", false, 2800}, {"-tps80036", "0x35", "LDO9", true, 1650, {0x6A, 0x08}},
    {"-tps80036", "0x35", "LDO7", false, 5000, {0x5D, 0x3F}},
};

class RailReadingTest : public testing::TestWithParam<Row> {};

TEST_P(RailReadingTest, DecodesTheReferenceBoard)
{
    const Row& row = GetParam();
    const RegulatorCommand& command =
        *std::ranges::find(CommandRegistry(), std::string(row.keyword), &CommandRow::keyword)->regulator;
    DWORD chipId = std::stoul(row.chipId, nullptr, 16);
    const BusDefault& where = *std::ranges::find(command.defaults, chipId, &BusDefault::chipId);
    size_t index = 0;
    while (command.driver.railName(index) != std::string(row.rail))
        ++index;
    SimBoard sim(row.chipId);
    Board board(sim.Path());
    if (row.poke.size() == 1)
        board.RemoveDevice(static_cast<int>(where.bus), static_cast<int>(where.address));
    else if (!row.poke.empty())
        board.SetRegisters(static_cast<int>(where.bus), static_cast<int>(where.address), row.poke[0], {row.poke[1]});
    BoardBus source(board, where.bus);
    RailReading reading = {!row.on, 0};
    ASSERT_EQ(command.driver.readRail({where.bus, where.address}, index, source, &reading), row.millivolts != kNothing);
    if (row.millivolts != kNothing) {
        EXPECT_EQ(reading.on, row.on);
        EXPECT_DOUBLE_EQ(reading.millivolts, row.millivolts);
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, RailReadingTest, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.keyword + 1) + "_" + info.param.rail + "_" +
                                    std::to_string(info.index);
                         });

}  // namespace
