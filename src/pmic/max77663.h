// Maxim MAX77663/MAX77664 PMIC: step-down converters SD0-SD4 (SD0 and SD1 each with a
// second, dynamic-voltage register) and linear regulators LDO0-LDO8. A rail is switched
// either by one of the flexible power sequencers (FPS0-FPS2) or by its own power mode.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct MAX77663 {
    const char* name;
    DWORD id;
    DWORD type;  // kMax77663StepDown or kMax77663Ldo
    DWORD regVOLT;
    DWORD regCFG;
    DWORD regFPS;
    double offset;
    double step;
    DWORD mask;
};

const DWORD kMax77663StepDown = 0;
const DWORD kMax77663Ldo = 1;

extern const MAX77663 max77663_tab[];

// Voltage code <-> millivolts of a rail. The code is (Volt - offset) / step truncated
// toward zero and saturated to 32 bits; the caller keeps only the bits of the rail's mask.
double max77663_CodeToMillivolts(const MAX77663& rail, DWORD code);
DWORD max77663_MillivoltsToCode(const MAX77663& rail, double Volt);

int max77663_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int max77663_LookupVoltageIndex(const char* pName, DWORD* pIndex);
const char* max77663_GetVoltOnOff(const char* pName);
const char* max77663_GetVoltState(const char* pName);
int max77663_GetVolt(const char* pName, double* pVolt);
int max77663_SetVolt(const char* pName, double Volt);
int max77663_SetVoltOnOff(const char* pName, DWORD onoff);
int max77663_ListVolt();

extern const RegulatorDriver kMax77663Driver;
