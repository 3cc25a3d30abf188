// -snapshot: every register rigo knows on the running board, one line each, in a fixed
// order, so that two snapshots compare line by line:
//
//     rigo snapshot 1
//     mem 0x70000804 0x00003010  # CHIP_ID: Belk (A01)
//     i2c-4 0x2D 0x21 0x33  # TPS65911 VDD1 on 1200 mV
//     i2c-4 0x48 absent  # TPS80031; TPS80032; TPS80036
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bus/register_cache.h"
#include "cli/cli.h"
#include "cli/registry.h"
#include "cli/snapshot.h"
#include "pmic/ds442x.h"
#include "soc/boardid.h"
#include "soc/chip.h"
#include "soc/clocks.h"
#include "soc/dvfs.h"
#include "soc/fuse.h"
#include "soc/register_record.h"

namespace {

void PrintSnapshotHelp(FILE* stream)
{
    PrintCommandHelp(stream, "SNAPSHOT",
                     {"  -snapshot",
                      "      Writes every register rigo knows on this board, one per line with",
                      "      its value and what it decodes to: chip ID, fuses, clocks, the EMC",
                      "      DVFS set, the registers of the regulators that answer at their",
                      "      default address, the board-ID EEPROM.",
                      "",
                      "  Save            rigo -snapshot > board.snap",
                      "  Compare         rigo -diff golden.snap board.snap"});
}

void PrintMemoryLines(const std::vector<RegisterRecord>& records)
{
    for (const RegisterRecord& record : records)
        printf("mem 0x%08X 0x%08X  # %s\n", static_cast<unsigned>(record.address), static_cast<unsigned>(record.value),
               record.comment.c_str());
}

void PrintI2cLine(DWORD bus, const CachedRegister& reg, const std::string& comment)
{
    std::string value = reg.read ? Printed("0x%02X", static_cast<unsigned>(reg.value)) : kUnreadableValue;
    printf("i2c-%u 0x%02X 0x%02X %s  # %s\n", static_cast<unsigned>(bus), static_cast<unsigned>(reg.deviceAddress),
           static_cast<unsigned>(reg.reg), value.c_str(), comment.c_str());
}

void PrintAbsentLine(DWORD bus, DWORD deviceAddress, const std::string& comment)
{
    printf("i2c-%u 0x%02X %s  # %s\n", static_cast<unsigned>(bus), static_cast<unsigned>(deviceAddress),
           kAbsentValue, comment.c_str());
}

void AddOnce(std::vector<std::string>& items, const std::string& item)
{
    for (const std::string& existing : items)
        if (existing == item)
            return;
    items.push_back(item);
}

// Passes reads on to the bus's cache and notes the registers asked for.
class ReadNotes : public RegisterSource {
public:
    explicit ReadNotes(RegisterSource& bus) : bus_(bus) {}
    bool Read(DWORD deviceAddress, BYTE reg, BYTE* value) override
    {
        asked_.push_back({deviceAddress, reg, 0, false});
        return bus_.Read(deviceAddress, reg, value);
    }
    const std::vector<CachedRegister>& Asked() const { return asked_; }

private:
    RegisterSource& bus_;
    std::vector<CachedRegister> asked_;
};

std::string RailText(const char* chip, const char* rail, bool read, const RailReading& reading)
{
    if (!read)
        return Printed("%s %s unreadable", chip, rail);
    if (!reading.voltage)
        return Printed("%s %s", chip, rail);
    return Printed("%s %s %s %.6g mV", chip, rail, reading.on ? "on" : "off", reading.millivolts);
}

const CachedRegister* Cached(const RegisterCache& cache, DWORD deviceAddress, BYTE reg)
{
    for (const CachedRegister& cached : cache.Registers())
        if (cached.deviceAddress == deviceAddress && cached.reg == reg)
            return &cached;
    return nullptr;
}

// The regulator commands with a default address on the running chip, by bus, each once
// (two keywords can share one command).
std::map<DWORD, std::vector<const RegulatorCommand*>> RegulatorsByBus()
{
    std::map<DWORD, std::vector<const RegulatorCommand*>> buses;
    for (const CommandRow& row : CommandRegistry()) {
        if (row.regulator == nullptr || DefaultBus(row.regulator->defaults).address == 0)
            continue;
        std::vector<const RegulatorCommand*>& commands = buses[DefaultBus(row.regulator->defaults).bus];
        if (std::find(commands.begin(), commands.end(), row.regulator) == commands.end())
            commands.push_back(row.regulator);
    }
    return buses;
}

// Every rail of every chip on the bus, read through one cache; each register the rails
// read is listed once, by device and register, with every rail that read it.
void PrintRegulatorBus(DWORD bus, const std::vector<const RegulatorCommand*>& commands)
{
    RegisterCache cache(bus);
    std::map<DWORD, std::vector<std::string>> chipsAt;
    std::map<std::pair<DWORD, BYTE>, std::vector<std::string>> railsOf;
    for (const RegulatorCommand* command : commands) {
        const RegulatorDriver& driver = command->driver;
        I2cDevice device = {bus, DefaultBus(command->defaults).address};
        for (size_t i = 0; driver.readRail != nullptr && driver.railName(i) != nullptr; ++i) {
            ReadNotes notes(cache);
            RailReading reading = {};
            bool read = driver.readRail(device, i, notes, &reading);
            std::string text = RailText(command->chip, driver.railName(i), read, reading);
            for (const CachedRegister& asked : notes.Asked()) {
                AddOnce(chipsAt[asked.deviceAddress], command->chip);
                AddOnce(railsOf[{asked.deviceAddress, asked.reg}], text);
            }
        }
    }
    for (const auto& [deviceAddress, chips] : chipsAt) {
        if (!cache.Answers(deviceAddress)) {
            PrintAbsentLine(bus, deviceAddress, Joined(chips));
            continue;
        }
        for (auto rails = railsOf.lower_bound({deviceAddress, 0});
             rails != railsOf.end() && rails->first.first == deviceAddress; ++rails)
            if (const CachedRegister* reg = Cached(cache, deviceAddress, rails->first.second))
                PrintI2cLine(bus, *reg, Joined(rails->second));
    }
}

// The lines of a device read through its own cache: one per register read, commented by
// comment(index, register), or one absent line naming it.
template <typename Comment>
void PrintCachedDevice(const RegisterCache& cache, const I2cDevice& device, const char* name, Comment comment)
{
    if (!cache.Answers(device.address)) {
        PrintAbsentLine(device.node, device.address, name);
        return;
    }
    for (size_t i = 0; i < cache.Registers().size(); ++i)
        PrintI2cLine(device.node, cache.Registers()[i], comment(i, cache.Registers()[i]));
}

// The margining DAC's output registers: bit 7 sources current (else sinks), bits 6:0 the
// magnitude. What that does to a rail depends on the board code, which a snapshot does not know.
void PrintMarginDac()
{
    I2cDevice dac = DefaultMarginDac();
    if (dac.address == 0)
        return;
    RegisterCache cache(dac.node);
    BYTE code = 0;
    for (size_t output = 0; ds442x_OutputName(output) != nullptr; ++output)
        cache.Read(dac.address, ds442x_OutputRegister(output), &code);
    PrintCachedDevice(cache, dac, "DS4422N/DS4424N", [](size_t output, const CachedRegister& reg) {
        return Printed("DS4422N/DS4424N %s %s %u", ds442x_OutputName(output), (reg.value & 0x80) != 0 ? "source" : "sink",
                       static_cast<unsigned>(reg.value & 0x7F));
    });
}

void PrintBoardId()
{
    BusDefault home = DefaultBoardIdEeprom();
    I2cDevice eeprom = {home.bus, home.address};
    if (eeprom.address == 0)
        return;
    RegisterCache cache(eeprom.node);
    BYTE record[kBoardIdBytes] = {};
    for (DWORD offset = 0; offset < kBoardIdBytes; ++offset)
        cache.Read(eeprom.address, static_cast<BYTE>(offset), &record[offset]);
    PrintCachedDevice(cache, eeprom, "BOARDID",
                      [&](size_t, const CachedRegister& reg) { return BoardIdByteComment(record, reg.reg); });
}

}  // namespace

const char kSnapshotHeader[] = "rigo snapshot 1";
const char kAbsentValue[] = "absent";
const char kUnreadableValue[] = "??";

void SnapshotCommand(int argc, char** argv)
{
    if (HelpAnswered(argc, argv, argc == 2, PrintSnapshotHelp))
        return;
    printf("%s\n", kSnapshotHeader);
    PrintMemoryLines({RecordChipId()});
    PrintMemoryLines(RecordFuses());
    PrintMemoryLines(RecordClockRegisters());
    PrintMemoryLines(RecordDvfsRegisters());
    for (const auto& [bus, commands] : RegulatorsByBus())
        PrintRegulatorBus(bus, commands);
    PrintMarginDac();
    PrintBoardId();
}
