#include "pmic/tps6236x.h"

#include <cstdio>

#include "bus/i2c_device.h"

namespace {

const DWORD kBaseMillivolts = 500;
const DWORD kStepMillivolts = 10;
const DWORD kHighestCode = 127;

void PrintRail(const char* name, DWORD value)
{
    printf("%-12s %dmV\n", name, static_cast<int>(tps6236x_CodeToMillivolts(value)));
}

}  // namespace

DWORD tps6236x_CodeToMillivolts(DWORD value)
{
    return value * kStepMillivolts + kBaseMillivolts;
}

DWORD tps6236x_MillivoltsToCode(DWORD millivolts)
{
    if (millivolts < kBaseMillivolts)
        return 0;
    DWORD code = (millivolts - kBaseMillivolts) / kStepMillivolts;
    return code > kHighestCode ? kHighestCode : code;
}

int tps6236x_OpenRail(const Tps6236xChip& chip, const char* pName, int openFailed, DWORD* pIndex)
{
    if (PmuOpen() != 0)
        return openFailed;
    if (chip.lookup(pName, pIndex) != 0) {
        I2cClose();
        return kTps6236xNotFound;
    }
    return 0;
}

int tps6236x_ReadRegister(const Tps6236xChip& chip, const char* name, DWORD reg)
{
    DWORD value = 0;
    if (PmuRead(reg, &value) != 0)
        return chip.readFailed;
    I2cClose();
    PrintRail(name, value);
    return 0;
}

int tps6236x_WriteRegister(const Tps6236xChip& chip, const char* name, DWORD reg, DWORD code)
{
    if (PmuWrite(reg, code) != 0)
        return chip.writeFailed;
    if (chip.settleMicroseconds != 0)
        usleep(chip.settleMicroseconds);
    DWORD value = 0;
    if (PmuRead(reg, &value) != 0)
        return chip.readBackFailed;
    I2cClose();
    PrintRail(name, value);
    return value == code ? 0 : kTps6236xReadBackDiffers;
}
