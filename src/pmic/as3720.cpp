#include "pmic/as3720.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const AS3720 as3720_tab[] = {
    // name    id  vSel  enable enableBit
    {"SD0",    12, 0x00, 0x4D, 0x01},
    {"SD1",    13, 0x01, 0x4D, 0x02},
    {"SD2",    14, 0x02, 0x4D, 0x04},
    {"SD3",    15, 0x03, 0x4D, 0x08},
    {"SD4",    16, 0x04, 0x4D, 0x10},
    {"SD5",    17, 0x05, 0x4D, 0x20},
    {"SD6",    18, 0x06, 0x4D, 0x40},
    {"LDO0",    0, 0x10, 0x4E, 0x01},
    {"LDO1",    1, 0x11, 0x4E, 0x02},
    {"LDO2",    2, 0x12, 0x4E, 0x04},
    {"LDO3",    3, 0x13, 0x4E, 0x08},
    {"LDO4",    4, 0x14, 0x4E, 0x10},
    {"LDO5",    5, 0x15, 0x4E, 0x20},
    {"LDO6",    6, 0x16, 0x4E, 0x40},
    {"LDO7",    7, 0x17, 0x4E, 0x80},
    {"LDO8",    8, 0x18, 0x4F, 0x01},
    {"LDO9",    9, 0x19, 0x4F, 0x02},
    {"LDO10",  10, 0x1A, 0x4F, 0x04},
    {"LDO11",  11, 0x1B, 0x4F, 0x08},
    {nullptr,   0, 0,    0,    0},
};

namespace {

// Rail ids with an encoding of their own.
const DWORD kLdo0 = 0;
const DWORD kLdo3 = 3;
const DWORD kSd0 = 12;
const DWORD kSd1 = 13;
const DWORD kSd6 = 18;

const DWORD kSelectorField = 0x7F;  // bit 7 of the selector register is not ours
const DWORD kSmallestRequest = 50000;

// Largest voltage each encoding reaches, in microvolts.
const DWORD kLdo0Max = 1250000;
const DWORD kLdo3Max = 1800000;
const DWORD kLdoMax = 3300000;
const DWORD kSdLowPowerMax = 1500000;
const DWORD kSdNomMax = 3350000;

bool IsLdo(DWORD id)
{
    return id <= 11;
}

bool IsLowPowerSd(DWORD id)
{
    return id == kSd0 || id == kSd1 || id == kSd6;
}

bool IsNomSd(DWORD id)
{
    return id >= 14 && id <= 17;
}

// Code of the lowest step at or above volt in a segment whose code `first` lies one
// step above `base`; a request at or below the base takes the segment's first code.
DWORD SegmentCode(DWORD volt, DWORD base, DWORD step, DWORD first)
{
    if (volt <= base)
        return first;
    return (volt - base - 1) / step + first;
}

int RefuseSelector(DWORD selector)
{
    printf("Selector 0x%x overflow\n", static_cast<unsigned>(selector));
    return 1;
}

// Microvolts of a linear encoding: base plus one step per step number (the selector plus one).
int LinearVolt(DWORD selector, DWORD highest, DWORD base, DWORD step, DWORD* pVol)
{
    if (selector > highest)
        return RefuseSelector(selector);
    *pVol = base + step * (selector + 1);
    return 0;
}

// Writes the selector code of a request that the rail can reach, up to highest microvolts.
int WriteSelector(DWORD reg, DWORD volt, DWORD highest, DWORD code)
{
    if (volt > highest) {
        printf("Voltage %d overflow\n", static_cast<int>(volt));
        return 1;
    }
    return PmuWriteMasked(reg, code, kSelectorField);
}

// Finds the rail and opens the bus, printing why not; 0 or 1.
int OpenRail(const char* pName, DWORD* pIndex)
{
    if (as3720_LookupVoltageIndex(pName, pIndex) != 0) {
        printf("Failed: Unable to find the PMU output [%s].\n", pName);
        return 1;
    }
    if (PmuOpen() != 0) {
        puts("Failed: Unable to open I2C device.");
        I2cClose();
        return 1;
    }
    return 0;
}

// Selector register value to microvolts by the rail's encoding; code 0 reads as step 1.
int DecodeSelector(DWORD id, DWORD value, DWORD* pVolt)
{
    DWORD code = value & kSelectorField;
    DWORD selector = code == 0 ? 0 : code - 1;
    if (id == kLdo0)
        return as3720_Ldo0ListVoltage(selector, pVolt);
    if (id == kLdo3)
        return as3720_Ldo3ListVoltage(selector, pVolt);
    if (IsLdo(id))
        return as3720_LdoListVoltage(code >= 64 ? code - 28 : selector, pVolt);
    return as3720_SdListVolt(id, selector, pVolt);
}

int WriteRailVoltage(const AS3720& rail, DWORD volt)
{
    if (rail.id == kLdo0)
        return WriteSelector(rail.vSelReg, volt, kLdo0Max, as3720_Ldo0Code(volt));
    if (rail.id == kLdo3)
        return WriteSelector(rail.vSelReg, volt, kLdo3Max, as3720_Ldo3Code(volt));
    if (IsLdo(rail.id))
        return as3720_LdoSetVoltage(rail.vSelReg, volt);
    if (IsLowPowerSd(rail.id))
        return as3720_SdLowPowerSetVoltage(rail.vSelReg, volt);
    if (IsNomSd(rail.id))
        return as3720_SdNomSetVoltage(rail.vSelReg, volt);
    puts("Failed: Unknown PMU output ID.");
    return 1;
}

}  // namespace

int as3720_Ldo0ListVoltage(DWORD selector, DWORD* pVol)
{
    return LinearVolt(selector, 17, 800000, 25000, pVol);
}

int as3720_Ldo3ListVoltage(DWORD selector, DWORD* pVol)
{
    return LinearVolt(selector, 89, 600000, 10000, pVol);
}

int as3720_LdoListVoltage(DWORD selector, DWORD* pVol)
{
    return LinearVolt(selector, 99, 800000, 25000, pVol);
}

int as3720_SdListVolt(DWORD id, DWORD selector, DWORD* pVol)
{
    if (IsLowPowerSd(id))
        return LinearVolt(selector, 89, 600000, 10000, pVol);
    // SD2-SD5: 12.5 mV steps to 1.4 V, 25 mV steps to 2.6 V, 50 mV steps to 3.35 V.
    DWORD n = selector + 1;
    if (n > 127)
        return RefuseSelector(n);
    if (n <= 64)
        *pVol = 600000 + 12500 * n;
    else if (n <= 112)
        *pVol = 25000 * n - 200000;
    else
        *pVol = 50000 * n - 3000000;
    return 0;
}

DWORD as3720_Ldo0Code(DWORD volt)
{
    return SegmentCode(volt, 800000, 25000, 1);
}

DWORD as3720_Ldo3Code(DWORD volt)
{
    return SegmentCode(volt, 600000, 10000, 1);
}

DWORD as3720_LdoCode(DWORD volt)
{
    // Codes 37-63 repeat lower voltages; above 1.7 V the steps continue from code 64.
    if (volt <= 1700000)
        return SegmentCode(volt, 800000, 25000, 1);
    return SegmentCode(volt, 1700000, 25000, 64);
}

DWORD as3720_SdLowPowerCode(DWORD volt)
{
    return SegmentCode(volt, 600000, 10000, 1);
}

DWORD as3720_SdNomCode(DWORD volt)
{
    if (volt <= 1400000)
        return SegmentCode(volt, 600000, 12500, 1);
    if (volt <= 2600000)
        return SegmentCode(volt, 1400000, 25000, 65);
    return SegmentCode(volt, 2600000, 50000, 113);
}

int as3720_SdLowPowerSetVoltage(DWORD reg, DWORD volt)
{
    return WriteSelector(reg, volt, kSdLowPowerMax, as3720_SdLowPowerCode(volt));
}

int as3720_SdNomSetVoltage(DWORD reg, DWORD volt)
{
    return WriteSelector(reg, volt, kSdNomMax, as3720_SdNomCode(volt));
}

int as3720_LdoSetVoltage(DWORD reg, DWORD volt)
{
    return WriteSelector(reg, volt, kLdoMax, as3720_LdoCode(volt));
}

int as3720_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int as3720_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(as3720_tab, pName, pIndex, 1);
}

const char* as3720_GetVoltOnOff(const char* pName)
{
    DWORD index = 0;
    if (as3720_LookupVoltageIndex(pName, &index) != 0)
        return "ERR";
    if (PmuOpen() != 0) {
        I2cClose();
        return "ERR";
    }
    const AS3720& rail = as3720_tab[index];
    DWORD value = 0;
    const char* state = "ERR";
    if (PmuRead(rail.enableReg, &value) == 0)
        state = (value & rail.enableBit) == rail.enableBit ? "ON " : "OFF";
    I2cClose();
    return state;
}

int as3720_GetVolt(const char* pName, DWORD* pVolt)
{
    if (pVolt == nullptr) {
        puts("Critical Error: Voltage pointer is NULL!");
        return 1;
    }
    *pVolt = 0;
    DWORD index = 0;
    if (OpenRail(pName, &index) != 0)
        return 1;
    const AS3720& rail = as3720_tab[index];
    DWORD value = 0;
    int status = PmuRead(rail.vSelReg, &value);
    if (status != 0) {
        puts("Failed: Unable to read from PMU.");
        I2cClose();
        return status;
    }
    if (DecodeSelector(rail.id, value, pVolt) != 0) {
        puts("Failed: Unable to set the voltage on this output!");
        I2cClose();
        return 1;
    }
    // The state read shares the open bus and closes it.
    const char* state = as3720_GetVoltOnOff(pName);
    printf("%-12s %-8s %6.1fmV\n", rail.name, state, *pVolt / 1000.0);
    I2cClose();
    return 0;
}

int as3720_SetVolt(const char* pName, DWORD volt)
{
    if (volt < kSmallestRequest) {
        printf("SetVolt(uV), %duV seems too small\n", static_cast<int>(volt));
        return 1;
    }
    DWORD index = 0;
    if (OpenRail(pName, &index) != 0)
        return 1;
    int status = WriteRailVoltage(as3720_tab[index], volt);
    I2cClose();
    return status;
}

int as3720_SetVoltOnOff(const char* pName, DWORD onoff)
{
    DWORD index = 0;
    if (as3720_LookupVoltageIndex(pName, &index) != 0)
        return 0;
    if (PmuOpen() != 0) {
        I2cClose();
        return 0;
    }
    const AS3720& rail = as3720_tab[index];
    int status = PmuWriteMasked(rail.enableReg, onoff != 0 ? 1 : 0, rail.enableBit);
    I2cClose();
    return status;
}

int as3720_ListVolt()
{
    ListRails(as3720_tab, as3720_GetVolt);
    return 0;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kAs3720Driver = {
    [](size_t index) { return RailNameAt(as3720_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        as3720_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return as3720_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return as3720_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return as3720_SetVoltOnOff(name, on ? 1 : 0);
    },
};
