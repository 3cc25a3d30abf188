// TI LP8755: six step-down converters, each with one control register holding
// the enable bit (7) and a 10 mV voltage code from 500 mV (bits 6-0).
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct LP8755 {
    const char* name;
    DWORD id;
    DWORD voltReg;
};

extern const LP8755 lp8755_VoltTab[];

// The range that can be set; codes above it still read back (up to 1770 mV).
const DWORD kLp8755MinMillivolts = 500;
const DWORD kLp8755MaxMillivolts = 1670;

// Voltage code of bits 6-0 <-> millivolts; the code rounds down to the 10 mV step.
DWORD lp8755_CodeToMillivolts(DWORD code);
DWORD lp8755_MillivoltsToCode(DWORD volt);

int lp8755_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int lp8755_LookupVoltageIndex(const char* pName, DWORD* pIndex);
const char* lp8755_GetVoltOnOff(const char* pName);
int lp8755_GetVolt(const char* pName, DWORD* pVolt);
int lp8755_SetVolt(const char* pName, DWORD Volt);
int lp8755_SetVoltOnOff(const char* pName, DWORD onoff);
int lp8755_ListVolt();

extern const RegulatorDriver kLp8755Driver;
