// I2C transport over the Linux i2c-dev nodes: one node open at a time, combined
// register-address/data transfers, big-endian addresses and data, retries and pauses.
#pragma once

#include "common.h"

int I2cOpen(BYTE I2CInstance);
int I2cClose();
int I2cBuildBuffer(BYTE* pBuf, BYTE Width, DWORD Value, DWORD* pCount);
int I2cRebuildValue(BYTE* pBuf, BYTE Width, DWORD* pData);
int I2cRead(DWORD DeviceAddr, DWORD Offset, DWORD* pReadData, BYTE AddressBitWidth, BYTE DataBitWidth);
int I2cWrite(DWORD DeviceAddr, DWORD Offset, DWORD Data, BYTE AddressBitWidth, BYTE DataBitWidth);
int I2cReadBitRange(DWORD DeviceAddr, DWORD Offset, DWORD* pReadData, BYTE AddressBitWidth, BYTE DataBitWidth,
                    BYTE lsb, BYTE msb);
int I2cWriteBitRange(DWORD DeviceAddr, DWORD Offset, DWORD Data, BYTE AddressBitWidth, BYTE DataBitWidth, BYTE lsb,
                     BYTE msb);
int I2cWriteMasked(DWORD DeviceAddr, DWORD Offset, DWORD Data, BYTE AddressBitWidth, BYTE DataBitWidth, DWORD mask);

// Bits msb..lsb set; the field mask of the bit-range operations.
DWORD I2cFieldMask(BYTE lsb, BYTE msb);
