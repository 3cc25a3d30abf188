// TI TPS65913 PMIC on the Palmas register map: seven converters, two of them under two
// names each (SMPS12/SMPS123, SMPS45/SMPS457), and eleven LDOs.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// Converter voltage register (bit 7 doubles, bits 6-0 select) <-> millivolts.
DWORD tps65913_SmpsMillivolts(DWORD voltageRegister);
DWORD tps65913_SmpsVoltageRegister(DWORD millivolts);
// LDO selector (bits 5-0) <-> millivolts.
DWORD tps65913_LdoMillivolts(DWORD selector);
DWORD tps65913_LdoSelector(DWORD millivolts);

extern const RegulatorDriver kTps65913Driver;
