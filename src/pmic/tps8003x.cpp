#include "pmic/tps8003x.h"

#include <cstdio>
#include <iterator>

#include "bus/i2c.h"
#include "pmic/rail.h"

namespace {

using enum Tps8003xKind;

// A register at one of the chip's two device addresses.
struct ChipRegister {
    BYTE device;
    BYTE reg;
};

struct Rail {
    const char* name;
    Tps8003xKind kind;
    ChipRegister state;    // bits 1-0: 0 off, anything else on
    ChipRegister voltage;  // bits 5-0: the selector
};

const Rail kRails[] = {
    // name     kind        state         voltage
    {"SMPS1",  kSmps12mV5, {0x48, 0x54}, {0x12, 0x55}},
    {"SMPS2",  kSmps12mV5, {0x48, 0x5A}, {0x12, 0x5B}},
    {"SMPS3",  kSmps12mV5, {0x48, 0x66}, {0x48, 0x68}},
    {"SMPS4",  kSmps38mV6, {0x48, 0x42}, {0x48, 0x44}},
    {"VIO",    kSmps12mV5, {0x48, 0x48}, {0x12, 0x49}},
    {"VANA",   kLdo100mV,  {0x48, 0x82}, {0x48, 0x83}},
    {"LDOLN",  kLdo100mV,  {0x48, 0x96}, {0x48, 0x97}},
    {"LDOUSB", kLdo100mV,  {0x48, 0xA2}, {0x48, 0xA3}},
    {"LDO1",   kLdo100mV,  {0x48, 0x9E}, {0x48, 0x9F}},
    {"LDO2",   kLdo100mV,  {0x48, 0x86}, {0x48, 0x87}},
    {"LDO3",   kLdo100mV,  {0x48, 0x8E}, {0x48, 0x8F}},
    {"LDO4",   kLdo100mV,  {0x48, 0x8A}, {0x48, 0x8B}},
    {"LDO5",   kLdo100mV,  {0x48, 0x9A}, {0x48, 0x9B}},
    {"LDO6",   kLdo100mV,  {0x48, 0x92}, {0x48, 0x93}},
    {"LDO7",   kLdo100mV,  {0x48, 0xA6}, {0x48, 0xA7}},
    {nullptr,  kLdo100mV,  {0, 0},       {0, 0}},
};

// States 1 (on) and 3 (sleep, on at low power) power a rail; 2 is off, as 0 is.
const DWORD kStatePowered = 0x1;

// Converter selectors 1-57 and 63 lie on the converter's line; 58-62 are fixed levels.
struct ConverterLevels {
    LinearRange lineTenths;  // selectors 1-63, in tenths of a millivolt
    DWORD fixedMillivolts[5];
};

const DWORD kFirstFixedSelector = 58;
const DWORD kLastFixedSelector = 62;
constexpr ConverterLevels k12mV5Levels = {{6000, 1, 63, 125}, {1350, 1500, 1800, 1900, 2100}};
constexpr ConverterLevels k38mV6Levels = {{18520, 1, 63, 386}, {2084, 2315, 2788, 2933, 3241}};

// The 12.5 mV converters are written on their line up to 1300 mV, and from 1350 mV on with
// the fixed level whose band of requests holds the value (from these millivolts up).
const DWORD k12mV5FixedFromMillivolts[] = {1350, 1400, 1650, 1850, 2000};
// The 38.6 mV converter is written on its line up to selector 56, half a millivolt up.
const DWORD k38mV6HighestWrittenSelector = 56;
const DWORD k38mV6RequestSlackTenths = 5;

// LDO: 100 mV steps from 1000 mV at selector 1, written up to 3200 mV; selectors 26-31
// read 2750 mV, the others run on along the line.
constexpr LinearRange kLdoMillivolts = {1000, 1, 63, 100};
const DWORD kLdoHighestWrittenSelector = 23;
constexpr LinearRange kLdoFlatMillivolts = {2750, 26, 31, 0};

// The TPS80032's 12.5 mV converters, in tenths of a millivolt, by selector 0 to 63.
const DWORD kTps80032Smps12mV5Tenths[64] = {
    0,                                                           // 0
    6077,  6204,  6330,  6457,  6583,  6710,  6837,  6963,       // 1-8
    7090,  7216,  7343,  7470,  7596,  7723,  7850,  7976,       // 9-16
    8103,  8229,  8356,  8482,  8609,  8736,  8862,  8989,       // 17-24
    9115,  9242,  9369,  9495,  9622,  9748,  9875,  10002,      // 25-32
    10128, 10255, 10381, 10508, 10635, 10761, 10888, 11014,      // 33-40
    11141, 11268, 11394, 11521, 11647, 11774, 11901, 12027,      // 41-48
    12154, 12280, 12407, 12534, 12660, 12787, 12913, 13040,      // 49-56
    13167, 13674, 15193, 18231, 19244, 21270,                    // 57-62
    0,                                                           // 63
};

RegisterField StateField(const Rail& rail)
{
    return {rail.state.reg, 0, 1};
}

RegisterField SelectorField(const Rail& rail)
{
    return {rail.voltage.reg, 0, 5};
}

LinearRange UpTo(const LinearRange& range, DWORD lastSelector)
{
    return {range.minimum, range.firstSelector, lastSelector, range.step};
}

const ConverterLevels& LevelsOf(Tps8003xKind kind)
{
    return kind == kSmps38mV6 ? k38mV6Levels : k12mV5Levels;
}

DWORD ConverterMillivolts(const ConverterLevels& levels, DWORD selector)
{
    if (selector == 0)
        return 0;
    if (selector >= kFirstFixedSelector && selector <= kLastFixedSelector)
        return levels.fixedMillivolts[selector - kFirstFixedSelector];
    return levels.lineTenths.Voltage(selector) / 10;
}

DWORD LdoMillivolts(DWORD selector)
{
    if (selector == 0)
        return 0;
    if (kLdoFlatMillivolts.HoldsSelector(selector))
        return kLdoFlatMillivolts.minimum;
    return kLdoMillivolts.Voltage(selector);
}

// Selector 0 switches a converter off.
DWORD Smps12mV5Selector(DWORD millivolts)
{
    if (millivolts == 0)
        return 0;
    for (DWORD i = std::size(k12mV5FixedFromMillivolts); i-- > 0;)
        if (millivolts >= k12mV5FixedFromMillivolts[i])
            return kFirstFixedSelector + i;
    return UpTo(k12mV5Levels.lineTenths, kFirstFixedSelector - 1).SelectorAtOrBelow(10 * millivolts);
}

DWORD Smps38mV6Selector(DWORD millivolts)
{
    if (millivolts == 0)
        return 0;
    LinearRange written = UpTo(k38mV6Levels.lineTenths, k38mV6HighestWrittenSelector);
    if (millivolts > written.Maximum() / 10)
        return written.lastSelector;
    return written.SelectorAtOrBelow(10 * millivolts + k38mV6RequestSlackTenths);
}

// One register access between an open and a close of the bus node; nothing is done when
// the bus or device is not set, and failures are not reported.
template <typename Transfer>
void Access(const I2cDevice& device, Transfer transfer)
{
    if (device.node == 0 || device.address == 0)
        return;
    DeviceOpen(device);
    transfer();
    I2cClose();
}

// The register's value; 0 when it could not be read. The rail's own device is addressed
// on the given bus: the given address only has to be set.
DWORD ReadRegister(const I2cDevice& device, const ChipRegister& where)
{
    DWORD value = 0;
    Access(device, [&] { DeviceRead({device.node, where.device}, where.reg, &value); });
    return value;
}

void WriteField(const I2cDevice& device, BYTE deviceAddress, const RegisterField& field, DWORD value)
{
    Access(device, [&] { DeviceWriteField({device.node, deviceAddress}, field.reg, value, field.lsb, field.msb); });
}

using ShownFunction = double (*)(Tps8003xKind kind, DWORD selector);

void ReadRail(const I2cDevice& device, const Rail& rail, ShownFunction shown)
{
    DWORD selector = SelectorField(rail).Get(ReadRegister(device, rail.voltage));
    DWORD state = StateField(rail).Get(ReadRegister(device, rail.state));
    printf("%-12s %3s %6.1fmV\n", rail.name, state != 0 ? "ON" : "OFF", shown(rail.kind, selector));
}

template <ShownFunction Shown>
void List(const I2cDevice& device)
{
    for (const Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail, Shown);
}

template <ShownFunction Shown>
int Read(const I2cDevice& device, const char* name)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return 1;
    ReadRail(device, *rail, Shown);
    return 0;
}

int SetVoltage(const I2cDevice& device, const char* name, double voltage)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return 1;
    DWORD selector = tps8003x_Selector(rail->kind, static_cast<DWORD>(voltage));
    WriteField(device, rail->voltage.device, SelectorField(*rail), selector);
    return 0;
}

int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return 1;
    WriteField(device, rail->state.device, StateField(*rail), on ? 1 : 0);
    return 0;
}

// Each register at the chip's own device address, whatever address the device gives.
template <ShownFunction Shown>
bool DecodeRail(const I2cDevice&, size_t index, RegisterSource& source, RailReading* reading)
{
    const Rail* rail = RailAt(kRails, index);
    DWORD selector = 0;
    DWORD state = 0;
    if (rail == nullptr || !ReadSourceField(source, rail->voltage.device, SelectorField(*rail), &selector) ||
        !ReadSourceField(source, rail->state.device, StateField(*rail), &state))
        return false;
    *reading = {(state & kStatePowered) != 0, Shown(rail->kind, selector)};
    return true;
}

const char* RailName(size_t index)
{
    return RailNameAt(kRails, index);
}

}  // namespace

DWORD tps8003x_Selector(Tps8003xKind kind, DWORD millivolts)
{
    if (kind == kLdo100mV)
        return UpTo(kLdoMillivolts, kLdoHighestWrittenSelector).SelectorAtOrBelow(millivolts);
    if (kind == kSmps38mV6)
        return Smps38mV6Selector(millivolts);
    return Smps12mV5Selector(millivolts);
}

// Whole millivolts; off the kind's step grid the step's fraction is added back.
double tps80031_ShownMillivolts(Tps8003xKind kind, DWORD selector)
{
    if (kind == kLdo100mV)
        return ShownMillivolts(LdoMillivolts(selector), kLdoMillivolts.step);
    const ConverterLevels& levels = LevelsOf(kind);
    return ShownMillivolts(ConverterMillivolts(levels, selector), levels.lineTenths.step / 10.0);
}

double tps80032_ShownMillivolts(Tps8003xKind kind, DWORD selector)
{
    if (kind == kSmps12mV5)
        return kTps80032Smps12mV5Tenths[selector] / 10.0;
    return tps80031_ShownMillivolts(kind, selector);
}

const RegulatorDriver kTps80031Driver = {
    RailName, List<tps80031_ShownMillivolts>, Read<tps80031_ShownMillivolts>, SetVoltage, SetState,
    DecodeRail<tps80031_ShownMillivolts>,
};

const RegulatorDriver kTps80032Driver = {
    RailName, List<tps80032_ShownMillivolts>, Read<tps80032_ShownMillivolts>, SetVoltage, SetState,
    DecodeRail<tps80032_ShownMillivolts>,
};
