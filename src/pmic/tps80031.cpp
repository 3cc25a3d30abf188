#include "pmic/tps80031.h"

#include "bus/i2c_device.h"
#include "pmic/rail.h"

int tps80031_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps80031_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return tps8003x_LookupVoltageIndex(pName, pIndex);
}

int tps80031_GetVolt(const char* pName, DWORD* pVolt)
{
    DWORD index = 0;
    DWORD selector = 0;
    DWORD state = 0;
    if (pVolt == nullptr || tps8003x_ReadRail(pName, &index, &selector, &state) != 0)
        return 1;
    const TPS80031& rail = tps80031_tab[index];
    *pVolt = tps8003x_SelectorToMillivolts(rail.type, selector);
    tps8003x_PrintRailLine(rail.name, state, ShownMillivolts(*pVolt, rail.step_size));
    return 0;
}

int tps80031_SetVolt(const char* pName, DWORD volt)
{
    return tps8003x_SetVolt(pName, volt);
}

int tps80031_GetVoltOnOff(const char* pName, DWORD* pData)
{
    return tps8003x_GetVoltOnOff(pName, pData);
}

int tps80031_SetVoltOnOff(const char* pName, DWORD onOff)
{
    return tps8003x_SetVoltOnOff(pName, onOff);
}

void tps80031_ListVolt()
{
    ListRails(tps80031_tab, tps80031_GetVolt);
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps80031Driver = {
    [](size_t index) { return RailNameAt(tps80031_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps80031_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps80031_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps80031_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return tps80031_SetVoltOnOff(name, on ? 1 : 0);
    },
};
