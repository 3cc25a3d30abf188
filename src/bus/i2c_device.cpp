#include "bus/i2c_device.h"

#include "bus/i2c.h"

DWORD g_Instance = 0;
DWORD g_PMUSlaveAddr = 0;

int StorePmuBus(DWORD i2cNode, DWORD deviceAddress, DWORD, DWORD, DWORD)
{
    g_Instance = i2cNode;
    g_PMUSlaveAddr = deviceAddress;
    return 0;
}

namespace {

const BYTE kRegisterBits = 8;

I2cDevice PmuDevice()
{
    return {g_Instance, g_PMUSlaveAddr};
}

}  // namespace

int DeviceOpen(const I2cDevice& device)
{
    return I2cOpen(static_cast<BYTE>(device.node));
}

int DeviceRead(const I2cDevice& device, DWORD reg, DWORD* pValue)
{
    return I2cRead(device.address, reg, pValue, kRegisterBits, kRegisterBits);
}

int DeviceWrite(const I2cDevice& device, DWORD reg, DWORD value)
{
    return I2cWrite(device.address, reg, value, kRegisterBits, kRegisterBits);
}

int DeviceReadField(const I2cDevice& device, DWORD reg, DWORD* pValue, BYTE lsb, BYTE msb)
{
    return I2cReadBitRange(device.address, reg, pValue, kRegisterBits, kRegisterBits, lsb, msb);
}

int DeviceWriteField(const I2cDevice& device, DWORD reg, DWORD value, BYTE lsb, BYTE msb)
{
    return I2cWriteBitRange(device.address, reg, value, kRegisterBits, kRegisterBits, lsb, msb);
}

int DeviceWriteMasked(const I2cDevice& device, DWORD reg, DWORD value, DWORD mask)
{
    return I2cWriteMasked(device.address, reg, value, kRegisterBits, kRegisterBits, mask);
}

int PmuOpen()
{
    return DeviceOpen(PmuDevice());
}

int PmuRead(DWORD reg, DWORD* pValue)
{
    return DeviceRead(PmuDevice(), reg, pValue);
}

int PmuWrite(DWORD reg, DWORD value)
{
    return DeviceWrite(PmuDevice(), reg, value);
}

int PmuReadField(DWORD reg, DWORD* pValue, BYTE lsb, BYTE msb)
{
    return DeviceReadField(PmuDevice(), reg, pValue, lsb, msb);
}

int PmuWriteField(DWORD reg, DWORD value, BYTE lsb, BYTE msb)
{
    return DeviceWriteField(PmuDevice(), reg, value, lsb, msb);
}

int PmuWriteMasked(DWORD reg, DWORD value, DWORD mask)
{
    return DeviceWriteMasked(PmuDevice(), reg, value, mask);
}
