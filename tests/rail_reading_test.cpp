// Rails decoded on the reference boards: as their comments give them and `rigo -CHIP list` shows them.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/registry.h"
#include "e2e.h"

namespace {

struct BoardBus : RegisterSource {  // a device not on the simulated board's bus cannot be read
    BoardBus(const std::string& path, DWORD bus) : board(path), bus(bus) {}
    bool Read(DWORD deviceAddress, BYTE reg, BYTE* value) override
    {
        bool present = board.HasDevice(bus, deviceAddress);
        *value = present ? board.Registers(bus, deviceAddress, reg, 1)[0] : 0;
        return present;
    }
    Board board;
    int bus;
};

struct Row {
    const char* keyword;
    DWORD chipId;  // of the reference board; the chip is looked for at the command's first default address
    const char* rail;
    RailReading expected;            // 0 mV: nothing decodes
    std::vector<uint8_t> poke = {};  // register and value set on the chip first, for a quirk
};

const Row kRows[] = {
    {"-as3720", 0x30, "SD5", {false, 3300}}, {"-as3720", 0x30, "LDO1", {true, 1800}, {0x11, 40}},
    {"-as3720", 0x30, "SD0", {false, 0}, {0x00, 91}}, {"-lp8755", 0x14, "BUCK1", {true, 1100}},
    {"-lp8755", 0x14, "BUCK2", {false, 900}}, {"-max77660", 0x14, "BUCK7", {true, 2800}},
    {"-max77660", 0x14, "LDO4", {false, 3300}}, {"-max77663", 0x30, "SD4", {false, 600}},
    {"-max77663", 0x30, "LDO8", {true, 1000}}, {"-max77663", 0x30, "LDO1", {true, 1050}, {0x25, 0x0A}},
    {"-tps51632", 0x35, "CPU", {true, 1000}}, {"-tps62361", 0x30, "SET3", {true, 1250}},
    {"-tps62366", 0x30, "CTRL", {true, 2740, false}}, {"-tps65911", 0x30, "VDD1", {true, 1200}, {0x22, 0x80}},
    {"-tps65911", 0x30, "LDO1", {false, 1050}, {0x30, 0x16}}, {"-tps65911", 0x20, "VDD2", {false, 0}},
    {"-tps65913", 0x30, "SMPS7", {true, 1800}}, {"-tps65913", 0x30, "LDO1", {false, 1800}},
    {"-tps80031", 0x30, "SMPS1", {true, 1000}}, {"-tps80032", 0x33, "SMPS2", {true, 1202.7}},
    {"-tps80032", 0x33, "LDO3", {true, 1300}, {0x8E, 0x03}}, {"-tps80036", 0x14, "SMPS9", {false, 2800}},
    {"-tps80036", 0x14, "LDO9", {true, 1650}, {0x6A, 0x08}},
};

class RailReadingTest : public testing::TestWithParam<Row> {};

TEST_P(RailReadingTest, DecodesTheReferenceBoard)
{
    const Row& row = GetParam();
    auto& command = *std::ranges::find(CommandRegistry(), std::string(row.keyword), &CommandRow::keyword)->regulator;
    const BusDefault& at = command.defaults.front();
    size_t index = 0;
    while (command.driver.railName(index) != std::string(row.rail))
        ++index;
    SimBoard sim(std::to_string(row.chipId));
    if (!row.poke.empty())
        sim.SetRegisters(at.bus, at.address, row.poke[0], {row.poke[1]});
    BoardBus source(sim.Path(), at.bus);
    RailReading reading = {!row.expected.on, 0};
    bool decoded = command.driver.readRail({at.bus, at.address}, index, source, &reading);
    EXPECT_EQ(std::tuple(decoded, decoded && reading.on, decoded ? reading.millivolts : 0, !decoded || reading.voltage),
              std::tuple(row.expected.millivolts != 0, row.expected.on, row.expected.millivolts, row.expected.voltage));
}

INSTANTIATE_TEST_SUITE_P(Chips, RailReadingTest, testing::ValuesIn(kRows), [](const testing::TestParamInfo<Row>& info) {
    return std::string(info.param.keyword + 1) + "_" + info.param.rail + "_" + std::to_string(info.index);
});

}  // namespace
