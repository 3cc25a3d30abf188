// Maxim MAX77663/MAX77664 PMIC: step-down converters SD0-SD4 (SD0 and SD1 each with a
// second, dynamic-voltage register) and linear regulators LDO0-LDO8. A rail is switched
// either by one of the flexible power sequencers (FPS0-FPS2) or by its own power mode.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

extern const RegulatorDriver kMax77663Driver;

// Voltage code <-> millivolts of the named rail (a name the chip lacks lists the valid
// ones and gives 0). The code is the millivolts above the rail's minimum in steps,
// truncated toward zero and saturated to 32 bits; a set keeps only the field's bits.
double max77663_CodeToMillivolts(const char* rail, DWORD code);
DWORD max77663_MillivoltsToCode(const char* rail, double millivolts);
