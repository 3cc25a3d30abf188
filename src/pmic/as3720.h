// AMS AS3720 PMIC: seven step-down converters (SD0-SD6) and twelve LDOs (LDO0-LDO11),
// each with a 7-bit voltage selector and one enable bit. Voltages are in microvolts.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct AS3720 {
    const char* name;
    DWORD id;  // 0-11 LDO0-LDO11, 12-18 SD0-SD6: picks the voltage encoding
    BYTE vSelReg;
    DWORD enableReg;
    BYTE enableBit;
};

extern const AS3720 as3720_tab[];

int as3720_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int as3720_LookupVoltageIndex(const char* pName, DWORD* pIndex);
const char* as3720_GetVoltOnOff(const char* pName);
int as3720_GetVolt(const char* pName, DWORD* pVolt);
int as3720_SetVolt(const char* pName, DWORD volt);
int as3720_SetVoltOnOff(const char* pName, DWORD onoff);
int as3720_ListVolt();

// Selector to microvolts; the selector is the step number minus one. 1 after the
// "Selector 0x%x overflow" line when the selector lies beyond the rail's range.
int as3720_Ldo0ListVoltage(DWORD selector, DWORD* pVol);
int as3720_Ldo3ListVoltage(DWORD selector, DWORD* pVol);
int as3720_LdoListVoltage(DWORD selector, DWORD* pVol);
int as3720_SdListVolt(DWORD id, DWORD selector, DWORD* pVol);

// Microvolts to selector code: the lowest step at or above the request. Requests at or
// below the base voltage give the lowest step, code 1.
DWORD as3720_Ldo0Code(DWORD volt);
DWORD as3720_Ldo3Code(DWORD volt);
DWORD as3720_LdoCode(DWORD volt);
DWORD as3720_SdLowPowerCode(DWORD volt);
DWORD as3720_SdNomCode(DWORD volt);

// Write the code for volt into the selector register; the bus must be open. 1 after the
// "Voltage %d overflow" line when volt is above the rail's range.
int as3720_SdLowPowerSetVoltage(DWORD reg, DWORD volt);
int as3720_SdNomSetVoltage(DWORD reg, DWORD volt);
int as3720_LdoSetVoltage(DWORD reg, DWORD volt);

extern const RegulatorDriver kAs3720Driver;
