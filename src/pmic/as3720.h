// AMS AS3720 PMIC: seven step-down converters (SD0-SD6) and twelve LDOs (LDO0-LDO11),
// each with a 7-bit voltage selector and one enable bit. Voltages are in microvolts.
#pragma once

#include "pmic/regulator.h"

#include "common.h"

// The voltage encodings of the selector register.
enum class As3720Encoding {
    kSdLowPower,  // SD0, SD1, SD6
    kSdNominal,   // SD2-SD5
    kLdo0,
    kLdo3,
    kLdo,  // the other LDOs
};

// Microvolts of a 7-bit selector code (code 0 reads as code 1); false beyond what reads back.
bool as3720_CodeToMicrovolts(As3720Encoding encoding, DWORD code, DWORD* pMicrovolts);
// The code of the lowest step at or above the request (a request at or below the lowest
// step takes it); false above the encoding's top.
bool as3720_MicrovoltsToCode(As3720Encoding encoding, DWORD microvolts, DWORD* pCode);

extern const RegulatorDriver kAs3720Driver;
