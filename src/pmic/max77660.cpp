#include "pmic/max77660.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

// name, id, type, voltReg, bits, pwrModReg, bits, pwrOkReg, bit, minUV, maxUV, stepUV
const MAX77660 max77660_tab[] = {
    {"BUCK1", 1, 0, 0x46, 0, 7, 0x37, 0, 1, 0x17, 0, 0, 600000, 1500000, 6250},
    {"BUCK2", 2, 0, 0x47, 0, 7, 0x37, 2, 3, 0x17, 1, 1, 600000, 1500000, 6250},
    {"BUCK3", 3, 0, 0x48, 0, 7, 0x37, 4, 5, 0x17, 2, 2, 600000, 3787500, 12500},
    {"BUCK4", 4, 0, 0x53, 0, 7, 0x37, 6, 7, 0x17, 3, 3, 600000, 1500000, 6250},
    {"BUCK5", 5, 0, 0x4A, 0, 7, 0x38, 0, 1, 0x17, 4, 4, 600000, 3787500, 12500},
    {"BUCK6", 6, 0, 0x4C, 0, 5, 0x38, 2, 3, 0x17, 5, 5, 1000000, 4150000, 50000},
    {"BUCK7", 7, 0, 0x4D, 0, 5, 0x38, 4, 5, 0x17, 6, 6, 1000000, 4150000, 50000},
    {"LDO1", 1, 1, 0x54, 0, 5, 0x3E, 0, 1, 0x18, 0, 0, 600000, 2175000, 25000},
    {"LDO2", 2, 1, 0x55, 0, 5, 0x3E, 2, 3, 0x18, 1, 1, 800000, 3950000, 50000},
    {"LDO3", 3, 1, 0x56, 0, 5, 0x3E, 4, 5, 0x18, 2, 2, 800000, 3950000, 50000},
    {"LDO4", 4, 1, 0x57, 0, 5, 0x3E, 6, 7, 0x18, 3, 3, 800000, 3950000, 50000},
    {"LDO5", 5, 1, 0x58, 0, 5, 0x3F, 0, 1, 0x18, 4, 4, 800000, 3950000, 50000},
    {"LDO6", 6, 1, 0x59, 0, 5, 0x3F, 2, 3, 0x18, 5, 5, 800000, 3950000, 50000},
    {"LDO7", 7, 1, 0x5A, 0, 5, 0x3F, 4, 5, 0x18, 6, 6, 600000, 2175000, 25000},
    {"LDO8", 8, 1, 0x5B, 0, 5, 0x3F, 6, 7, 0x18, 7, 7, 600000, 2175000, 25000},
    {"LDO9", 9, 1, 0x5C, 0, 5, 0x40, 0, 1, 0x19, 0, 0, 800000, 3950000, 50000},
    {"LDO10", 10, 1, 0x5D, 0, 5, 0x40, 2, 3, 0x19, 1, 1, 800000, 3950000, 50000},
    {"LDO11", 11, 1, 0x5E, 0, 5, 0x40, 4, 5, 0x19, 2, 2, 800000, 3950000, 50000},
    {"LDO12", 12, 1, 0x5F, 0, 5, 0x40, 6, 7, 0x19, 3, 3, 800000, 3950000, 50000},
    {"LDO13", 13, 1, 0x60, 0, 5, 0x41, 0, 1, 0x19, 4, 4, 800000, 3950000, 50000},
    {"LDO14", 14, 1, 0x61, 0, 5, 0x41, 2, 3, 0x19, 5, 5, 800000, 3950000, 50000},
    {"LDO15", 15, 1, 0x62, 0, 5, 0x41, 4, 5, 0x19, 6, 6, 800000, 3950000, 50000},
    {"LDO16", 16, 1, 0x63, 0, 5, 0x41, 6, 7, 0x19, 7, 7, 800000, 3950000, 50000},
    {"LDO17", 17, 1, 0x64, 0, 5, 0x42, 0, 1, 0x1A, 0, 0, 800000, 3950000, 50000},
    {"LDO18", 18, 1, 0x65, 0, 5, 0x42, 2, 3, 0x1A, 1, 1, 800000, 3950000, 50000},
    {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

namespace {

// Power modes 0 to 3, ten characters each so the rail lines stay aligned.
const char* const kPowerModes[] = {"OFF       ", "SLEEP     ", "LOW POWER ", "NORMAL    "};
const char* const kUnknownMode = "UNKNOWN   ";
const DWORD kHighestMode = 3;

const int kNotFound = 2;

}  // namespace

DWORD max77660_CodeToMillivolts(const MAX77660& rail, DWORD code)
{
    return (code * rail.stepUV + rail.minUV) / 1000;
}

DWORD max77660_RequestMicrovolts(double millivolts)
{
    return DoubleToDword(millivolts * 1000.0);
}

bool max77660_InRange(const MAX77660& rail, DWORD microvolts)
{
    return microvolts >= rail.minUV && microvolts <= rail.maxUV;
}

DWORD max77660_MicrovoltsToCode(const MAX77660& rail, DWORD microvolts)
{
    return (microvolts - rail.minUV) / rail.stepUV;
}

int max77660_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int max77660_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(max77660_tab, pName, pIndex, kNotFound);
}

const char* max77660_GetVoltOnOff(const char* pName)
{
    DWORD index = 0;
    if (max77660_LookupVoltageIndex(pName, &index) != 0)
        return kUnknownMode;
    if (PmuOpen() != 0)
        return kUnknownMode;
    const MAX77660& rail = max77660_tab[index];
    DWORD mode = 0;
    int status = PmuReadField(rail.pwrModReg, &mode, rail.pwrModRegLSB, rail.pwrModRegMSB);
    I2cClose();
    return status == 0 && mode <= kHighestMode ? kPowerModes[mode] : kUnknownMode;
}

int max77660_GetVolt(const char* pName, double* pVolt)
{
    if (pVolt == nullptr) {
        printf("Critical Error: Voltage pointer is NULL!\n");
        return 1;
    }
    DWORD index = 0;
    if (max77660_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
        return 1;
    }
    if (PmuOpen() != 0) {
        printf("Failed: Unable to open I2C device.\n");
        return 1;
    }
    const MAX77660& rail = max77660_tab[index];
    DWORD code = 0;
    if (PmuReadField(rail.voltReg, &code, rail.voltRegLSB, rail.voltRegMSB) != 0) {
        printf("Failed: Unable to read from the MAX77660 device.\n");
        I2cClose();
        return 1;
    }
    *pVolt = max77660_CodeToMillivolts(rail, code);
    printf("%-12s %-8s %6.1fmV\n", rail.name, max77660_GetVoltOnOff(pName), *pVolt);
    I2cClose();
    return 0;
}

int max77660_SetVolt(const char* pName, double Volt)
{
    DWORD index = 0;
    if (max77660_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
        return 1;
    }
    const MAX77660& rail = max77660_tab[index];
    DWORD microvolts = max77660_RequestMicrovolts(Volt);
    if (!max77660_InRange(rail, microvolts)) {
        printf("Failed: Wrong volt %d, valid range is [%d, %d]\n", static_cast<int>(TruncateToInt32(Volt)),
               static_cast<int>(rail.minUV / 1000), static_cast<int>(rail.maxUV / 1000));
        return 1;
    }
    if (PmuOpen() != 0) {
        printf("Failed: Unable to open I2C device.\n");
        return 1;
    }
    DWORD code = max77660_MicrovoltsToCode(rail, microvolts);
    if (PmuWriteField(rail.voltReg, code, rail.voltRegLSB, rail.voltRegMSB) != 0) {
        printf("Failed: Unable to write to the MAX77660 device.\n");
        I2cClose();
        return 1;
    }
    double volt = 0;
    return max77660_GetVolt(pName, &volt);
}

int max77660_SetVoltOnOff(const char* pName, DWORD onoff)
{
    if (onoff > kHighestMode) {
        printf("Failed: wrong pwr mode %d, valid range is [%d, %d]\n", static_cast<int>(onoff), 0,
               static_cast<int>(kHighestMode));
        return 1;
    }
    DWORD index = 0;
    if (max77660_LookupVoltageIndex(pName, &index) != 0) {
        printf("Failed: Unable to find the PMU output!\n");
        return 1;
    }
    if (PmuOpen() != 0) {
        printf("Failed: Unable to access the PMU!\n");
        return 1;
    }
    const MAX77660& rail = max77660_tab[index];
    int status = PmuWriteField(rail.pwrModReg, onoff, rail.pwrModRegLSB, rail.pwrModRegMSB);
    I2cClose();
    if (status != 0) {
        printf("Failed: Unable to write to the MAX77660 device.\n");
        return 1;
    }
    return 0;
}

int max77660_ListVolt()
{
    ListRails(max77660_tab, max77660_GetVolt);
    return 0;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kMax77660Driver = {
    [](size_t index) { return RailNameAt(max77660_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        max77660_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        double v = 0; return max77660_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return max77660_SetVolt(name, voltage);
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return max77660_SetVoltOnOff(name, on ? 1 : 0);
    },
};
