// Maxim DS4422N+ (two outputs) and DS4424N+ (four outputs) current DACs, each output
// trimming one supply rail around its nominal voltage. Register: bit 7 the sign, bits 6:0
// the magnitude. What a code does to the rail is the board's: Belk-class boards take the
// rail's limits from a per-board table (or from the command line), Corv boards a fixed
// nominal value and a per-board step.
#pragma once

#include <cstddef>

#include "common.h"

struct DS442XN_REG {
    DWORD addr;  // DAC register of the output
    const char* name;
};

extern const DS442XN_REG maxDS442Xn_reg_tab[];

// The board the rail limits and steps are taken for: 0 none, 1-18 the board codes BRD01-BRD18.
extern DWORD g_Platform;
// Sets g_Platform from a board code (any case): 0, or 1 with g_Platform 0 when unknown.
int IdentifyPlatform(const char* board);
// The board codes and the output names, for completion; null past the last.
const char* ds442x_BoardCode(size_t index);
const char* ds442x_OutputName(size_t index);

int ds442Xn_Init(DWORD i2cNode, DWORD deviceAddress, DWORD addrBitWidth, DWORD dataBitWidth, DWORD clockSpeedKHZ);
int ds442Xn_LookupVoltageIndex(const char* pName, DWORD* pIndex);

// The rail that DAC register addr trims on board g_Platform: its limits and sign sense, and
// its description as the result; null, outputs untouched, when the board has none there.
const char* ds442Xn_GetOutputParams(DWORD addr, DWORD* pVmin, DWORD* pVnom, DWORD* pVmax, DWORD* pSignInvert);

// Limits from the board table. The reads print the output line and store nothing.
int ds442Xn_GetVolt(const char* pName, DWORD* pVolt);
int ds442Xn_SetVolt(const char* pName, DWORD Volt);
int ds442Xn_ListVolt(int outputs);

// Limits given by the caller; any output is accepted.
int ds442Xn_GetVolt2(const char* pName, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert, DWORD* pVolt);
int ds442Xn_SetVolt2(const char* pName, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert, DWORD Volt);

// Corv boards: fixed nominal value and a step per board.
int ds442Xn_GetVolt_Corv(const char* pName, DWORD* pVolt);
int ds442Xn_SetVolt_Corv(const char* pName, DWORD Volt);
int ds442Xn_ListVolt_Corv(int outputs);

// Encodings with rail limits. The offset from nominal is (vmax - vmin) * magnitude / 256,
// and a code reads half a millivolt towards its sign. MillivoltsToDac needs vmin < vmax and
// vmin <= volt <= vmax; the magnitude is clamped to 127.
DWORD ds442Xn_DacToMillivolts(DWORD dac, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert);
DWORD ds442Xn_MillivoltsToDac(DWORD volt, DWORD vmin, DWORD vnom, DWORD vmax, DWORD signInvert);

// Step model: codes per unit on board `platform`, 0 when the board has no step.
double ds442Xn_CorvStep(DWORD platform);
// How far from nominal a value may lie with the magnitude within 127 codes.
DWORD ds442Xn_CorvReach(double step);
DWORD ds442Xn_CorvDacToVolt(DWORD dac, double step);
// Needs volt within nominal +/- ds442Xn_CorvReach(step).
DWORD ds442Xn_CorvVoltToDac(DWORD volt, double step);
