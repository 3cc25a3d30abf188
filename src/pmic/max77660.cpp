#include "pmic/max77660.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

namespace {

struct Rail {
    const char* name;
    RegisterField code;
    RegisterField powerMode;
    LinearRange microvolts;  // what a set may select
};

constexpr LinearRange k600By6_25 = {600000, 0, 144, 6250};    // 0.6-1.5 V in 6.25 mV steps
constexpr LinearRange k600By12_5 = {600000, 0, 255, 12500};   // 0.6-3.7875 V in 12.5 mV steps
constexpr LinearRange k1000By50 = {1000000, 0, 63, 50000};    // 1.0-4.15 V in 50 mV steps
constexpr LinearRange k600By25 = {600000, 0, 63, 25000};      // 0.6-2.175 V in 25 mV steps
constexpr LinearRange k800By50 = {800000, 0, 63, 50000};      // 0.8-3.95 V in 50 mV steps

const Rail kRails[] = {
    // name, voltage code, power mode, range
    {"BUCK1", {0x46, 0, 7}, {0x37, 0, 1}, k600By6_25},
    {"BUCK2", {0x47, 0, 7}, {0x37, 2, 3}, k600By6_25},
    {"BUCK3", {0x48, 0, 7}, {0x37, 4, 5}, k600By12_5},
    {"BUCK4", {0x53, 0, 7}, {0x37, 6, 7}, k600By6_25},
    {"BUCK5", {0x4A, 0, 7}, {0x38, 0, 1}, k600By12_5},
    {"BUCK6", {0x4C, 0, 5}, {0x38, 2, 3}, k1000By50},
    {"BUCK7", {0x4D, 0, 5}, {0x38, 4, 5}, k1000By50},
    {"LDO1", {0x54, 0, 5}, {0x3E, 0, 1}, k600By25},
    {"LDO2", {0x55, 0, 5}, {0x3E, 2, 3}, k800By50},
    {"LDO3", {0x56, 0, 5}, {0x3E, 4, 5}, k800By50},
    {"LDO4", {0x57, 0, 5}, {0x3E, 6, 7}, k800By50},
    {"LDO5", {0x58, 0, 5}, {0x3F, 0, 1}, k800By50},
    {"LDO6", {0x59, 0, 5}, {0x3F, 2, 3}, k800By50},
    {"LDO7", {0x5A, 0, 5}, {0x3F, 4, 5}, k600By25},
    {"LDO8", {0x5B, 0, 5}, {0x3F, 6, 7}, k600By25},
    {"LDO9", {0x5C, 0, 5}, {0x40, 0, 1}, k800By50},
    {"LDO10", {0x5D, 0, 5}, {0x40, 2, 3}, k800By50},
    {"LDO11", {0x5E, 0, 5}, {0x40, 4, 5}, k800By50},
    {"LDO12", {0x5F, 0, 5}, {0x40, 6, 7}, k800By50},
    {"LDO13", {0x60, 0, 5}, {0x41, 0, 1}, k800By50},
    {"LDO14", {0x61, 0, 5}, {0x41, 2, 3}, k800By50},
    {"LDO15", {0x62, 0, 5}, {0x41, 4, 5}, k800By50},
    {"LDO16", {0x63, 0, 5}, {0x41, 6, 7}, k800By50},
    {"LDO17", {0x64, 0, 5}, {0x42, 0, 1}, k800By50},
    {"LDO18", {0x65, 0, 5}, {0x42, 2, 3}, k800By50},
    {nullptr, {}, {}, {}},
};

// Power modes 0 to 3, ten characters each so the rail lines stay aligned.
const char* const kPowerModes[] = {"OFF       ", "SLEEP     ", "LOW POWER ", "NORMAL    "};
const char* const kUnknownMode = "UNKNOWN   ";
const DWORD kModeOff = 0;
const DWORD kModeWrittenForOn = 1;  // ON selects the sleep mode

// A code past the range reads as its line continued.
DWORD CodeToMillivolts(const Rail& rail, DWORD code)
{
    return (rail.microvolts.minimum + code * rail.microvolts.step) / 1000;
}

bool MillivoltsToCode(const Rail& rail, double millivolts, DWORD* pCode)
{
    DWORD microvolts = DoubleToDword(millivolts * 1000.0);
    if (!rail.microvolts.HoldsVoltage(microvolts))
        return false;
    *pCode = rail.microvolts.SelectorAtOrBelow(microvolts);
    return true;
}

// Read on the open bus, which it closes.
const char* ModeName(const I2cDevice& device, const Rail& rail)
{
    const RegisterField& field = rail.powerMode;
    DWORD mode = 0;
    int status = DeviceReadField(device, field.reg, &mode, field.lsb, field.msb);
    I2cClose();
    return status == 0 ? kPowerModes[mode] : kUnknownMode;
}

int ReadRail(const I2cDevice& device, const Rail& rail)
{
    if (DeviceOpen(device) != 0) {
        printf("Failed: Unable to open I2C device.\n");
        return 1;
    }
    DWORD code = 0;
    if (DeviceReadField(device, rail.code.reg, &code, rail.code.lsb, rail.code.msb) != 0) {
        printf("Failed: Unable to read from the MAX77660 device.\n");
        I2cClose();
        return 1;
    }
    double millivolts = CodeToMillivolts(rail, code);
    printf("%-12s %-8s %6.1fmV\n", rail.name, ModeName(device, rail), millivolts);
    I2cClose();
    return 0;
}

void List(const I2cDevice& device)
{
    for (const Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail);
}

int Read(const I2cDevice& device, const char* name)
{
    const Rail* rail = FindRailReporting(kRails, name);
    return rail == nullptr ? 1 : ReadRail(device, *rail);
}

int SetVoltage(const I2cDevice& device, const char* name, double millivolts)
{
    const Rail* rail = FindRailReporting(kRails, name);
    if (rail == nullptr)
        return 1;
    DWORD code = 0;
    if (!MillivoltsToCode(*rail, millivolts, &code)) {
        printf("Failed: Wrong volt %d, valid range is [%d, %d]\n", static_cast<int>(TruncateToInt32(millivolts)),
               static_cast<int>(rail->microvolts.minimum / 1000), static_cast<int>(rail->microvolts.Maximum() / 1000));
        return 1;
    }
    if (DeviceOpen(device) != 0) {
        printf("Failed: Unable to open I2C device.\n");
        return 1;
    }
    if (DeviceWriteField(device, rail->code.reg, code, rail->code.lsb, rail->code.msb) != 0) {
        printf("Failed: Unable to write to the MAX77660 device.\n");
        I2cClose();
        return 1;
    }
    return ReadRail(device, *rail);
}

int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Rail* rail = FindRail(kRails, name);
    if (rail == nullptr) {
        printf("Failed: Unable to find the PMU output!\n");
        return 1;
    }
    if (DeviceOpen(device) != 0) {
        printf("Failed: Unable to access the PMU!\n");
        return 1;
    }
    const RegisterField& field = rail->powerMode;
    int status = DeviceWriteField(device, field.reg, on ? kModeWrittenForOn : kModeOff, field.lsb, field.msb);
    I2cClose();
    if (status != 0) {
        printf("Failed: Unable to write to the MAX77660 device.\n");
        return 1;
    }
    return 0;
}

// Every power mode but OFF powers the rail: SLEEP and LOW POWER only limit its load.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Rail* rail = RailAt(kRails, index);
    DWORD code = 0;
    DWORD mode = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, rail->code, &code) ||
        !ReadSourceField(source, device.address, rail->powerMode, &mode))
        return false;
    *reading = {mode != kModeOff, static_cast<double>(CodeToMillivolts(*rail, code))};
    return true;
}

}  // namespace

const RegulatorDriver kMax77660Driver = {
    [](size_t index) { return RailNameAt(kRails, index); }, List, Read, SetVoltage, SetState, DecodeRail,
};

DWORD max77660_CodeToMillivolts(const char* rail, DWORD code)
{
    const Rail* found = FindRail(kRails, rail);
    return found == nullptr ? 0 : CodeToMillivolts(*found, code);
}

bool max77660_MillivoltsToCode(const char* rail, double millivolts, DWORD* pCode)
{
    const Rail* found = FindRail(kRails, rail);
    return found != nullptr && MillivoltsToCode(*found, millivolts, pCode);
}
