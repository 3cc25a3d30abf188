#include "pmic/lp8755.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

namespace {

struct Lp8755Rail {
    const char* name;
    BYTE controlReg;
};

// The control registers do not follow the buck numbers.
const Lp8755Rail kRails[] = {
    {"BUCK0", 0x00}, {"BUCK1", 0x05}, {"BUCK2", 0x04}, {"BUCK3", 0x01}, {"BUCK4", 0x03}, {"BUCK5", 0x02},
    {nullptr, 0},
};

const BYTE kCodeLsb = 0;
const BYTE kCodeMsb = 6;
const BYTE kEnableBit = 7;

const LinearRange kMillivolts = {500, 0, 127, 10};
// Codes above 117 (1670 mV) read back but are not set.
const LinearRange kSettableMillivolts = {kMillivolts.minimum, 0, 117, kMillivolts.step};

// State words are ten characters wide, whatever field the rail line gives them.
const char kStateOn[] = "ON        ";
const char kStateOff[] = "OFF       ";
const char kStateUnknown[] = "UNKNOWN   ";

// The bus is open and is closed after.
const char* ReadState(const I2cDevice& device, const Lp8755Rail& rail)
{
    DWORD enabled = 0;
    int status = DeviceReadField(device, rail.controlReg, &enabled, kEnableBit, kEnableBit);
    I2cClose();
    if (status != 0)
        return kStateUnknown;
    return enabled != 0 ? kStateOn : kStateOff;
}

// Prints the rail line: the code, then the enable bit, two reads of the control register.
int ReadRail(const I2cDevice& device, const Lp8755Rail& rail)
{
    if (DeviceOpen(device) != 0) {
        puts("Failed: Unable to open I2C device.");
        return 1;
    }
    DWORD code = 0;
    if (DeviceReadField(device, rail.controlReg, &code, kCodeLsb, kCodeMsb) != 0) {
        puts("Failed: Unable to read from the LP8755 device.");
        I2cClose();
        return 1;
    }
    DWORD millivolts = lp8755_CodeToMillivolts(code);
    const char* state = ReadState(device, rail);
    printf("%-12s %-8s %6fmV\n", rail.name, state, static_cast<double>(millivolts));
    return 0;
}

int ReadNamedRail(const I2cDevice& device, const char* name)
{
    const Lp8755Rail* rail = FindRail(kRails, name);
    if (rail == nullptr) {
        printf("Failed: Unable to find the PMU output [%s].\n", name);
        return 1;
    }
    return ReadRail(device, *rail);
}

void ListAllRails(const I2cDevice& device)
{
    for (const Lp8755Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail);
}

// Writes the code, keeping the enable bit, and reads the rail back.
int SetMillivolts(const I2cDevice& device, const char* name, double voltage)
{
    DWORD millivolts = static_cast<DWORD>(voltage);
    const Lp8755Rail* rail = FindRail(kRails, name);
    if (rail == nullptr) {
        printf("Failed: Unable to find the PMU output [%s].\n", name);
        return 1;
    }
    DWORD code = 0;
    if (!lp8755_MillivoltsToCode(millivolts, &code)) {
        printf("Failed: Wrong volt %d, valid range is [%d, %d]\n", static_cast<int>(millivolts),
               static_cast<int>(kSettableMillivolts.minimum), static_cast<int>(kSettableMillivolts.Maximum()));
        return 1;
    }
    if (DeviceOpen(device) != 0) {
        puts("Failed: Unable to open I2C device.");
        return 1;
    }
    if (DeviceWriteField(device, rail->controlReg, code, kCodeLsb, kCodeMsb) != 0) {
        puts("Failed: Unable to write to the LP8755 device.");
        I2cClose();
        return 1;
    }
    return ReadRail(device, *rail);
}

int SetState(const I2cDevice& device, const char* name, bool on)
{
    const Lp8755Rail* rail = FindRail(kRails, name);
    if (rail == nullptr) {
        puts("Failed: Unable to find the PMU output!");
        return 1;
    }
    if (DeviceOpen(device) != 0) {
        puts("Failed: Unable to access the PMU!");
        return 1;
    }
    if (DeviceWriteField(device, rail->controlReg, on ? 1 : 0, kEnableBit, kEnableBit) != 0) {
        I2cClose();
        puts("Failed: Unable to write to the LP8755 device.");
        return 1;
    }
    I2cClose();
    return 0;
}

// Code and enable bit share the control register.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Lp8755Rail* rail = RailAt(kRails, index);
    DWORD code = 0;
    DWORD enabled = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, {rail->controlReg, kCodeLsb, kCodeMsb}, &code) ||
        !ReadSourceField(source, device.address, {rail->controlReg, kEnableBit, kEnableBit}, &enabled))
        return false;
    *reading = {enabled != 0, static_cast<double>(lp8755_CodeToMillivolts(code))};
    return true;
}

}  // namespace

DWORD lp8755_CodeToMillivolts(DWORD code)
{
    return kMillivolts.Voltage(code);
}

bool lp8755_MillivoltsToCode(DWORD millivolts, DWORD* pCode)
{
    if (!kSettableMillivolts.HoldsVoltage(millivolts))
        return false;
    *pCode = kSettableMillivolts.SelectorAtOrBelow(millivolts);
    return true;
}

const RegulatorDriver kLp8755Driver = {
    [](size_t index) { return RailNameAt(kRails, index); },
    ListAllRails,
    ReadNamedRail,
    SetMillivolts,
    SetState,
    DecodeRail,
};
