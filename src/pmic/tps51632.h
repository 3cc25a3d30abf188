// TI TPS51632 step-down controller: one rail, CPU, set through the 7-bit code of the
// voltage-setting register VSR in 10 mV steps from 500 mV to 1520 mV.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct TPS51632 {
    const char* name;
    DWORD id;  // only rail 1 can be set
    DWORD minMV;
    DWORD maxMV;
    const char* desc;
};

extern const TPS51632 tps51632_VoltTab[];

// VSR codes 0 to 24 stand for no voltage.
bool tps51632_ValidCode(DWORD code);
// Millivolts of a valid VSR code.
DWORD tps51632_CodeToMillivolts(DWORD code);
// The VSR code of a millivolt request within 500..1520 mV, rounded down to the step.
DWORD tps51632_MillivoltsToCode(DWORD millivolts);

int tps51632_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps51632_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps51632_GetVoltOnOff(const char* pName, DWORD* pData);
int tps51632_GetVolt(const char* pName, DWORD* pVolt);
int tps51632_SetVolt(const char* pName, DWORD Volt);
int tps51632_ListVolt();

extern const RegulatorDriver kTps51632Driver;
