#include "pmic/max77663.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const MAX77663 max77663_tab[] = {
    {"SD0", 0, kMax77663StepDown, 0x16, 0x1D, 0x4F, 600.0, 12.5, 0xFF},
    {"DVSSD0", 1, kMax77663StepDown, 0x1B, 0x1D, 0x4F, 600.0, 12.5, 0xFF},
    {"SD1", 2, kMax77663StepDown, 0x17, 0x1E, 0x50, 800.0, 12.5, 0x3F},
    {"DVSSD1", 3, kMax77663StepDown, 0x1C, 0x1E, 0x50, 800.0, 12.5, 0x3F},
    {"SD2", 4, kMax77663StepDown, 0x18, 0x1F, 0x51, 600.0, 12.5, 0xFF},
    {"SD3", 5, kMax77663StepDown, 0x19, 0x20, 0x52, 600.0, 12.5, 0xFF},
    {"SD4", 6, kMax77663StepDown, 0x1A, 0x21, 0x53, 600.0, 12.5, 0xFF},
    {"LDO0", 7, kMax77663Ldo, 0x23, 0x24, 0x46, 800.0, 25.0, 0x3F},
    {"LDO1", 8, kMax77663Ldo, 0x25, 0x26, 0x47, 800.0, 25.0, 0x3F},
    {"LDO2", 9, kMax77663Ldo, 0x27, 0x28, 0x48, 800.0, 50.0, 0x3F},
    {"LDO3", 10, kMax77663Ldo, 0x29, 0x2A, 0x49, 800.0, 50.0, 0x3F},
    {"LDO4", 11, kMax77663Ldo, 0x2B, 0x2C, 0x4A, 800.0, 12.5, 0x3F},
    {"LDO5", 12, kMax77663Ldo, 0x2D, 0x2E, 0x4B, 800.0, 50.0, 0x3F},
    {"LDO6", 13, kMax77663Ldo, 0x2F, 0x30, 0x4C, 800.0, 50.0, 0x3F},
    {"LDO7", 14, kMax77663Ldo, 0x31, 0x32, 0x4D, 800.0, 50.0, 0x3F},
    {"LDO8", 15, kMax77663Ldo, 0x33, 0x34, 0x4E, 800.0, 50.0, 0x3F},
    {nullptr, 0, 0, 0, 0, 0, 0.0, 0.0, 0},
};

namespace {

// Power-good bits of the step-down converters, active low; by rail id.
const DWORD kSdStatusReg = 0x14;
const BYTE kSdStatusBit[] = {7, 7, 6, 6, 5, 4, 3};

const BYTE kFpsLsb = 6;  // FPS source, in every regFPS
const BYTE kFpsMsb = 7;
const DWORD kFpsNone = 3;
const BYTE kSdModeLsb = 4;  // power mode, in regCFG of a step-down converter
const BYTE kSdModeMsb = 5;
const BYTE kLdoModeLsb = 6;  // power mode, in regVOLT of an LDO
const BYTE kLdoModeMsb = 7;
const DWORD kLdoPowerGood = 0x08;  // in regCFG of an LDO
const DWORD kModeOn = 3;
const DWORD kModeOff = 0;

const char* const kFpsNames[] = {"FPS0", "FPS1", "FPS2"};
const char* const kModeNames[] = {"OFF ", "GLPM", "LPM ", "ON  "};
const char kNoMode[] = "";
const char kPowerGood[] = "PwrOK";
const char kNoPowerGood[] = "    ";

bool IsKnownType(const MAX77663& rail)
{
    return rail.type == kMax77663StepDown || rail.type == kMax77663Ldo;
}

// Finds the rail, opens the bus and reads its voltage register; 0, or the status to give
// after the failure line (the bus closed again when the read failed).
int ReadVoltageRegister(const char* pName, const char* readFailure, DWORD* pIndex, DWORD* pValue)
{
    if (max77663_LookupVoltageIndex(pName, pIndex) != 0) {
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
        return 4;
    }
    if (PmuOpen() != 0) {
        puts("Failed: Unable to open I2C device.");
        return 3;
    }
    if (PmuRead(max77663_tab[*pIndex].regVOLT, pValue) != 0) {
        puts(readFailure);
        I2cClose();
        return 2;
    }
    return 0;
}

}  // namespace

double max77663_CodeToMillivolts(const MAX77663& rail, DWORD code)
{
    return rail.offset + static_cast<double>(code) * rail.step;
}

DWORD max77663_MillivoltsToCode(const MAX77663& rail, double Volt)
{
    return DoubleToDword((Volt - rail.offset) / rail.step);
}

int max77663_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int max77663_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(max77663_tab, pName, pIndex, 2);
}

const char* max77663_GetVoltOnOff(const char* pName)
{
    DWORD index = 0;
    if (max77663_LookupVoltageIndex(pName, &index) != 0)
        return kNoMode;
    if (PmuOpen() != 0)
        return kNoMode;
    const MAX77663& rail = max77663_tab[index];
    DWORD modeReg = 0;
    DWORD fps = 0;
    int status = PmuRead(rail.type == kMax77663StepDown ? rail.regCFG : rail.regVOLT, &modeReg);
    status |= PmuRead(rail.regFPS, &fps);
    I2cClose();
    if (status != 0)
        return kNoMode;
    DWORD source = (fps >> kFpsLsb) & 3;
    if (source != kFpsNone)
        return kFpsNames[source];
    DWORD mode = rail.type == kMax77663StepDown ? modeReg >> kSdModeLsb : modeReg >> kLdoModeLsb;
    return kModeNames[mode & 3];
}

const char* max77663_GetVoltState(const char* pName)
{
    DWORD index = 0;
    if (max77663_LookupVoltageIndex(pName, &index) != 0)
        return kNoPowerGood;
    if (PmuOpen() != 0)
        return kNoPowerGood;
    const MAX77663& rail = max77663_tab[index];
    bool good = false;
    DWORD value = 0;
    if (rail.type == kMax77663StepDown) {
        if (PmuRead(kSdStatusReg, &value) == 0)
            good = (value & (1u << kSdStatusBit[rail.id])) == 0;
    } else if (rail.type == kMax77663Ldo) {
        if (PmuRead(rail.regCFG, &value) == 0)
            good = (value & kLdoPowerGood) != 0;
    }
    I2cClose();
    return good ? kPowerGood : kNoPowerGood;
}

int max77663_GetVolt(const char* pName, double* pVolt)
{
    if (pVolt == nullptr) {
        puts("Critical Error: Voltage pointer is NULL!");
        return 1;
    }
    DWORD index = 0;
    DWORD value = 0;
    int status = ReadVoltageRegister(pName, "Failed: Unable to read from the MAX77663 device.", &index, &value);
    if (status != 0)
        return status;
    const MAX77663& rail = max77663_tab[index];
    *pVolt = max77663_CodeToMillivolts(rail, value & rail.mask);
    // Each state read shares or reopens the bus and closes it.
    const char* mode = max77663_GetVoltOnOff(pName);
    const char* powerGood = max77663_GetVoltState(pName);
    printf("%-12s %-8s %-8s %6.1fmV\n", rail.name, mode, powerGood, *pVolt);
    I2cClose();
    return 0;
}

int max77663_SetVolt(const char* pName, double Volt)
{
    DWORD index = 0;
    DWORD value = 0;
    int status = ReadVoltageRegister(pName, "Failed: Unable to read to the MAX77663 device.", &index, &value);
    if (status != 0)
        return status;
    const MAX77663& rail = max77663_tab[index];
    // No range check: a code wider than the field wraps.
    value = (value & ~rail.mask) | (max77663_MillivoltsToCode(rail, Volt) & rail.mask);
    if (PmuWrite(rail.regVOLT, value) != 0) {
        puts("Failed: Unable to write to the MAX77663 device.");
        I2cClose();
        return 1;
    }
    double volt = 0;
    return max77663_GetVolt(pName, &volt);
}

int max77663_SetVoltOnOff(const char* pName, DWORD onoff)
{
    DWORD index = 0;
    if (max77663_LookupVoltageIndex(pName, &index) != 0)
        return 5;
    if (PmuOpen() != 0) {
        I2cClose();
        return 4;
    }
    const MAX77663& rail = max77663_tab[index];
    int status = 0;
    if (!IsKnownType(rail))
        status = 3;
    else if (onoff != 0 && onoff != 1)
        status = 2;
    // Off FPS control first, so that the power mode decides.
    else if (PmuWriteField(rail.regFPS, kFpsNone, kFpsLsb, kFpsMsb) != 0)
        status = 1;
    else if (rail.type == kMax77663StepDown)
        status = PmuWriteField(rail.regCFG, onoff != 0 ? kModeOn : kModeOff, kSdModeLsb, kSdModeMsb) != 0 ? 1 : 0;
    else
        status = PmuWriteField(rail.regVOLT, onoff != 0 ? kModeOn : kModeOff, kLdoModeLsb, kLdoModeMsb) != 0 ? 1 : 0;
    I2cClose();
    return status;
}

int max77663_ListVolt()
{
    ListRails(max77663_tab, max77663_GetVolt);
    return 0;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kMax77663Driver = {
    [](size_t index) { return RailNameAt(max77663_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        max77663_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        double v = 0; return max77663_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return max77663_SetVolt(name, voltage);
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return max77663_SetVoltOnOff(name, on ? 1 : 0);
    },
};
