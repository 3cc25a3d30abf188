// Check plans: a text file of expectations about a board, one per line, and the KTAP lines
// that report each against what the board shows. Parsing and judging only; nothing here
// touches the hardware.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "bus/i2c_device.h"
#include "cli/registry.h"
#include "pmic/rail.h"

// A unit a plan may write a quantity in; values are kept in the base unit of the dimension
// (mV, Hz, mA) and shown in the unit the plan used.
struct Unit {
    const char* symbol;
    double scale;  // base units per unit
};

// An inclusive range of a quantity, in its base unit.
struct Limits {
    double low;
    double high;
    const Unit* unit;

    bool Holds(double value) const { return value >= low && value <= high; }
};

// Bits msb..lsb of a register, expected to lie in low..high.
struct FieldLimits {
    unsigned msb;
    unsigned lsb;
    DWORD low;
    DWORD high;

    DWORD Get(DWORD registerValue) const
    {
        return RegisterField{0, static_cast<BYTE>(lsb), static_cast<BYTE>(msb)}.Get(registerValue);
    }
    bool Holds(DWORD registerValue) const { return Get(registerValue) >= low && Get(registerValue) <= high; }
};

struct ChipCheck {
    std::string model;  // as the plan spells it
    DWORD revision;     // as -chip shows it: 0xA01 for A01
};

struct RailCheck {
    const RegulatorCommand* command;
    size_t rail;      // index in the driver's rail table
    bool busGiven;    // false: the command's default bus and address on the running chip
    I2cDevice device;
    bool on;
    Limits millivolts;
};

struct ClockCheck {
    const char* clock;  // as ClockHertz spells it
    Limits hertz;
};

struct IddqCheck {
    bool lowPower;     // the LP variant's fuses, else G's
    double milliamps;  // the value must lie below this
    const Unit* unit;
};

struct MemoryCheck {
    DWORD address;
    FieldLimits field;
};

struct I2cCheck {
    I2cDevice device;
    BYTE reg;
    FieldLimits field;
};

struct Expectation {
    int line;
    std::string name;  // the result's name: no blank, no '#', one per plan
    std::variant<ChipCheck, RailCheck, ClockCheck, IddqCheck, MemoryCheck, I2cCheck> check;
};

struct ParsedPlan {
    std::vector<Expectation> expectations;
    int errorLine = 0;  // with an error: its line, or 0 for the plan as a whole
    std::string error;  // empty when the whole plan was read
};

ParsedPlan ParsePlan(std::string_view text);

// A value in the range's unit, e.g. "1212.5 mV"; the range as "1175 mV to 1225 mV".
std::string ShowQuantity(double value, const Unit* unit);
std::string ShowLimits(const Limits& limits);
// A field value in hexadecimal; the range as "0x30" or "0x30 to 0x37".
std::string ShowFieldLimits(const FieldLimits& field);

// The lines of one result: the diagnostic under the result's name, then "ok N name" or
// "not ok N name".
std::string KtapResult(size_t number, bool ok, const std::string& name, const std::string& diagnostic);
