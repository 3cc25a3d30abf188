// TI TPS80036 PMIC on the Palmas register map: six converters and sixteen LDOs. A flag
// register halves three of the LDOs; LDO7 reaches 5 V on its top selector.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// Converter voltage register (bit 7 doubles, bits 6-0 select) -> millivolts.
DWORD tps80036_SmpsMillivolts(DWORD voltageRegister);
// Millivolts within the range (doubled with the range flag) -> converter selector.
DWORD tps80036_SmpsSelector(DWORD millivolts, bool doubled);
// The whole LDO voltage register -> millivolts, before the exceptions of single LDOs.
DWORD tps80036_LdoMillivolts(DWORD voltageRegister);
// Millivolts within the range -> LDO selector; with the halving flag set, the selector of
// twice the request, unclamped, of which the write keeps bits 5-0.
DWORD tps80036_LdoSelector(DWORD millivolts, bool halving);

extern const RegulatorDriver kTps80036Driver;
