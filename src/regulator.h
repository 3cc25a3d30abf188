// The command grammar shared by the regulator commands:
//   -<chip> list [<I2C_NODE> <I2C_ADDR>]
//   -<chip> [<I2C_NODE> <I2C_ADDR>] <NAME> [ON/OFF/VALUE]
#pragma once

#include <span>

#include "common.h"

// Where a chip sits on the boards of one SoC.
struct BusDefault {
    DWORD chipId;
    DWORD bus;
    DWORD address;
};

enum RegulatorAction { RailList, RailRead, RailWrite };

struct RegulatorArgs {
    RegulatorAction action;
    DWORD bus;
    DWORD address;
    const char* name;   // read and write
    const char* value;  // write: the last argument as typed
};

// Every regulator driver talks 8-bit registers with 8-bit addresses at 100 kHz.
const DWORD kRegAddrBits = 8;
const DWORD kRegDataBits = 8;
const DWORD kRegClockKHz = 100;

// The default bus and address of the running chip; bus 0 and address 0 (no default) when
// the chip ID is not in the table.
BusDefault DefaultBus(std::span<const BusDefault> defaults);

// Parses argv[2..]; usage errors (wrong count, address 0) print the help and exit 1.
RegulatorArgs ParseRegulatorArgs(int argc, char** argv, std::span<const BusDefault> defaults);

// True when the first word after the keyword is `word` (any case).
bool IsFirstWord(int argc, char** argv, const char* word);

// 1 for "ON", 0 for "OFF" (any case), -1 for anything else.
int OnOffKeyword(const char* word);

// A command without ON/OFF: the last argument is always a voltage, in whole 10 mV steps,
// and a failed read or write ends the program with the command's message.
struct SteppedRegulator {
    std::span<const BusDefault> defaults;
    int (*init)(DWORD, DWORD, DWORD, DWORD, DWORD);
    int (*getVolt)(const char*, DWORD*);
    int (*setVolt)(const char*, DWORD);
    int (*listVolt)();
    const char* initFailed;
    const char* readFailed;
    const char* writeFailed;
};

void RunSteppedRegulator(int argc, char** argv, const SteppedRegulator& command);

// A command with ON/OFF whose voltage is read as atoi reads it, in whole millivolts, and
// whose driver statuses are not examined.
struct WholeMillivoltRegulator {
    std::span<const BusDefault> defaults;
    int (*init)(DWORD, DWORD, DWORD, DWORD, DWORD);
    int (*getVolt)(const char*, DWORD*);
    int (*setVolt)(const char*, DWORD);
    int (*setVoltOnOff)(const char*, DWORD);
    void (*listVolt)();
    const char* initFailed;
};

void RunWholeMillivoltRegulator(int argc, char** argv, const WholeMillivoltRegulator& command);

// Value conversions of the regulator commands.
DWORD TruncatedMillivolts(const char* text);  // strtod, truncated toward zero
DWORD TenMillivoltSteps(const char* text);    // strtoul base 0, rounded down to 10 mV
DWORD WholeMillivolts(const char* text);      // atoi on the 32-bit targets: decimal, saturating
