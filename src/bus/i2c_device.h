// One device on an I2C bus with 8-bit register addresses and 8-bit data, as every power
// chip and the board-ID EEPROM here. Results are those of the I2C layer.
#pragma once

#include "common.h"

struct I2cDevice {
    DWORD node;     // its low 8 bits name /dev/i2c-N
    DWORD address;  // 7-bit device address
};

int DeviceOpen(const I2cDevice& device);
int DeviceRead(const I2cDevice& device, DWORD reg, DWORD* pValue);
int DeviceWrite(const I2cDevice& device, DWORD reg, DWORD value);
int DeviceReadField(const I2cDevice& device, DWORD reg, DWORD* pValue, BYTE lsb, BYTE msb);
int DeviceWriteField(const I2cDevice& device, DWORD reg, DWORD value, BYTE lsb, BYTE msb);
int DeviceWriteMasked(const I2cDevice& device, DWORD reg, DWORD value, DWORD mask);
