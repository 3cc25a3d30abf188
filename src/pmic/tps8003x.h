// TI TPS80031 and TPS80032 PMICs: twins with five converters (SMPS1-4, VIO) and ten LDOs
// on one register map spread over two device addresses of one bus, 0x12 and 0x48. They
// are written alike; the TPS80032's 12.5 mV converters read back about 1.3 % higher.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

enum class Tps8003xKind { kSmps12mV5, kSmps38mV6, kLdo100mV };

// Millivolts -> selector for both chips, clamped to what the kind is written with.
DWORD tps8003x_Selector(Tps8003xKind kind, DWORD millivolts);
// Selector -> millivolts as each chip's rail line shows them.
double tps80031_ShownMillivolts(Tps8003xKind kind, DWORD selector);
double tps80032_ShownMillivolts(Tps8003xKind kind, DWORD selector);

extern const RegulatorDriver kTps80031Driver;
extern const RegulatorDriver kTps80032Driver;
