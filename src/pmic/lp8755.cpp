#include "pmic/lp8755.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

// The control registers do not follow the buck numbers.
const LP8755 lp8755_VoltTab[] = {
    {"BUCK0", 0, 0x00},
    {"BUCK1", 1, 0x05},
    {"BUCK2", 2, 0x04},
    {"BUCK3", 3, 0x01},
    {"BUCK4", 4, 0x03},
    {"BUCK5", 5, 0x02},
    {nullptr, 0, 0},
};

namespace {

const BYTE kCodeLsb = 0;
const BYTE kCodeMsb = 6;
const BYTE kEnableBit = 7;

// State words are ten characters wide, whatever field the rail line gives them.
const char kStateOn[] = "ON        ";
const char kStateOff[] = "OFF       ";
const char kStateUnknown[] = "UNKNOWN   ";

}  // namespace

DWORD lp8755_CodeToMillivolts(DWORD code)
{
    return kLp8755MinMillivolts + 10 * code;
}

DWORD lp8755_MillivoltsToCode(DWORD volt)
{
    return (volt - kLp8755MinMillivolts) / 10;
}

int lp8755_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int lp8755_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(lp8755_VoltTab, pName, pIndex, 1);
}

const char* lp8755_GetVoltOnOff(const char* pName)
{
    DWORD index = 0;
    if (lp8755_LookupVoltageIndex(pName, &index) != 0)
        return kStateUnknown;
    if (PmuOpen() != 0) {
        I2cClose();
        return kStateUnknown;
    }
    DWORD enabled = 0;
    int status = PmuReadField(lp8755_VoltTab[index].voltReg, &enabled, kEnableBit, kEnableBit);
    I2cClose();
    if (status != 0)
        return kStateUnknown;
    return enabled != 0 ? kStateOn : kStateOff;
}

int lp8755_GetVolt(const char* pName, DWORD* pVolt)
{
    if (pVolt == nullptr)
        return 1;
    DWORD index = 0;
    if (lp8755_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
        return 1;
    }
    if (PmuOpen() != 0) {
        puts("Failed: Unable to open I2C device.");
        return 1;
    }
    const LP8755& rail = lp8755_VoltTab[index];
    DWORD code = 0;
    if (PmuReadField(rail.voltReg, &code, kCodeLsb, kCodeMsb) != 0) {
        puts("Failed: Unable to read from the LP8755 device.");
        I2cClose();
        return 1;
    }
    *pVolt = lp8755_CodeToMillivolts(code);
    // The state read shares the open bus and closes it.
    const char* state = lp8755_GetVoltOnOff(pName);
    printf("%-12s %-8s %6fmV\n", rail.name, state, static_cast<double>(*pVolt));
    I2cClose();
    return 0;
}

int lp8755_SetVolt(const char* pName, DWORD Volt)
{
    DWORD index = 0;
    if (lp8755_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
        return 1;
    }
    if (Volt < kLp8755MinMillivolts || Volt > kLp8755MaxMillivolts) {
        printf("Failed: Wrong volt %d, valid range is [%d, %d]\n", static_cast<int>(Volt),
               static_cast<int>(kLp8755MinMillivolts), static_cast<int>(kLp8755MaxMillivolts));
        return 1;
    }
    if (PmuOpen() != 0) {
        puts("Failed: Unable to open I2C device.");
        return 1;
    }
    if (PmuWriteField(lp8755_VoltTab[index].voltReg, lp8755_MillivoltsToCode(Volt), kCodeLsb, kCodeMsb) != 0) {
        puts("Failed: Unable to write to the LP8755 device.");
        I2cClose();
        return 1;
    }
    DWORD volt = 0;
    return lp8755_GetVolt(pName, &volt);
}

int lp8755_SetVoltOnOff(const char* pName, DWORD onoff)
{
    DWORD index = 0;
    if (lp8755_LookupVoltageIndex(pName, &index) != 0) {
        puts("Failed: Unable to find the PMU output!");
        return 1;
    }
    if (PmuOpen() != 0) {
        puts("Failed: Unable to access the PMU!");
        return 1;
    }
    if (PmuWriteField(lp8755_VoltTab[index].voltReg, onoff != 0 ? 1 : 0, kEnableBit, kEnableBit) != 0) {
        I2cClose();
        puts("Failed: Unable to write to the LP8755 device.");
        return 1;
    }
    I2cClose();
    return 0;
}

int lp8755_ListVolt()
{
    ListRails(lp8755_VoltTab, lp8755_GetVolt);
    return 0;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kLp8755Driver = {
    [](size_t index) { return RailNameAt(lp8755_VoltTab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        lp8755_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return lp8755_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return lp8755_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return lp8755_SetVoltOnOff(name, on ? 1 : 0);
    },
};
