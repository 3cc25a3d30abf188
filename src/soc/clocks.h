// Clock frequencies of the clock-and-reset controller: the reference oscillator, the PLLs
// with their output dividers, and the EMC clock. Frequencies are in hertz.
#pragma once

#include "common.h"

// Divider fields of a PLL register: input divider M, feedback divider N, post divider P
// (a power of two). Frequency = N / M * fin / 2^P.
struct PllLayout {
    int mShift, mBits;
    int nShift, nBits;
    int pShift, pBits;
};

extern const PllLayout kPllBaseLayout;  // every PLL base register but PLLE's
extern const PllLayout kPllsLayout;     // PLLS, decoded from the PLLE register
extern const PllLayout kPlleLayout;

double PllFrequency(DWORD reg, const PllLayout& layout, double fin);
// The divider of one half of an output-divider register (7.1 fixed point, plus one).
double PllOutputDivider(DWORD reg, int lower);

// The oscillator and the EMC clock are decoded on Belk and its derivatives only.
bool ClockChipServed(DWORD chip);

// The EMC clock source register: source number (1 PLLM, 2 PLLC, 3 PLLP, 4 oscillator;
// other selections leave *src as it was) and divisor.
int GetEmcClockSource(int* src, double* divisor);

int GetOscFreq(double* fout, int verbose);
int GetEmcClockFreq(double* fout, int verbose);
int GetPllFreqBelk(const char* name, DWORD addr, double fin, double* fout);
int GetPllOutNFreqBelk(const char* name, DWORD addr, double fin, int lower, double* fout);
int ListPllClockBelk(const char* pll);
int ListPllClocks(DWORD chip);
