// TI TPS62365 step-down converter: four output-voltage registers SET0-SET3, selected by the
// VSEL1/VSEL0 pin levels, and its control registers.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct TPS62365_REG {
    DWORD offset;  // register address
    DWORD vsel1;   // pin levels that select the register
    DWORD vsel0;
    const char* name;
    const char* desc;  // bit fields
};

extern const TPS62365_REG tps62365_reg_tab[];

int tps62635_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps62635_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps62365_GetVolt(const char* pName, DWORD* pVolt);
int tps62365_SetVolt(const char* pName, DWORD Volt);
int tps62365_ListVolt();

extern const RegulatorDriver kTps62365Driver;
