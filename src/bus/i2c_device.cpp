#include "bus/i2c_device.h"

#include "bus/i2c.h"

namespace {

const BYTE kRegisterBits = 8;

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
