#include "pmic/tps51632.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

namespace {

struct Tps51632Rail {
    const char* name;
    RegisterField code;
};

const Tps51632Rail kRails[] = {
    {"CPU", {0x00, 0, 6}},  // VSR; bit 7 is not part of the code
    {nullptr, {0, 0, 0}},
};

const LinearRange kMillivolts = {500, 25, 127, 10};

const int kNotFound = 2;
const int kReadRefused = 3;
const int kInvalidVsr = 2;
const int kSetRefused = 1;

// Bus 0 or address 0 means no controller was named: nothing is sent then.
bool BusGiven(const I2cDevice& device)
{
    return device.node != 0 && device.address != 0;
}

// Open, transfer and close without a check between: with no node open the transfer
// fails every attempt.
int ReadRail(const I2cDevice& device, const Tps51632Rail& rail)
{
    DeviceOpen(device);
    DWORD value = 0;
    int status = DeviceRead(device, rail.code.reg, &value);
    I2cClose();
    if (status != 0)
        return status;
    DWORD code = rail.code.Get(value);
    DWORD millivolts = 0;
    if (!tps51632_CodeToMillivolts(code, &millivolts)) {
        printf("Invalid value of register VSR (%d)\n", static_cast<int>(code));
        return kInvalidVsr;
    }
    // No enable bit to read back: the rail feeds the CPU this program runs on.
    printf("%-12s %6s %6dmV\n", rail.name, "ON", static_cast<int>(millivolts));
    return 0;
}

int ReadNamedRail(const I2cDevice& device, const char* name)
{
    const Tps51632Rail* rail = FindRail(kRails, name);
    if (rail == nullptr || !BusGiven(device))
        return kReadRefused;
    return ReadRail(device, *rail);
}

void ListAllRails(const I2cDevice& device)
{
    if (!BusGiven(device))
        return;
    for (const Tps51632Rail* rail = kRails; IsRailRecord(rail->name); ++rail)
        ReadRail(device, *rail);
}

int SetMillivolts(const I2cDevice& device, const char* name, double voltage)
{
    const Tps51632Rail* rail = FindRail(kRails, name);
    if (rail == nullptr)
        return kNotFound;
    DWORD code = 0;
    if (!tps51632_MillivoltsToCode(static_cast<DWORD>(voltage), &code)) {
        printf("Invalid voltage value, valid value [%d-%d]\n", static_cast<int>(kMillivolts.minimum),
               static_cast<int>(kMillivolts.Maximum()));
        return kSetRefused;
    }
    if (!BusGiven(device))
        return kSetRefused;
    DeviceOpen(device);
    int status = DeviceWriteField(device, rail->code.reg, code, rail->code.lsb, rail->code.msb);
    I2cClose();
    return status;
}

// No enable bit: the rail feeds the CPU that reads it.
bool DecodeRail(const I2cDevice& device, size_t index, RegisterSource& source, RailReading* reading)
{
    const Tps51632Rail* rail = RailAt(kRails, index);
    DWORD code = 0;
    DWORD millivolts = 0;
    if (rail == nullptr || !ReadSourceField(source, device.address, rail->code, &code) ||
        !tps51632_CodeToMillivolts(code, &millivolts))
        return false;
    *reading = {true, static_cast<double>(millivolts)};
    return true;
}

}  // namespace

bool tps51632_CodeToMillivolts(DWORD code, DWORD* pMillivolts)
{
    if (!kMillivolts.HoldsSelector(code))
        return false;
    *pMillivolts = kMillivolts.Voltage(code);
    return true;
}

bool tps51632_MillivoltsToCode(DWORD millivolts, DWORD* pCode)
{
    if (!kMillivolts.HoldsVoltage(millivolts))
        return false;
    *pCode = kMillivolts.SelectorAtOrBelow(millivolts);
    return true;
}

const RegulatorDriver kTps51632Driver = {
    [](size_t index) { return RailNameAt(kRails, index); },
    ListAllRails,
    ReadNamedRail,
    SetMillivolts,
    nullptr,
    DecodeRail,
};
