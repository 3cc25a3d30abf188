#include "pmic/tps8003x.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

// Register words are device << 16 | register.
const TPS8003X tps8003x_tab[] = {
    // name      id  type            trans     state     voltage   def   onoff step   desc
    {"SMPS1",     0, kTpsSmps12mV5, {0x480053, 0x480054, 0x120055}, 1000, 0,  12.5, "CPU       0.6-2.1V  Step 12.5mv"},
    {"SMPS2",     1, kTpsSmps12mV5, {0x480059, 0x48005A, 0x12005B}, 1200, 0,  12.5, "CORE      0.6-2.1V  Step 12.5mv"},
    {"SMPS3",     2, kTpsSmps12mV5, {0x480065, 0x480066, 0x480068}, 1200, 0,  12.5, "VDDIO_DDR 0.6-2.1V  Step 12.5mv"},
    {"SMPS4",     3, kTpsSmps38mV6, {0x480041, 0x480042, 0x480044}, 2850, 0,  38.6, "SDMMC     1.85-4.0V Step 38.6mv"},
    {"VIO",       4, kTpsSmps12mV5, {0x480047, 0x480048, 0x120049}, 1800, 0,  12.5, "VIO       0.6-2.1V  Step 12.5mv"},
    {"VANA",      5, kTpsLdo100mV,  {0x480081, 0x480082, 0x480083}, 1800, 0, 100.0, "VANA      1.0V-3.2V step 100mv"},
    {"LDOLN",    13, kTpsLdo100mV,  {0x480095, 0x480096, 0x480097}, 1000, 0, 100.0, "DDR_HS    1.0V-3.2V step 100mv"},
    {"LDOUSB",   14, kTpsLdo100mV,  {0x4800A1, 0x4800A2, 0x4800A3}, 3300, 0, 100.0, "USB       1.0V-3.2V step 100mv"},
    {"LDO1",      6, kTpsLdo100mV,  {0x48009D, 0x48009E, 0x48009F}, 1200, 0, 100.0, "DSI_CSI   1.0V-3.2V step 100mv"},
    {"LDO2",      7, kTpsLdo100mV,  {0x480085, 0x480086, 0x480087}, 3300, 0, 100.0, "RTC       1.0V-3.2V step 100mv"},
    {"LDO3",      8, kTpsLdo100mV,  {0x48008D, 0x48008E, 0x48008F}, 1300, 0, 100.0, "Vibrator  1.0V-3.2V step 100mv"},
    {"LDO4",      9, kTpsLdo100mV,  {0x480089, 0x48008A, 0x48008B}, 3000, 0, 100.0, "LCD       1.0V-3.2V step 100mv"},
    {"LDO5",     10, kTpsLdo100mV,  {0x480099, 0x48009A, 0x48009B}, 3300, 0, 100.0, "TOUCH     1.0V-3.2V step 100mv"},
    {"LDO6",     11, kTpsLdo100mV,  {0x480091, 0x480092, 0x480093}, 2850, 0, 100.0, "EMMC      1.0V-3.2V step 100mv"},
    {"LDO7",     12, kTpsLdo100mV,  {0x4800A5, 0x4800A6, 0x4800A7}, 1200, 0, 100.0, "PLL       1.0V-3.2V step 100mv"},
    {nullptr,     0, 0,             {0, 0, 0},                         0, 0,   0.0, ""},
};

namespace {

const DWORD kStateMask = 0x03;     // state register bits 1-0
const DWORD kSelectorMask = 0x3F;  // voltage register bits 5-0
const DWORD kStateHighBit = 1;
const DWORD kSelectorHighBit = 5;

DWORD DeviceOf(DWORD registerWord)
{
    return registerWord >> 16;
}

DWORD RegisterOf(DWORD registerWord)
{
    return registerWord & 0xFFFF;
}

// Bits hi..lo of a register. A failed open or transfer is not reported: the caller's
// variable, zero to begin with, reads as 0 then.
int tps8003x_RegRd(DWORD deviceAddr, DWORD regAddr, DWORD* pData, DWORD lo, DWORD hi)
{
    if (g_Instance == 0 || g_PMUSlaveAddr == 0 || pData == nullptr)
        return 1;
    PmuOpen();
    I2cRead(deviceAddr, regAddr, pData, 8, 8);
    I2cClose();
    *pData = (*pData & I2cFieldMask(static_cast<BYTE>(lo), static_cast<BYTE>(hi))) >> lo;
    return 0;
}

// Replaces bits hi..lo of a register, keeping the others; the transfer's own status is
// not reported.
int tps8003x_RegWr(DWORD deviceAddr, DWORD regAddr, DWORD data, DWORD lo, DWORD hi)
{
    if (g_Instance == 0 || g_PMUSlaveAddr == 0 || hi > 31)
        return 1;
    PmuOpen();
    I2cWriteBitRange(deviceAddr, regAddr, data, 8, 8,
                     static_cast<BYTE>(lo), static_cast<BYTE>(hi));
    I2cClose();
    return 0;
}

DWORD ReadRegisterWord(DWORD registerWord)
{
    DWORD value = 0;
    tps8003x_RegRd(DeviceOf(registerWord), RegisterOf(registerWord), &value, 0, 7);
    return value;
}

void WriteRegisterWord(DWORD registerWord, DWORD data, DWORD hi)
{
    tps8003x_RegWr(DeviceOf(registerWord), RegisterOf(registerWord), data, 0, hi);
}

// A converter's levels: linear from selector 1 to 57 (and at 63), in tenths of a
// millivolt as scale * n + offset; selectors 58 to 62 are fixed levels.
struct ConverterLevels {
    DWORD scale;
    DWORD offset;
    DWORD fixed[5];
};

const DWORD kFirstFixedSelector = 58;
const DWORD kLastFixedSelector = 62;
const ConverterLevels k12mV5Levels = {125, 5875, {1350, 1500, 1800, 1900, 2100}};
const ConverterLevels k38mV6Levels = {386, 18134, {2084, 2315, 2788, 2933, 3241}};

DWORD ConverterMillivolts(const ConverterLevels& levels, DWORD selector)
{
    if (selector == 0)
        return 0;
    if (selector >= kFirstFixedSelector && selector <= kLastFixedSelector)
        return levels.fixed[selector - kFirstFixedSelector];
    return (levels.scale * selector + levels.offset) / 10;
}

// LDO: 1000 mV at selector 1 in 100 mV steps; 26 to 31 all give 2750 mV.
DWORD LdoMillivolts(DWORD selector)
{
    if (selector == 0)
        return 0;
    if (selector >= 26 && selector <= 31)
        return 2750;
    return 100 * selector + 900;
}

// 12.5 mV converter: linear up to 1300 mV (selector 57); the fixed levels from 1350 mV
// up are reached from bands around them.
DWORD Smps12mV5Selector(DWORD volt)
{
    if (volt == 0)
        return 0;
    if (volt <= 600)
        return 1;
    if (volt < 1350) {
        DWORD selector = (10 * volt - 6000) / 125 + 1;
        return selector < 57 ? selector : 57;
    }
    if (volt < 1400)
        return 58;
    if (volt < 1650)
        return 59;
    if (volt < 1850)
        return 60;
    if (volt < 2000)
        return 61;
    return 62;
}

DWORD LdoSelector(DWORD volt)
{
    if (volt < 1000)
        return 1;
    if (volt < 3200)
        return (volt - 1000) / 100 + 1;
    return 23;
}

// 38.6 mV converter: 1860 to 3999 mV linear; anything above is set as 4013 mV would be.
DWORD Smps38mV6Selector(DWORD volt)
{
    if (volt == 0)
        return 0;
    if (volt < 1860)
        return 1;
    if (volt < 4000)
        return (10 * volt - 18515) / 386 + 1;
    return (10 * 4013 - 18515) / 386 + 1;
}

}  // namespace

int tps8003x_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps8003x_tab, pName, pIndex, 1);
}

int tps8003x_SetVolt(const char* pName, DWORD volt)
{
    DWORD index = 0;
    if (tps8003x_LookupVoltageIndex(pName, &index) != 0)
        return 1;
    const TPS8003X& rail = tps8003x_tab[index];
    WriteRegisterWord(rail.ctrl.voltage, tps8003x_MillivoltsToSelector(rail.type, volt), kSelectorHighBit);
    return 0;
}

int tps8003x_GetVoltOnOff(const char* pName, DWORD* pData)
{
    DWORD index = 0;
    if (pData == nullptr || tps8003x_LookupVoltageIndex(pName, &index) != 0)
        return 1;
    *pData = ReadRegisterWord(tps8003x_tab[index].ctrl.state) & kStateMask;
    return 0;
}

int tps8003x_SetVoltOnOff(const char* pName, DWORD onOff)
{
    DWORD index = 0;
    if (onOff > kStateMask || tps8003x_LookupVoltageIndex(pName, &index) != 0)
        return 1;
    WriteRegisterWord(tps8003x_tab[index].ctrl.state, onOff, kStateHighBit);
    return 0;
}

int tps8003x_ReadRail(const char* pName, DWORD* pIndex, DWORD* pSelector, DWORD* pState)
{
    if (tps8003x_LookupVoltageIndex(pName, pIndex) != 0)
        return 1;
    *pSelector = ReadRegisterWord(tps8003x_tab[*pIndex].ctrl.voltage) & kSelectorMask;
    tps8003x_GetVoltOnOff(pName, pState);
    return 0;
}

void tps8003x_PrintRailLine(const char* name, DWORD state, double millivolts)
{
    printf("%-12s %3s %6.1fmV\n", name, state != 0 ? "ON" : "OFF", millivolts);
}

DWORD tps8003x_SelectorToMillivolts(DWORD type, DWORD selector)
{
    if (type == kTpsLdo100mV)
        return LdoMillivolts(selector);
    return ConverterMillivolts(type == kTpsSmps38mV6 ? k38mV6Levels : k12mV5Levels, selector);
}

DWORD tps8003x_MillivoltsToSelector(DWORD type, DWORD volt)
{
    if (type == kTpsLdo100mV)
        return LdoSelector(volt);
    if (type == kTpsSmps38mV6)
        return Smps38mV6Selector(volt);
    return Smps12mV5Selector(volt);
}
