// Clock frequencies of the clock-and-reset controller: the reference oscillator, the PLLs
// with their output dividers, and the EMC clock.
#pragma once

#include <cstddef>
#include <vector>

#include "common.h"
#include "soc/register_record.h"

// Divider fields of a PLL register: input divider M, feedback divider N, post divider P
// (a power of two). Output = N / M * reference / 2^P.
struct PllLayout {
    int mShift, mBits;
    int nShift, nBits;
    int pShift, pBits;
};

extern const PllLayout kPllsLayout;  // PLLS, decoded from the PLLE register
extern const PllLayout kPlleLayout;

double PllHertz(DWORD reg, const PllLayout& layout, double referenceHertz);

// The oscillator and the EMC clock, on Belk and its derivatives only: 0, or 1 with 0 Hz.
// With verbose set each prints its line (or its error).
int GetOscillatorHertz(double* pHertz, int verbose);
int GetEmcClockHertz(double* pHertz, int verbose);
// The frequency of a named clock (any case): OSC, EMC, the base output of a Belk PLL
// (PLLC, PLLM, PLLP, PLLX, PLLA, PLLD, PLLU, PLLE, PLLS) or one of its divided outputs
// (PLLC_OUT1, PLLM_OUT1, PLLP_OUT1 to PLLP_OUT4), printing nothing; false for a name not
// served on the running chip or a register that cannot be read.
bool ClockHertz(const char* name, double* pHertz);
// The index-th name ClockHertz takes, as spelled there (OSC, EMC, the PLLs, then their
// divided outputs); null past the last.
const char* ClockName(size_t index);
// The oscillator, PLL and EMC clock registers on the chips whose clocks are decoded, each
// with the frequencies of the clocks it sets; empty on the other chips.
std::vector<RegisterRecord> RecordClockRegisters();
// The lines of one PLL of Belk (PLLC, PLLM, ...; any case); 1 for another name.
int ListPllClockBelk(const char* pll);
// Every PLL of Belk; other chips get a line saying they are not served, and 1.
int ListPllClocks(DWORD chip);
