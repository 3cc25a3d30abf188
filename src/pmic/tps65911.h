// TI TPS65911 PMIC: the VIO converter with four fixed levels, the 12.5 mV converters
// VDD1, VDD2 and VDDCTRL (VDDCTRLSR is VDDCTRL's SR register on its own), and LDO1-LDO8.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct TPS65911 {
    const char* name;
    DWORD id;
    double def_volt;
    DWORD def_onoff;
    double step_size;
    const char* desc;
};

extern const TPS65911 tps65911_VoltTab[];

// Selector <-> millivolts of the rail with the given id. Writing clamps to the rail's
// range and rounds down to a step; reading decodes any selector without clamping.
// The converters take values from 2000 up as tenths of a millivolt.
DWORD tps65911_SelectorToMillivolts(DWORD id, DWORD selector);
DWORD tps65911_MillivoltsToSelector(DWORD id, DWORD volt);

int tps65911_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps65911_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps65911_GetVolt(const char* pName, DWORD* pVolt);
int tps65911_SetVolt(const char* pName, DWORD Volt);
int tps65911_GetVoltOnOff(const char* pName, DWORD* pData);
int tps65911_SetVoltOnOff(const char* pName, DWORD Onoff);
int tps65911_ListVolt();
// The step of the named rail; false after listing the valid names when it is unknown.
bool tps65911_RailStepMillivolts(const char* pName, double* pStep);

// Register access refused (no transfer) while the bus or the device address is 0.
int tps65911_RegRd(DWORD RegAddr, DWORD* pData, DWORD Lo, DWORD Hi);
int tps65911_RegWr(DWORD RegAddr, DWORD Data, DWORD Lo, DWORD Hi);
DWORD tps65911_GetField(DWORD Data, DWORD Lo, DWORD Hi);
DWORD tps65911_SetField(DWORD Val, DWORD Lo, DWORD Hi, DWORD Data);

extern const RegulatorDriver kTps65911Driver;
