// TI TPS62366 step-down converter: two output-voltage registers SET0 and SET1, selected by
// the VSEL0 pin level, and its control registers.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

struct TPS62366_REG {
    DWORD offset;  // register address
    DWORD vsel;    // pin level that selects the register
    const char* name;
    const char* desc;  // bit fields
};

extern const TPS62366_REG tps62366_reg_tab[];

int tps62636_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps62636_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps62366_GetVolt(const char* pName, DWORD* pVolt);
int tps62366_SetVolt(const char* pName, DWORD Volt);
int tps62366_ListVolt();

extern const RegulatorDriver kTps62366Driver;
