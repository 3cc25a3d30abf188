#include "pmic/tps65911.h"

#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "bus/i2c.h"
#include "pmic/rail.h"

namespace {

// How a rail's selector maps to voltages.
enum class Encoding {
    kVioLevels,        // four fixed levels
    kConverter,        // tenths of a millivolt; bit 7 of the operating register hands over to the SR register
    kConverterSrView,  // VDDCTRL's SR register on its own: bit 7 hands over nothing, whole millivolts shown
    kLdo,              // millivolts
};

struct Rail {
    const char* name;
    Encoding encoding;
    RegisterField state;     // 0 off, anything else on
    RegisterField selector;  // of a converter: bits 6-0 of its operating register
    BYTE srReg;              // of a converter: holds the selector while bit 7 of the operating register is set
    LinearRange settable;    // what a set selects from; a read continues the line over the whole field
    bool zeroSettable;       // a set to 0 selects 0 (off)
};

constexpr LinearRange kVddTenths = {6000, 3, 75, 125};         // 600-1500 mV in 12.5 mV steps
constexpr LinearRange kVddCtrlTenths = {6000, 3, 67, 125};     // 600-1400 mV in 12.5 mV steps
constexpr LinearRange kLdo50Millivolts = {1000, 4, 50, 50};    // 1000-3300 mV in 50 mV steps
constexpr LinearRange kLdo100Millivolts = {1000, 2, 25, 100};  // 1000-3300 mV in 100 mV steps
const DWORD kVioMillivolts[] = {1500, 1800, 2500, 3300};

constexpr Rail kRails[] = {
    // name, encoding, state, selector, SR register, settable range, 0 settable
    {"VIO", Encoding::kVioLevels, {0x20, 0, 1}, {0x20, 2, 3}, 0, {}, false},
    {"VDD1", Encoding::kConverter, {0x21, 0, 1}, {0x22, 0, 6}, 0x23, kVddTenths, false},
    {"VDD2", Encoding::kConverter, {0x24, 0, 1}, {0x25, 0, 6}, 0x26, kVddTenths, false},
    {"VDDCTRL", Encoding::kConverter, {0x27, 0, 1}, {0x28, 0, 6}, 0x29, kVddCtrlTenths, true},
    {"VDDCTRLSR", Encoding::kConverterSrView, {0x27, 0, 1}, {0x29, 0, 6}, 0x29, kVddCtrlTenths, true},
    {"LDO1", Encoding::kLdo, {0x30, 0, 1}, {0x30, 2, 7}, 0, kLdo50Millivolts, false},
    {"LDO2", Encoding::kLdo, {0x31, 0, 1}, {0x31, 2, 7}, 0, kLdo50Millivolts, false},
    {"LDO3", Encoding::kLdo, {0x37, 0, 1}, {0x37, 2, 6}, 0, kLdo100Millivolts, false},
    {"LDO4", Encoding::kLdo, {0x36, 0, 1}, {0x36, 2, 7}, 0, kLdo50Millivolts, false},
    {"LDO5", Encoding::kLdo, {0x32, 0, 1}, {0x32, 2, 6}, 0, kLdo100Millivolts, false},
    {"LDO6", Encoding::kLdo, {0x35, 0, 1}, {0x35, 2, 7}, 0, kLdo100Millivolts, false},  // six bits, 100 mV steps
    {"LDO7", Encoding::kLdo, {0x34, 0, 1}, {0x34, 2, 6}, 0, kLdo100Millivolts, false},
    {"LDO8", Encoding::kLdo, {0x33, 0, 1}, {0x33, 2, 6}, 0, kLdo100Millivolts, false},
    {nullptr, Encoding::kLdo, {}, {}, 0, {}, false},
};

const DWORD kSrSelect = 0x80;    // in a converter's operating register
const DWORD kTenthsFrom = 2000;  // converter requests from here up are tenths of a millivolt
const int kUnknownRail = 2;
// States 1 (active) and 3 (low power) power a rail; 2 is off, as 0 is.
const DWORD kStatePowered = 0x1;

// The I/O expander beside the PMIC; its outputs drive the LDO bypass pins.
const DWORD kExpanderAddress = 0x20;
const DWORD kExpanderOutputReg = 0x03;
const DWORD kExpanderDirectionReg = 0x07;  // a 0 bit makes the pin an output
const useconds_t kBypassSettleMicroseconds = 1000;

// The record of a rail named exactly so, at compile time.
consteval const Rail& RailNamed(std::string_view name)
{
    for (const Rail& rail : kRails)
        if (rail.name != nullptr && name == rail.name)
            return rail;
    throw "no such rail";
}

struct BypassPin {
    const Rail& rail;
    DWORD expanderBit;
};

const BypassPin kBypassPins[] = {{RailNamed("LDO7"), 0x10}, {RailNamed("LDO8"), 0x08}};

bool IsConverter(const Rail& rail)
{
    return rail.encoding == Encoding::kConverter || rail.encoding == Encoding::kConverterSrView;
}

// Below the range a selector reads as its minimum; above it the range's line continues.
DWORD ReadingOf(const LinearRange& range, DWORD selector)
{
    if (selector <= range.firstSelector)
        return range.minimum;
    return range.minimum + (selector - range.firstSelector) * range.step;
}

DWORD SelectorToMillivolts(const Rail& rail, DWORD selector)
{
    switch (rail.encoding) {
    case Encoding::kVioLevels:
        return kVioMillivolts[selector & 3];
    case Encoding::kConverter:
    case Encoding::kConverterSrView:
        return selector == 0 ? 0 : ReadingOf(rail.settable, selector) / 10;
    case Encoding::kLdo:
        return ReadingOf(rail.settable, selector);
    }
    return 0;
}

// The nearest level; half-way goes to the lower one.
DWORD NearestVioLevel(DWORD millivolts)
{
    DWORD selector = 0;
    while (selector + 1 < std::size(kVioMillivolts) &&
           millivolts > (kVioMillivolts[selector] + kVioMillivolts[selector + 1]) / 2)
        ++selector;
    return selector;
}

DWORD RequestToSelector(const Rail& rail, DWORD request)
{
    switch (rail.encoding) {
    case Encoding::kVioLevels:
        return NearestVioLevel(request);
    case Encoding::kConverter:
    case Encoding::kConverterSrView:
        if (request == 0 && rail.zeroSettable)
            return 0;
        return rail.settable.SelectorAtOrBelow(request < kTenthsFrom ? 10 * request : request);
    case Encoding::kLdo:
        return rail.settable.SelectorAtOrBelow(request);
    }
    return 0;
}

// The step a typed value is rounded to and a rail line shows fractions of; 0 where the
// rail shows whole millivolts.
double StepMillivolts(const Rail& rail)
{
    switch (rail.encoding) {
    case Encoding::kConverter:
        return rail.settable.step / 10.0;
    case Encoding::kLdo:
        return rail.settable.step;
    case Encoding::kVioLevels:
    case Encoding::kConverterSrView:
        break;
    }
    return 0;
}

// As a rail line shows it: 12.5 mV rails keep their half millivolt.
double ShownRailMillivolts(const Rail& rail, DWORD selector)
{
    return ShownMillivolts(SelectorToMillivolts(rail, selector), StepMillivolts(rail));
}

// Bus 0 or address 0 counts as not set: no access at all.
bool IsSet(const I2cDevice& device)
{
    return device.node != 0 && device.address != 0;
}

// One register at its own open and close; 0 when it cannot be read.
DWORD ReadRegister(const I2cDevice& device, DWORD reg)
{
    DWORD value = 0;
    if (!IsSet(device))
        return value;
    DeviceOpen(device);  // a failed open makes the read fail
    DeviceRead(device, reg, &value);
    I2cClose();
    return value;
}

void WriteField(const I2cDevice& device, const RegisterField& field, DWORD value)
{
    if (!IsSet(device))
        return;
    DWORD current = ReadRegister(device, field.reg);
    DeviceOpen(device);
    DeviceWrite(device, field.reg, field.Set(current, value));
    I2cClose();
}

DWORD ReadSelector(const I2cDevice& device, const Rail& rail)
{
    DWORD selectorRegister = ReadRegister(device, rail.selector.reg);
    if (rail.encoding == Encoding::kConverter && (selectorRegister & kSrSelect) != 0)
        selectorRegister = ReadRegister(device, rail.srReg);
    return rail.selector.Get(selectorRegister);
}

void WriteSelector(const I2cDevice& device, const Rail& rail, DWORD selector)
{
    if (!IsConverter(rail)) {
        WriteField(device, rail.selector, selector);
        return;
    }
    // The whole register: writing the SR register clears its bit 7.
    DWORD operating = ReadRegister(device, rail.selector.reg);
    BYTE target = (operating & kSrSelect) != 0 ? rail.srReg : rail.selector.reg;
    WriteField(device, {target, 0, 7}, selector);
}

void ReadRail(const I2cDevice& device, const Rail& rail)
{
    DWORD selector = ReadSelector(device, rail);
    DWORD state = rail.state.Get(ReadRegister(device, rail.state.reg));
    printf("%-12s %3s %6.1fmV\n", rail.name, state != 0 ? "ON" : "OFF", ShownRailMillivolts(rail, selector));
}

// A converter's SR register is read whatever bit 7 of its operating register says, so that
// the registers read do not change with it.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Rail* rail = RailAt(kRails, index);
    if (rail == nullptr)
        return false;
    bool converter = rail->encoding == Encoding::kConverter;
    DWORD operating = 0;
    DWORD sr = 0;
    DWORD state = 0;
    if (!ReadSourceField(source, device.address, {rail->selector.reg, 0, 7}, &operating) ||
        (converter && !ReadSourceField(source, device.address, {rail->srReg, 0, 7}, &sr)) ||
        !ReadSourceField(source, device.address, rail->state, &state))
        return false;
    DWORD selector = rail->selector.Get(converter && (operating & kSrSelect) != 0 ? sr : operating);
    *reading = {(state & kStatePowered) != 0, ShownRailMillivolts(*rail, selector)};
    return true;
}

void List(const I2cDevice& device)
{
    for (const Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail);
}

int Read(const I2cDevice& device, const char* name)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kUnknownRail;
    ReadRail(device, *rail);
    return 0;
}

int SetVoltage(const I2cDevice& device, const char* name, double millivolts)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kUnknownRail;
    WriteSelector(device, *rail, RequestToSelector(*rail, static_cast<DWORD>(millivolts)));
    return 0;
}

int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kUnknownRail;
    WriteField(device, rail->state, on ? 1 : 0);
    return 0;
}

}  // namespace

const RegulatorDriver kTps65911Driver = {
    [](size_t index) { return RailNameAt(kRails, index); }, List, Read, SetVoltage, SetState, DecodeRail,
};

bool tps65911_RailStepMillivolts(const char* pName, double* pStep)
{
    const Rail* rail = FindRail(kRails, pName);
    if (rail == nullptr)
        return false;
    *pStep = StepMillivolts(*rail);
    return true;
}

DWORD tps65911_SelectorToMillivolts(const char* rail, DWORD selector)
{
    const Rail* found = FindRail(kRails, rail);
    return found == nullptr ? 0 : SelectorToMillivolts(*found, selector);
}

DWORD tps65911_RequestToSelector(const char* rail, DWORD request)
{
    const Rail* found = FindRail(kRails, rail);
    return found == nullptr ? 0 : RequestToSelector(*found, request);
}

int tps65911_BypassLdo(const I2cDevice& device, const char* rail)
{
    const BypassPin* pin = nullptr;
    for (const BypassPin& candidate : kBypassPins)
        if (stricmp(candidate.rail.name, rail) == 0)
            pin = &candidate;
    if (pin == nullptr)
        return 1;
    if (DeviceOpen(device) != 0) {
        printf("Error: Unable to open /dev/I2C-%d node.\n", static_cast<int>(device.node));
        return 1;
    }
    const I2cDevice expander = {device.node, kExpanderAddress};
    DWORD direction = 0;
    DWORD output = 0;
    int readStatus = DeviceRead(expander, kExpanderDirectionReg, &direction);
    readStatus |= DeviceRead(expander, kExpanderOutputReg, &output);
    if (readStatus != 0) {
        puts("Error: Unable to read I2C device.");
        I2cClose();
        return 1;
    }
    if (DeviceWrite(expander, kExpanderDirectionReg, direction & ~pin->expanderBit) != 0) {
        puts("Error: Unable to write I2C device [0x20, 0x7].");
        I2cClose();
        return 1;
    }
    if (DeviceWrite(expander, kExpanderOutputReg, (output & 0xFF) | pin->expanderBit) != 0) {
        I2cClose();
        return 0;
    }
    usleep(kBypassSettleMicroseconds);
    // The LDO's accesses reuse the node held open here, and close it.
    WriteField(device, pin->rail.state, 0);
    ReadRail(device, pin->rail);
    I2cClose();
    return 0;
}
