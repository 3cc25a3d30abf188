// TI LP8755: six step-down converters, each with one control register holding
// the enable bit (7) and a 10 mV voltage code from 500 mV (bits 6-0).
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// Millivolts of a voltage code; every 7-bit code reads back.
DWORD lp8755_CodeToMillivolts(DWORD code);
// The code of a request, rounded down to the 10 mV step; false outside the settable range.
bool lp8755_MillivoltsToCode(DWORD millivolts, DWORD* pCode);

extern const RegulatorDriver kLp8755Driver;
