// TI TPS80032 PMIC: the TPS80031's twin with the same rails and registers; its 12.5 mV
// converters run about 1.28 % higher, so they are read back through a table of their own.
#pragma once

#include "pmic/regulator.h"

#include "pmic/tps8003x.h"

typedef TPS8003X TPS80032;

inline const TPS80032* const tps80032_tab = tps8003x_tab;

int tps80032_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps80032_LookupVoltageIndex(const char* pName, DWORD* pIndex);
// Stores tenths of a millivolt for the 12.5 mV converters, millivolts for the others.
int tps80032_GetVolt(const char* pName, DWORD* pVolt);
int tps80032_SetVolt(const char* pName, DWORD volt);
int tps80032_GetVoltOnOff(const char* pName, DWORD* pData);
int tps80032_SetVoltOnOff(const char* pName, DWORD onOff);
void tps80032_ListVolt();

// Selector -> voltage as the TPS80032 reads it: tenths of a millivolt for the 12.5 mV
// converters, millivolts for the other groups.
DWORD tps80032_SelectorToVolt(DWORD type, DWORD selector);

extern const RegulatorDriver kTps80032Driver;
