// Maxim MAX77660 PMIC: seven step-down converters (BUCK1-7) and eighteen LDOs, each with
// a voltage-code field and a two-bit power-mode field.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// One rail, as the register map lays it out. Voltages in microvolts.
struct MAX77660 {
    const char* name;
    DWORD id;
    DWORD type;  // 0 step-down converter, 1 LDO
    DWORD voltReg;
    DWORD voltRegLSB;
    DWORD voltRegMSB;
    DWORD pwrModReg;
    DWORD pwrModRegLSB;
    DWORD pwrModRegMSB;
    DWORD pwrOkReg;
    DWORD pwrOkRegLSB;
    DWORD pwrOkRegMSB;
    DWORD minUV;  // voltage of code 0
    DWORD maxUV;
    DWORD stepUV;
};

extern const MAX77660 max77660_tab[];

// The millivolts shown for a voltage code: fractions of a millivolt dropped, no upper bound.
DWORD max77660_CodeToMillivolts(const MAX77660& rail, DWORD code);
// The microvolts of a millivolt request, truncated as the ARM targets convert (negative gives 0).
DWORD max77660_RequestMicrovolts(double millivolts);
// Whether the rail can be set to these microvolts (both ends allowed).
bool max77660_InRange(const MAX77660& rail, DWORD microvolts);
// The code of an in-range request, rounded down to the step.
DWORD max77660_MicrovoltsToCode(const MAX77660& rail, DWORD microvolts);

int max77660_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int max77660_LookupVoltageIndex(const char* pName, DWORD* pIndex);
const char* max77660_GetVoltOnOff(const char* pName);
int max77660_GetVolt(const char* pName, double* pVolt);
int max77660_SetVolt(const char* pName, double Volt);
int max77660_SetVoltOnOff(const char* pName, DWORD onoff);
int max77660_ListVolt();

extern const RegulatorDriver kMax77660Driver;
