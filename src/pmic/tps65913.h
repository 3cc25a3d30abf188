// TI TPS65913 PMIC: nine SMPS entries (SMPS12/SMPS123 and SMPS45/SMPS457 are two names
// for one register pair each) and eleven LDOs, 8-bit registers at one device address.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct TPS65913 {
    const char* name;
    DWORD id;         // 1-9 SMPS; 0x101-0x109, 0x110, 0x111 LDO
    DWORD offs_volt;  // voltage register
    DWORD offs_ctrl;  // control register
    double def_volt;  // nominal millivolts
    DWORD def_onoff;
    const char* desc;
};

// The rails in listing order, ended by a record with a null name.
extern const TPS65913 tps65913_VoltTab[];

int tps65913_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps65913_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps65913_GetVolt(const char* pName, DWORD* pVolt);
int tps65913_SetVolt(const char* pName, DWORD Volt);
int tps65913_GetVoltOnOff(const char* pName, DWORD* pData);
int tps65913_SetVoltOnOff(const char* pName, DWORD Onoff);
int tps65913_ListVolt();

// SMPS voltage register (bit 7 doubles, bits 6-0 select) <-> millivolts.
DWORD tps65913_SmpsMillivolts(DWORD registerValue);
DWORD tps65913_SmpsRegister(DWORD millivolts);
// LDO selector (bits 5-0) <-> millivolts.
DWORD tps65913_LdoMillivolts(DWORD selector);
DWORD tps65913_LdoSelector(DWORD millivolts);

extern const RegulatorDriver kTps65913Driver;
