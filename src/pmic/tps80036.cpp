#include "pmic/tps80036.h"

#include <cstdio>

#include "bus/i2c.h"
#include "pmic/palmas_map.h"
#include "pmic/rail.h"

namespace {

enum class Quirk {
    kNone,
    kHalves,       // halved while on when the halving flag is set
    kFiveVoltTop,  // the top selector gives 5 V
};

struct Rail {
    const char* name;
    PalmasRegulator regulator;
    Quirk quirk;
};

const Rail kRails[] = {
    {"SMPS12", kPalmasSmps12, Quirk::kNone}, {"SMPS3", kPalmasSmps3, Quirk::kNone},
    {"SMPS6", kPalmasSmps6, Quirk::kNone},   {"SMPS7", kPalmasSmps7, Quirk::kNone},
    {"SMPS8", kPalmasSmps8, Quirk::kNone},   {"SMPS9", kPalmasSmps9, Quirk::kNone},
    {"LDO1", kPalmasLdo1, Quirk::kNone},     {"LDO2", kPalmasLdo2, Quirk::kNone},
    {"LDO3", kPalmasLdo3, Quirk::kNone},     {"LDO4", kPalmasLdo4, Quirk::kHalves},
    {"LDO5", kPalmasLdo5, Quirk::kHalves},   {"LDO6", kPalmasLdo6, Quirk::kNone},
    {"LDO7", kPalmasLdo7, Quirk::kFiveVoltTop}, {"LDO8", kPalmasLdo8, Quirk::kNone},
    {"LDO9", kPalmasLdo9, Quirk::kHalves},   {"LDO10", kPalmasLdo10, Quirk::kNone},
    {"LDO11", kPalmasLdo11, Quirk::kNone},   {"LDO12", kPalmasLdo12, Quirk::kNone},
    {"LDO13", kPalmasLdo13, Quirk::kNone},   {"LDO14", kPalmasLdo14, Quirk::kNone},
    {"LDOLN", kPalmasLdoLn, Quirk::kNone},   {"LDOUSB", kPalmasLdoUsb, Quirk::kNone},
    {nullptr, {}, Quirk::kNone},
};

// Register 0x6A bit 3: the halving flag.
const BYTE kHalvingRegister = 0x6A;
const DWORD kHalvingFlag = 0x08;

const DWORD kFiveVoltSelector = 0x3F;
const DWORD kFiveVoltMillivolts = 5000;

// Read back, the converter selectors below the floor give the floor and those above the
// top run on along the slope.
constexpr LinearRange kSmpsReadRanges[] = {
    {kPalmasSmpsMillivolts.minimum, 1, 5, 0},
    {kPalmasSmpsMillivolts.minimum, kPalmasSmpsMillivolts.firstSelector, 127, kPalmasSmpsMillivolts.step},
};
// The whole LDO voltage register is read as the selector; everything above the top stays there.
constexpr LinearRange kLdoReadRanges[] = {kPalmasLdoMillivolts, {kPalmasLdoMillivolts.Maximum(), 50, 0xFF, 0}};

const char* const kSmpsModes[] = {"OFF       ", "AUTO      ", "ECO       ", "FORCE_PWM "};
const char kUnknownWord[] = "UNKNOWN   ";

// Opens the bus node; a failure says so (and closes).
bool OpenBus(const I2cDevice& device)
{
    if (DeviceOpen(device) == 0)
        return true;
    puts("Failed to open the I2C device!");
    I2cClose();
    return false;
}

int WriteField(const I2cDevice& device, const RegisterField& field, DWORD value)
{
    return DeviceWriteField(device, field.reg, value, field.lsb, field.msb);
}

// Reads a converter's mode and voltage; false, leaving both, when a register cannot be read.
bool ReadSmps(const I2cDevice& device, const PalmasRegulator& regulator, const char** pWord, DWORD* pMillivolts)
{
    DWORD control = 0;
    DWORD voltage = 0;
    if (DeviceRead(device, regulator.status.reg, &control) != 0 ||
        DeviceRead(device, regulator.selector.reg, &voltage) != 0)
        return false;
    *pWord = kSmpsModes[regulator.status.Get(control)];
    *pMillivolts = tps80036_SmpsMillivolts(voltage);
    return true;
}

DWORD LdoMillivolts(const Rail& rail, DWORD voltageRegister, bool halved)
{
    if (rail.quirk == Quirk::kFiveVoltTop && voltageRegister == kFiveVoltSelector)
        return kFiveVoltMillivolts;
    DWORD millivolts = tps80036_LdoMillivolts(voltageRegister);
    return rail.quirk == Quirk::kHalves && halved ? millivolts / 2 : millivolts;
}

// Reads an LDO's state and voltage; false, leaving both, when a register cannot be read.
bool ReadLdo(const I2cDevice& device, const Rail& rail, const char** pWord, DWORD* pMillivolts)
{
    DWORD flags = 0;
    DWORD control = 0;
    DWORD voltage = 0;
    if (DeviceRead(device, kHalvingRegister, &flags) != 0 || DeviceRead(device, rail.regulator.status.reg, &control) != 0 ||
        DeviceRead(device, rail.regulator.selector.reg, &voltage) != 0)
        return false;
    bool on = rail.regulator.status.Get(control) != 0;
    *pWord = on ? "ON        " : "OFF       ";
    *pMillivolts = LdoMillivolts(rail, voltage, on && (flags & kHalvingFlag) != 0);
    return true;
}

int ReadRail(const I2cDevice& device, const Rail& rail)
{
    if (!OpenBus(device))
        return 1;
    const char* word = kUnknownWord;
    DWORD millivolts = 0;
    int status = 0;
    if (rail.regulator.converter) {
        if (!ReadSmps(device, rail.regulator, &word, &millivolts)) {
            puts("Failed to read the SMPS output!");
            status = 1;
        }
    } else {
        ReadLdo(device, rail, &word, &millivolts);  // an unreadable LDO shows as UNKNOWN, silently
    }
    printf("%-12s %-8s %6.1fmV\n", rail.name, word, static_cast<double>(millivolts));
    I2cClose();
    return status;
}

// A converter in any mode but OFF, an LDO with its status bit set, is running. Only the
// LDOs that halve read the halving flag.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Rail* rail = RailAt(kRails, index);
    DWORD flags = 0;
    DWORD status = 0;
    DWORD voltage = 0;
    if (rail == nullptr ||
        (rail->quirk == Quirk::kHalves && !ReadSourceField(source, device.address, {kHalvingRegister, 0, 7}, &flags)) ||
        !ReadSourceField(source, device.address, rail->regulator.status, &status) ||
        !ReadSourceField(source, device.address, {rail->regulator.selector.reg, 0, 7}, &voltage))
        return false;
    bool on = status != 0;
    DWORD millivolts = rail->regulator.converter ? tps80036_SmpsMillivolts(voltage)
                                                 : LdoMillivolts(*rail, voltage, on && (flags & kHalvingFlag) != 0);
    *reading = {on, static_cast<double>(millivolts)};
    return true;
}

// On the open bus: checks the request against the range, which the converter's range flag
// doubles, then writes the selector and, once that took, switches the rail on.
int WriteVoltage(const I2cDevice& device, const Rail& rail, DWORD millivolts)
{
    const PalmasRegulator& regulator = rail.regulator;
    DWORD flags = 0;
    if (DeviceRead(device, regulator.converter ? regulator.selector.reg : kHalvingRegister, &flags) != 0)
        return 1;
    bool doubled = regulator.converter && (flags & kPalmasRangeFlag) != 0;
    const LinearRange& range = regulator.converter ? kPalmasSmpsMillivolts : kPalmasLdoMillivolts;
    DWORD lowest = doubled ? 2 * range.minimum : range.minimum;
    DWORD highest = doubled ? 2 * range.Maximum() : range.Maximum();
    if (millivolts < lowest || millivolts > highest) {
        printf("Wrong volt %d, valid range is [%d, %d]\n", static_cast<int>(millivolts), static_cast<int>(lowest),
               static_cast<int>(highest));
        return 1;
    }
    DWORD selector = regulator.converter ? tps80036_SmpsSelector(millivolts, doubled)
                                         : tps80036_LdoSelector(millivolts, (flags & kHalvingFlag) != 0);
    // A selector write that failed leaves the rail as it was, which the read-back shows.
    if (WriteField(device, regulator.selector, selector) == 0 && WriteField(device, regulator.request, 1) != 0)
        return 1;
    return 0;
}

void List(const I2cDevice& device)
{
    for (const Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail);
}

int Read(const I2cDevice& device, const char* name)
{
    const Rail* rail = FindRail(kRails, name);
    return rail == nullptr ? 1 : ReadRail(device, *rail);
}

// A set that went through is read back.
int SetVoltage(const I2cDevice& device, const char* name, double voltage)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr || !OpenBus(device))
        return 1;
    int status = WriteVoltage(device, *rail, static_cast<DWORD>(voltage));
    I2cClose();
    if (status == 0)
        ReadRail(device, *rail);
    return status;
}

// ON requests mode 1 (a converter's AUTO), OFF mode 0.
int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr || !OpenBus(device))
        return 1;
    bool written = WriteField(device, rail->regulator.request, on ? 1 : 0) == 0;
    I2cClose();
    return written ? 0 : 1;
}

}  // namespace

DWORD tps80036_SmpsMillivolts(DWORD voltageRegister)
{
    DWORD millivolts = 0;
    RangesVoltage(kSmpsReadRanges, voltageRegister & kPalmasSmpsSelectorMask, &millivolts);
    return (voltageRegister & kPalmasRangeFlag) != 0 ? 2 * millivolts : millivolts;
}

DWORD tps80036_SmpsSelector(DWORD millivolts, bool doubled)
{
    return kPalmasSmpsMillivolts.SelectorAtOrBelow(doubled ? millivolts / 2 : millivolts);
}

DWORD tps80036_LdoMillivolts(DWORD voltageRegister)
{
    DWORD millivolts = 0;
    RangesVoltage(kLdoReadRanges, voltageRegister, &millivolts);
    return millivolts;
}

DWORD tps80036_LdoSelector(DWORD millivolts, bool halving)
{
    const LinearRange& range = kPalmasLdoMillivolts;
    DWORD requested = halving ? 2 * millivolts : millivolts;
    return range.firstSelector + (requested - range.minimum) / range.step;
}

const RegulatorDriver kTps80036Driver = {
    [](size_t index) { return RailNameAt(kRails, index); }, List, Read, SetVoltage, SetState, DecodeRail,
};
