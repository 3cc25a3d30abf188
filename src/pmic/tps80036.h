// TI TPS80036 PMIC: six step-down converters and sixteen LDOs, each with a control
// register (mode or state) and a voltage register.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

enum Tps80036Type { TPS80036_SMPS = 0, TPS80036_LDO = 1 };

struct TPS80036 {
    const char* name;
    DWORD id;                // picks the LDO decoding quirks
    DWORD type;              // Tps80036Type
    DWORD ctrlRegAddr;       // mode (SMPS) or state (LDO)
    DWORD voltRegAddr;
    DWORD smpsForceRegAddr;  // 0 where the converter has none; not accessed
    DWORD minMV;             // before the SMPS range doubling
    DWORD maxMV;
    DWORD stepMV;
};

extern const TPS80036 tps80036_tab[];

int tps80036_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int tps80036_LookupVoltageIndex(const char* pName, DWORD* pIndex);
int tps80036_GetVolt(const char* pName, DWORD* pVolt);
int tps80036_SetVolt(const char* pName, DWORD volt);
int tps80036_SetVoltOnOff(const char* pName, DWORD onOff);
void tps80036_ListVolt();

// Encodings. A converter voltage register holds the range flag (bit 7, doubles the
// voltage) and the selector (bits 6-0); an LDO voltage register is the selector.
// The LDO halving flag is bit 3 of register 0x6A.
const char* tps80036_SmpsModeWord(DWORD ctrlReg);
double tps80036_SmpsMillivolts(DWORD voltReg);
DWORD tps80036_SmpsSelector(DWORD volt, DWORD multiplier);
double tps80036_LdoMillivolts(DWORD id, DWORD voltReg, DWORD ctrlReg, DWORD halvingReg);
DWORD tps80036_LdoSelector(DWORD volt, DWORD divisor);

extern const RegulatorDriver kTps80036Driver;
