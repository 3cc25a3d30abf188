// TI TPS62361 step-down converter: four output-voltage registers SET0-SET3, of which the
// VSEL pins pick the active one, and its control registers.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct TPS62361_REG {
    DWORD ndx;  // register address
    DWORD vsel;  // 1 for the voltage registers
    const char* name;
    const char* desc;  // bit fields
};

extern const TPS62361_REG tps62361_reg_tab[];

int tps62631_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps62631_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps62361_GetVolt(const char* pName, DWORD* pVolt);
int tps62361_SetVolt(const char* pName, DWORD Volt);
int tps62361_ListVolt();

extern const RegulatorDriver kTps62361Driver;
