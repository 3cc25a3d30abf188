#include "pmic/tps51632.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const TPS51632 tps51632_VoltTab[] = {
    {"CPU", 1, 500, 1520, "CPU voltage, step 10mv"},
    {nullptr, 0, 0, 0, ""},
};

namespace {

const DWORD kVsr = 0x00;
const BYTE kCodeLsb = 0;
const BYTE kCodeMsb = 6;  // bit 7 is not part of the code
const DWORD kCodeMask = 0x7F;
const DWORD kLowestValidCode = 25;  // 500 mV
const DWORD kSettableRail = 1;

const int kNotFound = 2;
const int kReadRefused = 3;
const int kInvalidVsr = 2;
const int kSetRefused = 1;

// Bus 0 or address 0 means no controller was named: nothing is sent then.
bool BusGiven()
{
    return g_Instance != 0 && g_PMUSlaveAddr != 0;
}

}  // namespace

bool tps51632_ValidCode(DWORD code)
{
    return code >= kLowestValidCode;
}

DWORD tps51632_CodeToMillivolts(DWORD code)
{
    return code * 10 + 250;
}

DWORD tps51632_MillivoltsToCode(DWORD millivolts)
{
    return (millivolts - 500) / 10 + kLowestValidCode;
}

int tps51632_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps51632_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps51632_VoltTab, pName, pIndex, kNotFound);
}

// The controller has no enable bit to read back.
int tps51632_GetVoltOnOff(const char*, DWORD*)
{
    return 1;
}

int tps51632_GetVolt(const char* pName, DWORD* pVolt)
{
    if (pVolt == nullptr)
        return 1;
    DWORD index = 0;
    if (tps51632_LookupVoltageIndex(pName, &index) != 0 || !BusGiven())
        return kReadRefused;
    // No check between the steps: with no node open the read fails every attempt.
    PmuOpen();
    DWORD value = 0;
    int status = PmuRead(kVsr, &value);
    I2cClose();
    if (status != 0)
        return status;
    DWORD code = value & kCodeMask;
    if (!tps51632_ValidCode(code)) {
        printf("Invalid value of register VSR (%d)\n", static_cast<int>(code));
        return kInvalidVsr;
    }
    *pVolt = tps51632_CodeToMillivolts(code);
    // The rail feeds the CPU this program runs on, so it is on unless the chip says otherwise.
    DWORD enabled = 1;
    tps51632_GetVoltOnOff(pName, &enabled);
    printf("%-12s %6s %6dmV\n", tps51632_VoltTab[index].name, enabled != 0 ? "ON" : "OFF", static_cast<int>(*pVolt));
    return 0;
}

int tps51632_SetVolt(const char* pName, DWORD Volt)
{
    DWORD index = 0;
    if (tps51632_LookupVoltageIndex(pName, &index) != 0)
        return kNotFound;
    const TPS51632& rail = tps51632_VoltTab[index];
    if (Volt < rail.minMV || Volt > rail.maxMV) {
        printf("Invalid voltage value, valid value [%d-%d]\n", static_cast<int>(rail.minMV),
               static_cast<int>(rail.maxMV));
        return kSetRefused;
    }
    if (rail.id != kSettableRail)
        return kNotFound;
    if (!BusGiven())
        return kSetRefused;
    PmuOpen();
    int status = PmuWriteField(kVsr, tps51632_MillivoltsToCode(Volt), kCodeLsb, kCodeMsb);
    I2cClose();
    return status;
}

int tps51632_ListVolt()
{
    ListRails(tps51632_VoltTab, tps51632_GetVolt);
    return 0;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps51632Driver = {
    [](size_t index) { return RailNameAt(tps51632_VoltTab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps51632_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps51632_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps51632_SetVolt(name, static_cast<DWORD>(voltage));
    },
    nullptr,
};
