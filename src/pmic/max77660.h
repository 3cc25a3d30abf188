// Maxim MAX77660 PMIC: seven step-down converters (BUCK1-7) and eighteen LDOs, each with
// a voltage-code field and a two-bit power-mode field.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

extern const RegulatorDriver kMax77660Driver;

// Voltage code <-> millivolts of the named rail (a name the chip lacks lists the valid
// ones). A read shows any code, fractions of a millivolt dropped; a set checks the
// request in whole microvolts (truncated, both range ends allowed) and rounds it down to
// the step: false when the rail cannot be set there.
DWORD max77660_CodeToMillivolts(const char* rail, DWORD code);
bool max77660_MillivoltsToCode(const char* rail, double millivolts, DWORD* pCode);
