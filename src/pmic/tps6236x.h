// What the TI TPS62361, TPS62365 and TPS62366 step-down converters share: 8-bit
// registers whose whole value is a 10 mV code from 500 mV, read and written by name.
// Each driver brings its register table and the few things that set it apart.
#pragma once

#include <unistd.h>

#include "common.h"
#include "bus/i2c.h"

// What sets one chip's driver apart from the others.
struct Tps6236xChip {
    int (*lookup)(const char* pName, DWORD* pIndex);
    int readOpenFailed;    // read statuses
    int readFailed;
    int setOpenFailed;     // set statuses
    int writeFailed;
    int readBackFailed;
    useconds_t settleMicroseconds;  // pause between the write and the read-back, 0 for none
    DWORD voltageRegisters;         // the SETn rows that head the table, the ones a list shows
};

const int kTps6236xNotFound = 2;
const int kTps6236xReadBackDiffers = 4;

// Millivolts of a register value: the whole byte, bit 7 included.
DWORD tps6236x_CodeToMillivolts(DWORD value);
// The code for a request, clamped to 500..1770 mV and rounded down to the step.
DWORD tps6236x_MillivoltsToCode(DWORD millivolts);

// The transfers after the lookup, on the open bus. The bus is closed on success; a failed
// transfer leaves it open, and the next operation on the same bus goes on using it.
int tps6236x_ReadRegister(const Tps6236xChip& chip, const char* name, DWORD reg);
int tps6236x_WriteRegister(const Tps6236xChip& chip, const char* name, DWORD reg, DWORD code);

// Opens the bus and finds the rail: 0 with its index, else the status to give (the bus
// closed again when the name is unknown).
int tps6236x_OpenRail(const Tps6236xChip& chip, const char* pName, int openFailed, DWORD* pIndex);

// The driver operations over a register table; `reg` is the record's register-address field.
template <typename Reg>
int tps6236x_GetVolt(const Tps6236xChip& chip, const Reg* table, DWORD Reg::*reg, const char* pName)
{
    DWORD index = 0;
    int status = tps6236x_OpenRail(chip, pName, chip.readOpenFailed, &index);
    if (status != 0)
        return status;
    return tps6236x_ReadRegister(chip, table[index].name, table[index].*reg);
}

template <typename Reg>
int tps6236x_SetVolt(const Tps6236xChip& chip, const Reg* table, DWORD Reg::*reg, const char* pName, DWORD Volt)
{
    DWORD code = tps6236x_MillivoltsToCode(Volt);
    DWORD index = 0;
    int status = tps6236x_OpenRail(chip, pName, chip.setOpenFailed, &index);
    if (status != 0)
        return status;
    return tps6236x_WriteRegister(chip, table[index].name, table[index].*reg, code);
}

template <typename Reg>
int tps6236x_ListVolt(const Tps6236xChip& chip, const Reg* table, DWORD Reg::*reg)
{
    for (DWORD i = 0; i < chip.voltageRegisters; ++i)
        tps6236x_GetVolt(chip, table, reg, table[i].name);
    return 0;
}
