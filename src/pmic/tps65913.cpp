#include "pmic/tps65913.h"

#include <cstdio>

#include "bus/i2c.h"
#include "bus/i2c_device.h"
#include "pmic/rail.h"

const TPS65913 tps65913_VoltTab[] = {
    // name      id     volt  ctrl  def   on  desc
    {"SMPS12",   1,     0x23, 0x20, 1200, 1, "SMPS"},
    {"SMPS123",  2,     0x23, 0x20, 1200, 1, "SMPS"},
    {"SMPS3",    3,     0x27, 0x24, 0,    0, "SMPS"},
    {"SMPS45",   4,     0x2B, 0x28, 1000, 1, "SMPS"},
    {"SMPS457",  5,     0x2B, 0x28, 1000, 1, "SMPS"},
    {"SMPS6",    6,     0x2F, 0x2C, 900,  1, "SMPS"},
    {"SMPS7",    7,     0x33, 0x30, 1800, 1, "SMPS"},
    {"SMPS8",    8,     0x37, 0x34, 1200, 1, "SMPS"},
    {"SMPS9",    9,     0x3B, 0x38, 1020, 1, "SMPS"},
    {"LDO1",     0x101, 0x51, 0x50, 0,    0, "LDO  0.9-3.3V, step  0.05V.  300 mA"},
    {"LDO2",     0x102, 0x53, 0x52, 0,    0, "LDO  0.9-3.3V, step  0.05V.  300 mA"},
    {"LDO3",     0x103, 0x55, 0x54, 0,    0, "LDO  0.9-3.3V, step  0.05V.  200 mA"},
    {"LDO4",     0x104, 0x57, 0x56, 1000, 1, "LDO  0.9-3.3V, step  0.05V.  200 mA"},
    {"LDO5",     0x105, 0x59, 0x58, 1800, 1, "LDO  0.9-3.3V, step  0.05V.  200 mA"},
    {"LDO6",     0x106, 0x5B, 0x5A, 1200, 1, "LDO  0.9-3.3V, step  0.05V.  200 mA"},
    {"LDO7",     0x107, 0x5D, 0x5C, 1800, 1, "LDO  0.9-3.3V, step  0.05V.  200 mA"},
    {"LDO8",     0x108, 0x5F, 0x5E, 1000, 1, "LDO  0.9-3.3V, step  0.05V.  200 mA"},
    {"LDO9",     0x109, 0x61, 0x60, 0,    0, "LDO  0.9-3.3V, step  0.05V.  50 mA"},
    {"LDOLN",    0x110, 0x63, 0x62, 1800, 1, "LDO  0.9-3.3V, step  0.05V.  50 mA"},
    {"LDOUSB",   0x111, 0x65, 0x64, 3250, 1, "LDO  3.3V    , step  N/A     100 mA"},
    {nullptr,    0,     0,    0,    0,    0, nullptr},
};

namespace {

// Which register fields a rail uses, by kind (`id`).
struct RailFields {
    DWORD voltHighBit;    // voltage: bits voltHighBit..0 of offs_volt
    DWORD stateLowBit;    // state shown: bits stateHighBit..stateLowBit of offs_ctrl
    DWORD stateHighBit;
    DWORD switchHighBit;  // switched: bits switchHighBit..0 of offs_ctrl
};

const RailFields kSmpsFields = {7, 4, 5, 1};
const RailFields kLdoFields = {5, 4, 4, 0};

const DWORD kSmpsRange = 0x80;  // SMPS voltage bit 7: doubles the output
const DWORD kSmpsSelectorMask = 0x7F;

const char* const kSmpsModes[] = {"OFF", "AUTO", "ECO", "FORCED_PWM"};

bool IsSmps(const TPS65913& rail)
{
    return rail.id >= 1 && rail.id <= 9;
}

bool IsLdo(const TPS65913& rail)
{
    return (rail.id >= 0x101 && rail.id <= 0x109) || rail.id == 0x110 || rail.id == 0x111;
}

// The rail's record and register fields; null when the name is unknown (the valid names
// are listed then) or the record's id is not a rail kind.
const RailFields* FindRail(const char* pName, const TPS65913** ppRail)
{
    DWORD index = 0;
    if (tps65913_LookupVoltageIndex(pName, &index) != 0)
        return nullptr;
    *ppRail = &tps65913_VoltTab[index];
    if (IsSmps(**ppRail))
        return &kSmpsFields;
    if (IsLdo(**ppRail))
        return &kLdoFields;
    return nullptr;
}

// Bits hi..lo of a register, right-aligned. 1 bus or device not set, 2 no output,
// 3 bad bit range, 4 bus node not opened, 5 transfer failed.
int tps65913_RegRd(DWORD regAddr, DWORD* pValue, DWORD lo, DWORD hi)
{
    if (g_Instance == 0 || g_PMUSlaveAddr == 0)
        return 1;
    if (pValue == nullptr)
        return 2;
    if (hi > 31 || hi < lo)
        return 3;
    int status = 0;
    if (PmuOpen() != 0)
        status = 4;
    else if (PmuReadField(regAddr, pValue, static_cast<BYTE>(lo), static_cast<BYTE>(hi)) != 0)
        status = 5;
    I2cClose();
    return status;
}

// Replaces bits hi..0 of a register, keeping the others. 1 bus or device not set, 2 bad
// bit range, 3 bus node not opened, 4 transfer failed or range beyond bit 7.
int tps65913_RegWr(DWORD regAddr, DWORD value, DWORD hi)
{
    if (g_Instance == 0 || g_PMUSlaveAddr == 0)
        return 1;
    if (hi > 31)
        return 2;
    int status = 0;
    if (PmuOpen() != 0)
        status = 3;
    else if (PmuWriteField(regAddr, value, 0, static_cast<BYTE>(hi)) != 0)
        status = 4;
    I2cClose();
    return status;
}

const char* StateWord(const RailFields* fields, DWORD state)
{
    if (fields == &kLdoFields)
        return state == 0 ? "OFF" : "ON";
    return state < 4 ? kSmpsModes[state] : "UNKNOWN";
}

}  // namespace

int tps65913_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps65913_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps65913_VoltTab, pName, pIndex, 2);
}

int tps65913_GetVolt(const char* pName, DWORD* pVolt)
{
    if (pVolt == nullptr)
        return 1;
    const TPS65913* rail = nullptr;
    const RailFields* fields = FindRail(pName, &rail);
    DWORD value = 0;
    if (fields == nullptr || tps65913_RegRd(rail->offs_volt, &value, 0, fields->voltHighBit) != 0)
        return 2;
    *pVolt = fields == &kSmpsFields ? tps65913_SmpsMillivolts(value) : tps65913_LdoMillivolts(value);
    DWORD state = 0;
    const char* word = tps65913_GetVoltOnOff(pName, &state) == 0 ? StateWord(fields, state) : "UNKNOWN";
    printf("%-12s %12s %6dmV\n", rail->name, word, static_cast<int>(*pVolt));
    return 0;
}

int tps65913_SetVolt(const char* pName, DWORD Volt)
{
    const TPS65913* rail = nullptr;
    const RailFields* fields = FindRail(pName, &rail);
    if (fields == nullptr)
        return 2;
    DWORD value = fields == &kSmpsFields ? tps65913_SmpsRegister(Volt) : tps65913_LdoSelector(Volt);
    return tps65913_RegWr(rail->offs_volt, value, fields->voltHighBit);
}

int tps65913_GetVoltOnOff(const char* pName, DWORD* pData)
{
    if (pData == nullptr)
        return 1;
    const TPS65913* rail = nullptr;
    const RailFields* fields = FindRail(pName, &rail);
    if (fields == nullptr || tps65913_RegRd(rail->offs_ctrl, pData, fields->stateLowBit, fields->stateHighBit) != 0)
        return 2;
    return 0;
}

int tps65913_SetVoltOnOff(const char* pName, DWORD Onoff)
{
    if (Onoff > 3)
        return 1;
    const TPS65913* rail = nullptr;
    const RailFields* fields = FindRail(pName, &rail);
    if (fields == nullptr)
        return 2;
    return tps65913_RegWr(rail->offs_ctrl, Onoff, fields->switchHighBit);
}

int tps65913_ListVolt()
{
    ListRails(tps65913_VoltTab, tps65913_GetVolt);
    return 0;
}

DWORD tps65913_SmpsMillivolts(DWORD registerValue)
{
    DWORD selector = registerValue & kSmpsSelectorMask;
    if (selector == 0)
        return 0;
    DWORD millivolts = 440 + 10 * selector;
    if (millivolts > 1650)
        millivolts = 1650;
    return (registerValue & kSmpsRange) != 0 ? 2 * millivolts : millivolts;
}

DWORD tps65913_SmpsRegister(DWORD millivolts)
{
    if (millivolts < 500)
        return 0x06;
    if (millivolts <= 1650)
        return (millivolts - 500) / 10 + 6;
    if (millivolts <= 3300)
        return kSmpsRange | ((millivolts - 1640) / 20 + 38);
    return 0xF9;
}

DWORD tps65913_LdoMillivolts(DWORD selector)
{
    if (selector == 0)
        return 0;
    DWORD millivolts = 850 + 50 * selector;
    return millivolts < 3300 ? millivolts : 3300;
}

DWORD tps65913_LdoSelector(DWORD millivolts)
{
    if (millivolts < 900)
        return 1;
    if (millivolts > 3300)
        millivolts = 3300;
    return (millivolts - 900) / 50 + 1;
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps65913Driver = {
    [](size_t index) { return RailNameAt(tps65913_VoltTab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps65913_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps65913_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps65913_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return tps65913_SetVoltOnOff(name, on ? 1 : 0);
    },
};
