#include "pmic/tps80032.h"

#include "bus/i2c_device.h"
#include "pmic/rail.h"

namespace {

// Levels of the 12.5 mV converters in tenths of a millivolt, by selector 0 to 63.
const DWORD kSmps12mV5Tenths[64] = {
    0,                                                           // 0
    6077,  6204,  6330,  6457,  6583,  6710,  6837,  6963,       // 1-8
    7090,  7216,  7343,  7470,  7596,  7723,  7850,  7976,       // 9-16
    8103,  8229,  8356,  8482,  8609,  8736,  8862,  8989,       // 17-24
    9115,  9242,  9369,  9495,  9622,  9748,  9875,  10002,      // 25-32
    10128, 10255, 10381, 10508, 10635, 10761, 10888, 11014,      // 33-40
    11141, 11268, 11394, 11521, 11647, 11774, 11901, 12027,      // 41-48
    12154, 12280, 12407, 12534, 12660, 12787, 12913, 13040,      // 49-56
    13167, 13674, 15193, 18231, 19244, 21270,                    // 57-62
    0,                                                           // 63
};

}  // namespace

int tps80032_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps80032_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return tps8003x_LookupVoltageIndex(pName, pIndex);
}

int tps80032_GetVolt(const char* pName, DWORD* pVolt)
{
    DWORD index = 0;
    DWORD selector = 0;
    DWORD state = 0;
    if (pVolt == nullptr || tps8003x_ReadRail(pName, &index, &selector, &state) != 0)
        return 1;
    const TPS80032& rail = tps80032_tab[index];
    *pVolt = tps80032_SelectorToVolt(rail.type, selector);
    double shown = rail.type == kTpsSmps12mV5 ? *pVolt / 10.0 : ShownMillivolts(*pVolt, rail.step_size);
    tps8003x_PrintRailLine(rail.name, state, shown);
    return 0;
}

int tps80032_SetVolt(const char* pName, DWORD volt)
{
    return tps8003x_SetVolt(pName, volt);
}

int tps80032_GetVoltOnOff(const char* pName, DWORD* pData)
{
    return tps8003x_GetVoltOnOff(pName, pData);
}

int tps80032_SetVoltOnOff(const char* pName, DWORD onOff)
{
    return tps8003x_SetVoltOnOff(pName, onOff);
}

void tps80032_ListVolt()
{
    ListRails(tps80032_tab, tps80032_GetVolt);
}

DWORD tps80032_SelectorToVolt(DWORD type, DWORD selector)
{
    if (type == kTpsSmps12mV5)
        return kSmps12mV5Tenths[selector & 0x3F];
    return tps8003x_SelectorToMillivolts(type, selector);
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps80032Driver = {
    [](size_t index) { return RailNameAt(tps80032_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps80032_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps80032_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps80032_SetVolt(name, static_cast<DWORD>(voltage));
    },
    [](const I2cDevice& device, const char* name, bool on) {
        UseDevice(device);
        return tps80032_SetVoltOnOff(name, on ? 1 : 0);
    },
};
