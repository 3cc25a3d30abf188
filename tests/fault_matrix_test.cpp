// Every command family against every fault the simulator injects: each run ends with
// status 0 or 1 and no crash or sanitizer report, and no register is written on the
// strength of a read that failed. Only the messages every command shares are checked here.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

struct Command {
    const char* model;
    std::vector<std::string> args;
    bool mapsMemory = false;  // maps /dev/mem again after the chip ID
    int bus = -1;             // the device that the I2C faults hit; -1: none
    int addr = 0;
    // Its register writes read the register first and go on with 0 when that read fails.
    bool readsFailAsZero = false;
};

const Command kCommands[] = {
    {"belk", {"-ver"}}, {"belk", {"-chip"}}, {"belk", {"-rd", "0x7000F404", "0xFF00", "s"}, true},
    {"belk", {"-wr16", "0x7000F404", "0x1212", "0xFF"}, true}, {"belk", {"-list", "0x7000FFF8", "4"}, true},
    {"belk", {"-dvfs"}, true}, {"belk", {"-fuse"}, true}, {"belk", {"-iddqG", "400"}, true}, {"belk", {"-osc"}, true},
    {"corv", {"-freq", "EMC"}, true}, {"belk", {"-pll", "list"}, true},
    {"belk", {"-i2c", "4", "0x2D", "0x20", "0x55"}, false, 4, 0x2d},
    {"belk", {"-i2c", "4", "0x56", "0x10", "rd", "4"}, false, 4, 0x56},
    {"belk", {"-i2c", "4", "0x56", "0x10", "wr", "0x7000F404"}, false, 4, 0x56},
    {"belk", {"-i2c16", "4", "0x2D", "0x20", "0x1212"}, false, 4, 0x2d}, {"belk", {"-id"}, false, 4, 0x56},
    {"belk", {"-as3720", "SD0", "1100000"}, false, 4, 0x40}, {"dern", {"-lp8755", "BUCK0", "OFF"}, false, 4, 0x60},
    {"corv", {"-tps51632", "CPU", "1100"}, false, 4, 0x43}, {"belk", {"-tps62361", "SET0", "1100"}, false, 4, 0x60},
    {"belk", {"-tps62366", "list"}, false, 4, 0x60}, {"belk", {"-tps65911", "VDD1", "1100"}, false, 4, 0x2d, true},
    {"belk", {"-tps65911", "bypass", "LDO7"}, false, 4, 0x2d, true},
    {"belk", {"-tps65913", "SMPS12", "OFF"}, false, 4, 0x49}, {"belk", {"-tps80031", "SMPS1", "1100"}, false, 4, 0x12},
    {"0x33", {"-tps80032", "list"}, false, 4, 0x12}, {"dern", {"-tps80036", "LDO1", "ON"}, false, 4, 0x58},
    {"belk", {"-ds4422N", "BRD01", "OUT0", "1300"}, false, 0, 0x10},
    {"corv", {"-ds4424N", "BRD11", "OUT0", "52"}, false, 0, 0x70},
    {"dern", {"-max77660", "BUCK1", "1100"}, false, 4, 0x23}, {"belk", {"-max77663", "SD1", "1100"}, false, 4, 0x3c},
};

enum class Target { Memory, Bus, Device };

struct Fault {
    const char* name;
    const char* rule;  // completed with the command's bus, and device address, by `target`
    Target target;
    const char* options = "";
};

const Fault kFaults[] = {
    {"NoDevMem", "mem open", Target::Memory}, {"MappingFails", "mem mmap after=1", Target::Memory},
    {"UnmappingFails", "mem munmap after=1", Target::Memory},
    {"EmcPageDoesNotAnswer", "mem buserror addr=0x7000F000", Target::Memory},
    {"BusCannotBeOpened", "i2c open", Target::Bus}, {"DeviceNeverAnswers", "i2c nack", Target::Device},
    {"DeviceAnswersOnce", "i2c nack", Target::Device, " after=1"},
    {"DeviceOnlyTakesWrites", "i2c nack", Target::Device, " dir=read"},
};

std::string Rule(const Fault& fault, const Command& command)
{
    char where[32] = "";
    if (fault.target != Target::Memory)
        snprintf(where, sizeof where, " bus=%d", command.bus);
    if (fault.target == Target::Device)
        snprintf(where, sizeof where, " bus=%d addr=%#x", command.bus, static_cast<unsigned>(command.addr));
    return fault.rule + std::string(where) + fault.options;
}

// Writes to a register whose read had failed before: a read-modify-write that went on
// with a value it never read.
Lines BlindWrites(const Lines& transfers, const Command& command)
{
    char device[24];
    snprintf(device, sizeof device, "i2c-%d 0x%02x w ", command.bus, command.addr);
    Lines blind;
    std::set<unsigned long> unread;
    for (const std::string& line : transfers) {
        if (!line.starts_with(device))
            continue;
        unsigned long reg = std::stoul(line.substr(std::string(device).size()), nullptr, 16);
        bool read = line.find(" r ") != std::string::npos, failed = line.find(" failed ") != std::string::npos;
        if (read && failed)
            unread.insert(reg);
        else if (!read && !failed && unread.contains(reg))
            blind.push_back(line);
    }
    return blind;
}

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class FaultMatrix : public testing::TestWithParam<Fault> {};

TEST_P(FaultMatrix, EveryCommandEndsCleanly)
{
    const Fault& fault = GetParam();
    const std::string name = fault.name;
    std::map<std::string, std::unique_ptr<SimBoard>> boards;
    for (const Command& command : kCommands) {
        if (fault.target != Target::Memory && command.bus < 0)
            continue;
        std::unique_ptr<SimBoard>& board = boards[command.model];
        if (!board)
            board = std::make_unique<SimBoard>(command.model);
        board->ClearFaults();
        board->Fault(Rule(fault, command));
        RunResult r = board->Rigo(command.args);

        SCOPED_TRACE(command.model + testing::PrintToString(command.args) + " with " + Rule(fault, command));
        EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status << "\n" << r.err;
        EXPECT_TRUE(r.err.find("Sanitizer") == std::string::npos && r.err.find("runtime error") == std::string::npos)
            << r.err;
        if (command.bus >= 0 && !command.readsFailAsZero) {
            EXPECT_EQ(BlindWrites(board->Transfers(), command), Lines{});
        }
        // The chip ID is read before any command runs; a failed unmapping never ends one.
        const bool ends = name == "NoDevMem" || (name == "MappingFails" && command.mapsMemory);
        if (fault.target == Target::Memory) {
            EXPECT_TRUE(name == "EmcPageDoesNotAnswer" ? r.status == 0 || r.err.starts_with("Error: Bus fault at 0x")
                                                       : r.status == (ends ? 1 : 0)) << r.status << r.err;
            EXPECT_TRUE(!ends || (r.out.empty() && r.err.starts_with("Error at line "))) << r.out << r.err;
        }
        if (fault.target == Target::Bus && command.args[0].starts_with("-i2c")) {
            EXPECT_EQ(r.out, "Error: Unable to open /dev/I2C-4 node.\n");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, testing::ValuesIn(kFaults),
                         [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

}  // namespace
