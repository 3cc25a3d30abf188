// TI TPS65911 PMIC: the VIO converter with four fixed levels, the 12.5 mV converters
// VDD1, VDD2 and VDDCTRL (VDDCTRLSR is VDDCTRL's SR register on its own), and LDO1-LDO8.
#pragma once

#include "bus/i2c_device.h"
#include "pmic/regulator.h"

#include "common.h"

extern const RegulatorDriver kTps65911Driver;

// The step of the named rail; false after listing the valid names when it is unknown.
bool tps65911_RailStepMillivolts(const char* pName, double* pStep);

// Selector <-> millivolts of the named rail (a name the chip lacks lists the valid ones and
// gives 0). A set clamps to the rail's range and rounds down to a step; a read decodes any
// selector of the field. The converters take requests from 2000 up as tenths of a millivolt.
DWORD tps65911_SelectorToMillivolts(const char* rail, DWORD selector);
DWORD tps65911_RequestToSelector(const char* rail, DWORD request);

// Drives the bypass pin of LDO7 or LDO8 high through the I/O expander beside the PMIC, then
// switches the LDO off and prints its rail line. 0, also when the pin write fails (the LDO
// then stays on); 1 for another rail or after printing why the expander failed.
int tps65911_BypassLdo(const I2cDevice& device, const char* rail);
