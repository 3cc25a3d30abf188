// Maxim DS4422N+ (two outputs) and DS4424N+ (four outputs) current DACs, each output
// trimming one supply rail around its nominal voltage. Register: bit 7 the sign, bits 6:0
// the magnitude. What a code does to the rail is the board's: Belk-class boards take the
// rail's limits from a per-board table (or from the command line), Corv boards a fixed
// nominal value and a per-board step.
//
// Every operation opens the bus for each register access and closes it after; it prints
// its own lines and returns 0 or a failure status.
#pragma once

#include <cstddef>

#include "bus/i2c_device.h"
#include "common.h"

// One of the boards BRD01..BRD18: the rails its outputs trim, or its step.
struct Ds442xBoard;

// The board of a code (any case); null when there is none.
const Ds442xBoard* ds442x_FindBoard(const char* code);
// The board codes and the output names, for completion; null past the last.
const char* ds442x_BoardCode(size_t index);
const char* ds442x_OutputName(size_t index);
// The register of an output ds442x_OutputName names.
BYTE ds442x_OutputRegister(size_t index);

// The rail an output trims. The offset from nominal is (maximum - minimum) * magnitude / 256;
// signInverted: a set sign bit raises the rail.
struct Ds442xLimits {
    DWORD minimumMillivolts;
    DWORD nominalMillivolts;
    DWORD maximumMillivolts;
    bool signInverted;
};

// Limits from the board's table: outputs the board does not trim fail to access.
int ds442x_ListOutputs(const I2cDevice& dac, const Ds442xBoard& board, int outputs);
int ds442x_ReadOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name);
int ds442x_SetOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name, DWORD millivolts);

// Limits given by the caller; any output is accepted.
int ds442x_ReadOutputWithin(const I2cDevice& dac, const char* name, const Ds442xLimits& limits);
int ds442x_SetOutputWithin(const I2cDevice& dac, const char* name, const Ds442xLimits& limits, DWORD millivolts);

// The step model of Corv boards: boards without a step read the register, then refuse.
int ds442x_ListStepOutputs(const I2cDevice& dac, const Ds442xBoard& board, int outputs);
int ds442x_ReadStepOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name);
int ds442x_SetStepOutput(const I2cDevice& dac, const Ds442xBoard& board, const char* name, DWORD millivolts);

// A code reads half a millivolt towards its sign. MillivoltsToDac needs minimum < maximum and
// the value within them; the magnitude is clamped to 127.
DWORD ds442x_DacToMillivolts(DWORD dac, const Ds442xLimits& limits);
DWORD ds442x_MillivoltsToDac(DWORD millivolts, const Ds442xLimits& limits);

// The rail sits at the nominal value with the register at 0 and moves one millivolt per
// codesPerMillivolt codes, up with the sign bit set.
struct Ds442xStep {
    DWORD nominalMillivolts;
    double codesPerMillivolt;
};

// How far from nominal a value may lie with the magnitude within 127 codes.
DWORD ds442x_StepReachMillivolts(const Ds442xStep& step);
DWORD ds442x_StepDacToMillivolts(DWORD dac, const Ds442xStep& step);
// Needs the value within nominal +/- the reach.
DWORD ds442x_StepMillivoltsToDac(DWORD millivolts, const Ds442xStep& step);
