#include "pmic/tps65913.h"

#include <cstdio>

#include "bus/i2c.h"
#include "pmic/palmas_map.h"
#include "pmic/rail.h"

namespace {

struct Rail {
    const char* name;
    PalmasRegulator regulator;
};

const Rail kRails[] = {
    {"SMPS12", kPalmasSmps12}, {"SMPS123", kPalmasSmps12}, {"SMPS3", kPalmasSmps3},
    {"SMPS45", kPalmasSmps45}, {"SMPS457", kPalmasSmps45}, {"SMPS6", kPalmasSmps6},
    {"SMPS7", kPalmasSmps7},   {"SMPS8", kPalmasSmps8},    {"SMPS9", kPalmasSmps9},
    {"LDO1", kPalmasLdo1},     {"LDO2", kPalmasLdo2},      {"LDO3", kPalmasLdo3},
    {"LDO4", kPalmasLdo4},     {"LDO5", kPalmasLdo5},      {"LDO6", kPalmasLdo6},
    {"LDO7", kPalmasLdo7},     {"LDO8", kPalmasLdo8},      {"LDO9", kPalmasLdo9},
    {"LDOLN", kPalmasLdoLn},   {"LDOUSB", kPalmasLdoUsb},  {nullptr, {}},
};

// Read back, the converter selectors below the 500 mV floor run on down its slope and
// those above the top stay there.
constexpr LinearRange kSmpsReadRanges[] = {
    {kPalmasSmpsMillivolts.minimum - 5 * kPalmasSmpsMillivolts.step, 1, 5, kPalmasSmpsMillivolts.step},
    kPalmasSmpsMillivolts,
    {kPalmasSmpsMillivolts.Maximum(), 122, 127, 0},
};
// The LDO selectors above the top stay there.
constexpr LinearRange kLdoReadRanges[] = {kPalmasLdoMillivolts, {kPalmasLdoMillivolts.Maximum(), 50, 63, 0}};

const char* const kSmpsModes[] = {"OFF", "AUTO", "ECO", "FORCED_PWM"};

// Statuses: 2 an unknown rail or a read that failed; a write reports its access status.
const int kUnknownRail = 2;
const int kReadFailed = 2;
enum AccessStatus { kAccessed = 0, kNoDevice = 1, kNotOpened = 3, kTransferFailed = 4 };

// A converter's whole voltage register, range flag included; an LDO's selector.
RegisterField VoltageField(const PalmasRegulator& regulator)
{
    if (!regulator.converter)
        return regulator.selector;
    return {regulator.selector.reg, 0, 7};
}

// Runs one transfer between an open and a close of the bus node.
template <typename Transfer>
int Access(const I2cDevice& device, Transfer transfer)
{
    if (device.node == 0 || device.address == 0)
        return kNoDevice;
    int status = kAccessed;
    if (DeviceOpen(device) != 0)
        status = kNotOpened;
    else if (transfer() != 0)
        status = kTransferFailed;
    I2cClose();
    return status;
}

int ReadField(const I2cDevice& device, const RegisterField& field, DWORD* pValue)
{
    return Access(device, [&] { return DeviceReadField(device, field.reg, pValue, field.lsb, field.msb); });
}

// Replaces the field, keeping the register's other bits.
int WriteField(const I2cDevice& device, const RegisterField& field, DWORD value)
{
    return Access(device, [&] { return DeviceWriteField(device, field.reg, value, field.lsb, field.msb); });
}

DWORD VoltageMillivolts(const PalmasRegulator& regulator, DWORD voltage)
{
    return regulator.converter ? tps65913_SmpsMillivolts(voltage) : tps65913_LdoMillivolts(voltage);
}

const char* StateWord(const PalmasRegulator& regulator, DWORD status)
{
    if (regulator.converter)
        return kSmpsModes[status];
    return status == 0 ? "OFF" : "ON";
}

// Prints the rail line; a rail whose voltage cannot be read prints nothing, one whose
// state cannot be read shows UNKNOWN.
int ReadRail(const I2cDevice& device, const Rail& rail)
{
    const PalmasRegulator& regulator = rail.regulator;
    DWORD voltage = 0;
    if (ReadField(device, VoltageField(regulator), &voltage) != kAccessed)
        return kReadFailed;
    DWORD millivolts = VoltageMillivolts(regulator, voltage);
    DWORD status = 0;
    const char* word = ReadField(device, regulator.status, &status) == kAccessed ? StateWord(regulator, status)
                                                                               : "UNKNOWN";
    printf("%-12s %12s %6dmV\n", rail.name, word, static_cast<int>(millivolts));
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
    return rail == nullptr ? kUnknownRail : ReadRail(device, *rail);
}

int SetVoltage(const I2cDevice& device, const char* name, double voltage)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kUnknownRail;
    const PalmasRegulator& regulator = rail->regulator;
    DWORD millivolts = static_cast<DWORD>(voltage);
    DWORD value = regulator.converter ? tps65913_SmpsVoltageRegister(millivolts) : tps65913_LdoSelector(millivolts);
    return WriteField(device, VoltageField(regulator), value);
}

// ON requests mode 1 (a converter's AUTO), OFF mode 0.
int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kUnknownRail;
    return WriteField(device, rail->regulator.request, on ? 1 : 0);
}

// The status the chip reports, not the one asked for: a converter in any mode but OFF, an
// LDO with its status bit set, is running.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Rail* rail = RailAt(kRails, index);
    DWORD voltage = 0;
    DWORD status = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, VoltageField(rail->regulator), &voltage) ||
        !ReadSourceField(source, device.address, rail->regulator.status, &status))
        return false;
    *reading = {status != 0, static_cast<double>(VoltageMillivolts(rail->regulator, voltage))};
    return true;
}

}  // namespace

DWORD tps65913_SmpsMillivolts(DWORD voltageRegister)
{
    DWORD millivolts = 0;
    RangesVoltage(kSmpsReadRanges, voltageRegister & kPalmasSmpsSelectorMask, &millivolts);
    return (voltageRegister & kPalmasRangeFlag) != 0 ? 2 * millivolts : millivolts;
}

// Up to the top of the range without the flag, else with it, at half the voltage.
DWORD tps65913_SmpsVoltageRegister(DWORD millivolts)
{
    if (millivolts <= kPalmasSmpsMillivolts.Maximum())
        return kPalmasSmpsMillivolts.SelectorAtOrBelow(millivolts);
    return kPalmasRangeFlag | kPalmasSmpsMillivolts.SelectorAtOrBelow(millivolts / 2);
}

DWORD tps65913_LdoMillivolts(DWORD selector)
{
    DWORD millivolts = 0;
    RangesVoltage(kLdoReadRanges, selector, &millivolts);
    return millivolts;
}

DWORD tps65913_LdoSelector(DWORD millivolts)
{
    return kPalmasLdoMillivolts.SelectorAtOrBelow(millivolts);
}

const RegulatorDriver kTps65913Driver = {
    [](size_t index) { return RailNameAt(kRails, index); }, List, Read, SetVoltage, SetState, DecodeRail,
};
