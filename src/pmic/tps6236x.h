// TI TPS62361, TPS62365 and TPS62366 step-down converters: output-voltage registers SETn,
// of which the VSEL pins pick the active one, and control registers. Every register is
// read and written whole as a 10 mV code from 500 mV.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// Millivolts of a register value: the whole byte, bit 7 included.
DWORD tps6236x_CodeToMillivolts(DWORD value);
// The code for a request, clamped to 500..1770 mV and rounded down to the step.
DWORD tps6236x_MillivoltsToCode(DWORD millivolts);

extern const RegulatorDriver kTps62361Driver;
extern const RegulatorDriver kTps62365Driver;
extern const RegulatorDriver kTps62366Driver;
