// TI TPS51632 step-down controller: one rail, CPU, set through the 7-bit code of the
// voltage-setting register VSR in 10 mV steps from 500 mV to 1520 mV.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// Millivolts of a VSR code; false for codes 0 to 24, which stand for no voltage.
bool tps51632_CodeToMillivolts(DWORD code, DWORD* pMillivolts);
// The VSR code of a request, rounded down to the step; false outside 500..1520 mV.
bool tps51632_MillivoltsToCode(DWORD millivolts, DWORD* pCode);

extern const RegulatorDriver kTps51632Driver;
