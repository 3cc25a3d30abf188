// TI TPS80031 PMIC: five converters (SMPS1-4, VIO) and ten LDOs on two device
// addresses, 0x12 and 0x48, of one bus.
#pragma once

#include "pmic/regulator.h"

#include "pmic/tps8003x.h"

typedef TPS8003X TPS80031;

inline const TPS80031* const tps80031_tab = tps8003x_tab;

int tps80031_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps80031_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps80031_GetVolt(const char* pName, DWORD* pVolt);
int tps80031_SetVolt(const char* pName, DWORD volt);
int tps80031_GetVoltOnOff(const char* pName, DWORD* pData);
int tps80031_SetVoltOnOff(const char* pName, DWORD onOff);
void tps80031_ListVolt();

extern const RegulatorDriver kTps80031Driver;
