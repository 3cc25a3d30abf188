#include "pmic/tps62366.h"

#include "bus/i2c_device.h"
#include "pmic/rail.h"
#include "pmic/tps6236x.h"

const TPS62366_REG tps62366_reg_tab[] = {
    {0x00, 0, "SET0", "MODE0[7],  OV0[6:0]"},
    {0x01, 1, "SET1", "MODE1[7],  OV1[6:0]"},
    {0x04, 0, "CTRL", "PD_EN[7],  PD_VSEL0[6], PD_VSEL1[5]"},
    {0x05, 0, "TEMP", "DIS_TS[2], TJEW[1],     TJTS[0]"},
    {0x06, 0, "RMPCTRL", "RMP[7:5],  EN_DISC[2],  RAMP_PFM[1]"},
    {0x08, 0, "CHIP_ID", "[7:2]"},
    {0xFFFFFFFF, 0, "", ""},
};

int tps62636_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ)
{
    return StorePmuBus(i2cNode, deviceAddress, addrBitWidth, dataBitWidth, clockSpeedKHZ);
}

int tps62636_LookupVoltageIndex(const char* pName, DWORD* pIndex)
{
    return LookupRail(tps62366_reg_tab, pName, pIndex, kTps6236xNotFound);
}

namespace {
const Tps6236xChip kChip = {
    .lookup = tps62636_LookupVoltageIndex,
    .readOpenFailed = 2,
    .readFailed = 1,
    .setOpenFailed = 3,
    .writeFailed = 2,
    .readBackFailed = 1,
    .settleMicroseconds = 10000,
    .voltageRegisters = 2,
};
}  // namespace

int tps62366_GetVolt(const char* pName, DWORD*)
{
    return tps6236x_GetVolt(kChip, tps62366_reg_tab, &TPS62366_REG::offset, pName);
}

int tps62366_SetVolt(const char* pName, DWORD Volt)
{
    return tps6236x_SetVolt(kChip, tps62366_reg_tab, &TPS62366_REG::offset, pName, Volt);
}

int tps62366_ListVolt()
{
    return tps6236x_ListVolt(kChip, tps62366_reg_tab, &TPS62366_REG::offset);
}

// Transitional adapter to the driver contract.
namespace {
void UseDevice(const I2cDevice& device)
{
    StorePmuBus(device.node, device.address, 8, 8, 100);
}
}  // namespace

const RegulatorDriver kTps62366Driver = {
    [](size_t index) { return RailNameAt(tps62366_reg_tab, index); },
    [](const I2cDevice& device) {
        UseDevice(device);
        tps62366_ListVolt();
    },
    [](const I2cDevice& device, const char* name) {
        UseDevice(device);
        DWORD v = 0; return tps62366_GetVolt(name, &v);
    },
    [](const I2cDevice& device, const char* name, double voltage) {
        UseDevice(device);
        return tps62366_SetVolt(name, static_cast<DWORD>(voltage));
    },
    nullptr,
};
