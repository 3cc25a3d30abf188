// The command registry: one row per command keyword. It feeds the dispatcher, and the
// generated shell completion and manual page.
#pragma once

#include <cstddef>
#include <span>

#include "pmic/regulator.h"

// Where a chip sits on the boards of one SoC.
struct BusDefault {
    DWORD chipId;
    DWORD bus;
    DWORD address;
};

// What a regulator command does with a driver status other than 0.
enum FailureReport {
    kIgnoreFailure,    // nothing; the command ends with status 0
    kExitOnFailure,    // "Error: An error occurred while attempting to read|write the <CHIP> voltage." and status 1
    kPrintErrorCode,  // "Failed to get voltage [ERR CODE: %i]" and its kin; status 0
};

struct RegulatorCommand {
    const char* chip;  // as its messages name it
    std::span<const BusDefault> defaults;
    const RegulatorDriver& driver;
    // The typed value in the driver's unit; exits on a value the command refuses, false
    // when there is nothing more to do.
    bool (*parseValue)(const char* name, const char* text, double* voltage);
    FailureReport failures;
    bool readBack;  // a set that went through is followed by a read of the rail
    // The bypass form of the TPS65911 command; null for the others.
    void (*bypass)(int argc, char** argv, std::span<const BusDefault> defaults);
};

struct CommandRow {
    const char* keyword;
    void (*handler)(int argc, char** argv);  // null for a regulator command
    const RegulatorCommand* regulator;
    const char* (*outputName)(size_t index);  // the names a command other than a regulator's takes
    bool readsChipId = true;  // false: a command on files only, run without the board
};

std::span<const CommandRow> CommandRegistry();

// The default bus and address of the running chip; bus 0 and address 0 (no default) when
// the chip ID is not in the table.
BusDefault DefaultBus(std::span<const BusDefault> defaults);
// Where the board-ID EEPROM sits on the running chip's boards; address 0 for none.
BusDefault DefaultBoardIdEeprom();

void RunRegulator(int argc, char** argv, const RegulatorCommand& command);

// -tps65911 bypass [<I2C_NODE> <I2C_ADDR>] LDO7|LDO8
void Tps65911Bypass(int argc, char** argv, std::span<const BusDefault> defaults);
