// Register access of the regulator drivers at the bus settings the last Init stored: node
// g_Instance (its low 8 bits), device g_PMUSlaveAddr, widths g_AddrBitWidth and
// g_DataBitWidth. Results are those of the I2C layer.
#pragma once

#include "common.h"

int PmuOpen();
int PmuRead(DWORD reg, DWORD* pValue);
int PmuWrite(DWORD reg, DWORD value);
int PmuReadField(DWORD reg, DWORD* pValue, BYTE lsb, BYTE msb);
int PmuWriteField(DWORD reg, DWORD value, BYTE lsb, BYTE msb);
int PmuWriteMasked(DWORD reg, DWORD value, DWORD mask);
