#include "pmic/tps62365.h"

#include "bus/i2c_device.h"
#include "pmic/rail.h"
#include "pmic/tps6236x.h"

const TPS62365_REG tps62365_reg_tab[] = {
    {0x00, 0, 0, "SET0", "MODE0[7],  OV0[6:0]"},
    {0x01, 0, 1, "SET1", "MODE1[7],  OV1[6:0]"},
    {0x02, 1, 0, "SET2", "MODE2[7],  OV2[6:0]"},
    {0x03, 1, 1, "SET3", "MODE3[7],  OV3[6:0]"},
    {0x04, 0, 0, "CTRL", "PD_EN[7],  PD_VSEL0[6], PD_VSEL1[5]"},
    {0x05, 0, 0, "TEMP", "DIS_TS[2], TJEW[1],     TJTS[0]"},
    {0x06, 0, 0, "RMPCTRL", "RMP[7:5],  EN_DISC[2],  RAMP_PFM[1]"},
    {0x08, 0, 0, "CHIP_ID", "[7:2]"},
    {0xFFFFFFFF, 0, 0, "", ""},
};

int tps62635_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps62635_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps62365_reg_tab, pName, pIndex, kTps6236xNotFound);
}

namespace {
const Tps6236xChip kChip = {
    .lookup = tps62635_LookupVoltageIndex,
    .readOpenFailed = 2,
    .readFailed = 1,
    .setOpenFailed = 3,
    .writeFailed = 2,
    .readBackFailed = 1,
    .settleMicroseconds = 10000,
    .voltageRegisters = 4,
};
}  // namespace

int tps62365_GetVolt(const char* pName, DWORD*)
{
    return tps6236x_GetVolt(kChip, tps62365_reg_tab, &TPS62365_REG::offset, pName);
}

int tps62365_SetVolt(const char* pName, DWORD Volt)
{
    return tps6236x_SetVolt(kChip, tps62365_reg_tab, &TPS62365_REG::offset, pName, Volt);
}

int tps62365_ListVolt()
{
    return tps6236x_ListVolt(kChip, tps62365_reg_tab, &TPS62365_REG::offset);
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps62365Driver = {
    [](size_t index) { return RailNameAt(tps62365_reg_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps62365_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps62365_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps62365_SetVolt(name, static_cast<DWORD>(voltage));
    },
    nullptr,
};
