#include "pmic/tps65911.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const TPS65911 tps65911_VoltTab[] = {
    {"VIO", 0, 1800.0, 1, 0.0, "SMPS 1500/1800/2500/3300 mV, 1500 mA"},
    {"VDD1", 1, 1200.0, 1, 12.5, "SMPS  600-1500 mV in  12.5 mV steps, 1500 mA"},
    {"VDD2", 2, 1500.0, 1, 12.5, "SMPS  600-1500 mV in  12.5 mV steps, 1500 mA"},
    {"VDDCTRL", 3, 1000.0, 0, 12.5, "SMPS  600-1400 mV in  12.5 mV steps, 6000 mA"},
    {"VDDCTRLSR", 4, 1000.0, 0, 0.0, "SMPS VDDCTRL (SR REG=0x29)"},
    {"LDO1", 5, 1050.0, 1, 50.0, "LDO  1000-3300 mV in  50.0 mV steps,  300 mA"},
    {"LDO2", 6, 1050.0, 1, 50.0, "LDO  1000-3300 mV in  50.0 mV steps,  300 mA"},
    {"LDO3", 7, 1000.0, 0, 100.0, "LDO  1000-3300 mV in 100.0 mV steps,  150 mA"},
    {"LDO4", 8, 1200.0, 1, 50.0, "LDO  1000-3300 mV in  50.0 mV steps,   50 mA"},
    {"LDO5", 9, 3300.0, 0, 100.0, "LDO  1000-3300 mV in 100.0 mV steps,  300 mA"},
    {"LDO6", 10, 1000.0, 0, 100.0, "LDO  1000-3300 mV in 100.0 mV steps,  300 mA"},
    {"LDO7", 11, 1100.0, 1, 100.0, "LDO  1000-3300 mV in 100.0 mV steps,  150 mA"},
    {"LDO8", 12, 1000.0, 1, 100.0, "LDO  1000-3300 mV in 100.0 mV steps,  150 mA"},
    {nullptr, 0, 0.0, 0, 0.0, ""},
};

namespace {

enum Encoding {
    kVioLevels,  // four fixed levels
    kVdd,        // converter, selectors 3-75 (600-1500 mV)
    kVddCtrl,    // converter, selectors 0 and 3-67 (600-1400 mV)
    kVddCtrlSr,  // VDDCTRL's SR register, whatever its select flag says
    kLdo50,      // selectors 4-50, 1000 mV + 50 mV steps
    kLdo100,     // selectors 2-25, 1000 mV + 100 mV steps
};

// Registers of one rail. Every state field is bits 1-0 of stateReg. For the converters the
// selector is bits 6-0 of voltReg (the operating register), or of srReg when bit 7 of
// voltReg is set; for the others it is bits hi-lo of voltReg.
struct RailRegisters {
    DWORD stateReg;
    DWORD voltReg;
    DWORD srReg;
    DWORD lo;
    DWORD hi;
    Encoding encoding;
};

// Indexed by rail id.
const RailRegisters kRailRegisters[] = {
    {0x20, 0x20, 0x00, 2, 3, kVioLevels},  // VIO
    {0x21, 0x22, 0x23, 0, 6, kVdd},        // VDD1
    {0x24, 0x25, 0x26, 0, 6, kVdd},        // VDD2
    {0x27, 0x28, 0x29, 0, 6, kVddCtrl},    // VDDCTRL
    {0x27, 0x29, 0x29, 0, 6, kVddCtrlSr},  // VDDCTRLSR
    {0x30, 0x30, 0x00, 2, 7, kLdo50},      // LDO1
    {0x31, 0x31, 0x00, 2, 7, kLdo50},      // LDO2
    {0x37, 0x37, 0x00, 2, 6, kLdo100},     // LDO3
    {0x36, 0x36, 0x00, 2, 7, kLdo50},      // LDO4
    {0x32, 0x32, 0x00, 2, 6, kLdo100},     // LDO5
    {0x35, 0x35, 0x00, 2, 7, kLdo100},     // LDO6: six-bit field although 100 mV steps
    {0x34, 0x34, 0x00, 2, 6, kLdo100},     // LDO7
    {0x33, 0x33, 0x00, 2, 6, kLdo100},     // LDO8
};

const DWORD kStateLo = 0;
const DWORD kStateHi = 1;
const DWORD kSrSelect = 0x80;
const DWORD kConverterSelector = 0x7F;

const DWORD kVioMillivolts[] = {1500, 1800, 2500, 3300};

bool IsConverter(Encoding encoding)
{
    return encoding == kVdd || encoding == kVddCtrl || encoding == kVddCtrlSr;
}

DWORD ConverterMillivolts(DWORD selector)
{
    if (selector == 0)
        return 0;
    if (selector <= 3)
        return 600;
    return (125 * selector + 5625) / 10;
}

// Selector 3 (600 mV) up to the one of maxMillivolts; 2000 and up are tenths of a millivolt.
DWORD ConverterSelector(DWORD volt, DWORD maxMillivolts)
{
    DWORD maxSelector = (10 * maxMillivolts - 5625) / 125;
    if (volt < 600)
        return 3;
    if (volt <= maxMillivolts)
        return (10 * volt - 5625) / 125;
    if (volt < 2000)
        return maxSelector;
    if (volt < 6000)
        return 3;
    if (volt <= 10 * maxMillivolts)
        return (volt - 5625) / 125;
    return maxSelector;
}

DWORD VioSelector(DWORD volt)
{
    // The nearest level; half-way goes to the lower one.
    if (volt <= 1650)
        return 0;
    if (volt <= 2150)
        return 1;
    if (volt <= 2900)
        return 2;
    return 3;
}

DWORD LdoSelector(DWORD volt, DWORD step, DWORD minSelector, DWORD maxSelector)
{
    if (volt < 1000)
        return minSelector;
    if (volt <= 3300)
        return (volt - 1000) / step + minSelector;
    return maxSelector;
}

DWORD LdoMillivolts(DWORD selector, DWORD step, DWORD minSelector)
{
    if (selector <= minSelector)
        return 1000;
    return 1000 + step * (selector - minSelector);
}

// Bits 6-0 of the converter register that holds the active selector.
DWORD ReadConverterSelector(const RailRegisters& regs)
{
    DWORD operating = 0;
    tps65911_RegRd(regs.voltReg, &operating, 0, 7);
    if (regs.encoding == kVddCtrlSr || (operating & kSrSelect) == 0)
        return operating & kConverterSelector;
    DWORD selector = 0;
    tps65911_RegRd(regs.srReg, &selector, 0, 6);
    return selector;
}

void WriteConverterSelector(const RailRegisters& regs, DWORD selector)
{
    DWORD operating = 0;
    tps65911_RegRd(regs.voltReg, &operating, 0, 7);
    DWORD target = (operating & kSrSelect) != 0 ? regs.srReg : regs.voltReg;
    tps65911_RegWr(target, selector & kConverterSelector, 0, 7);
}

}  // namespace

DWORD tps65911_SelectorToMillivolts(DWORD id, DWORD selector)
{
    switch (kRailRegisters[id].encoding) {
    case kVioLevels:
        return kVioMillivolts[selector & 3];
    case kVdd:
    case kVddCtrl:
    case kVddCtrlSr:
        return ConverterMillivolts(selector);
    case kLdo50:
        return LdoMillivolts(selector, 50, 4);
    case kLdo100:
        return LdoMillivolts(selector, 100, 2);
    }
    return 0;
}

DWORD tps65911_MillivoltsToSelector(DWORD id, DWORD volt)
{
    switch (kRailRegisters[id].encoding) {
    case kVioLevels:
        return VioSelector(volt);
    case kVdd:
        return ConverterSelector(volt, 1500);
    case kVddCtrl:
    case kVddCtrlSr:
        return volt == 0 ? 0 : ConverterSelector(volt, 1400);
    case kLdo50:
        return LdoSelector(volt, 50, 4, 50);
    case kLdo100:
        return LdoSelector(volt, 100, 2, 25);
    }
    return 0;
}

int tps65911_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps65911_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps65911_VoltTab, pName, pIndex, 2);
}

DWORD tps65911_GetField(DWORD Data, DWORD Lo, DWORD Hi)
{
    return static_cast<DWORD>((Data & ((uint64_t{1} << (Hi + 1)) - 1)) >> Lo);
}

DWORD tps65911_SetField(DWORD Val, DWORD Lo, DWORD Hi, DWORD Data)
{
    return (Val & ~I2cFieldMask(static_cast<BYTE>(Lo), static_cast<BYTE>(Hi))) | (Data << Lo);
}

int tps65911_RegRd(DWORD RegAddr, DWORD* pData, DWORD Lo, DWORD Hi)
{
    if (g_Instance == 0 || g_PMUSlaveAddr == 0)
        return 1;
    if (pData == nullptr)
        return 2;
    if (Hi > 31 || Hi < Lo)
        return 3;
    // A failed open or transfer leaves *pData as the caller set it.
    PmuOpen();
    PmuRead(RegAddr, pData);
    I2cClose();
    *pData = tps65911_GetField(*pData, Lo, Hi);
    return 0;
}

int tps65911_RegWr(DWORD RegAddr, DWORD Data, DWORD Lo, DWORD Hi)
{
    if (g_Instance == 0 || g_PMUSlaveAddr == 0 || Hi > 31 || Hi < Lo)
        return 1;
    DWORD current = 0;
    tps65911_RegRd(RegAddr, &current, 0, 7);
    current = tps65911_SetField(current, Lo, Hi, Data);
    PmuOpen();
    PmuWrite(RegAddr, current);
    I2cClose();
    return 0;
}

int tps65911_GetVoltOnOff(const char* pName, DWORD* pData)
{
    if (pData == nullptr)
        return 1;
    DWORD index = 0;
    if (tps65911_LookupVoltageIndex(pName, &index) != 0)
        return 2;
    tps65911_RegRd(kRailRegisters[tps65911_VoltTab[index].id].stateReg, pData, kStateLo, kStateHi);
    return 0;
}

int tps65911_SetVoltOnOff(const char* pName, DWORD Onoff)
{
    if (Onoff > 3)
        return 1;
    DWORD index = 0;
    if (tps65911_LookupVoltageIndex(pName, &index) != 0)
        return 2;
    tps65911_RegWr(kRailRegisters[tps65911_VoltTab[index].id].stateReg, Onoff, kStateLo, kStateHi);
    return 0;
}

int tps65911_GetVolt(const char* pName, DWORD* pVolt)
{
    if (pVolt == nullptr)
        return 1;
    DWORD index = 0;
    if (tps65911_LookupVoltageIndex(pName, &index) != 0)
        return 2;
    const TPS65911& rail = tps65911_VoltTab[index];
    const RailRegisters& regs = kRailRegisters[rail.id];
    DWORD selector = 0;
    if (IsConverter(regs.encoding))
        selector = ReadConverterSelector(regs);
    else
        tps65911_RegRd(regs.voltReg, &selector, regs.lo, regs.hi);
    *pVolt = tps65911_SelectorToMillivolts(rail.id, selector);
    DWORD state = 0;
    tps65911_GetVoltOnOff(pName, &state);
    printf("%-12s %3s %6.1fmV\n", rail.name, state != 0 ? "ON" : "OFF", ShownMillivolts(*pVolt, rail.step_size));
    return 0;
}

int tps65911_SetVolt(const char* pName, DWORD Volt)
{
    DWORD index = 0;
    if (tps65911_LookupVoltageIndex(pName, &index) != 0)
        return 2;
    const TPS65911& rail = tps65911_VoltTab[index];
    const RailRegisters& regs = kRailRegisters[rail.id];
    DWORD selector = tps65911_MillivoltsToSelector(rail.id, Volt);
    if (IsConverter(regs.encoding))
        WriteConverterSelector(regs, selector);
    else
        tps65911_RegWr(regs.voltReg, selector, regs.lo, regs.hi);
    return 0;
}

int tps65911_ListVolt()
{
    ListRails(tps65911_VoltTab, tps65911_GetVolt);
    return 0;
}

bool tps65911_RailStepMillivolts(const char* pName, double* pStep)
{
    DWORD index = 0;
    if (tps65911_LookupVoltageIndex(pName, &index) != 0)
        return false;
    *pStep = tps65911_VoltTab[index].step_size;
    return true;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps65911Driver = {
    [](size_t index) { return RailNameAt(tps65911_VoltTab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps65911_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps65911_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps65911_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return tps65911_SetVoltOnOff(name, on ? 1 : 0);
    },
};
