#include "soc/clocks.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "bus/mem.h"
#include "soc/chip.h"

const PllLayout kPllBaseLayout = {0, 5, 8, 10, 20, 3};
const PllLayout kPllsLayout = {0, 4, 8, 10, 20, 3};
const PllLayout kPlleLayout = {0, 8, 8, 8, 16, 6};

namespace {

const DWORD kEmcClockSource = 0x6000619C;

struct EmcClockSelect {
    DWORD code;  // EMC_2X_CLK_SRC, bits 31:28
    int src;
};

const EmcClockSelect kEmcClockSelects[] = {
    {0x0, 1},  // PLLM_OUT0
    {0x4, 2},  // PLLC_OUT0
    {0x8, 3},  // PLLP_OUT0
    {0xC, 4},  // CLK_M
};


const DWORD kOscControl = 0x60006050;
const DWORD kPllcBase = 0x60006080;
const DWORD kPllcOut = 0x60006084;
const DWORD kPllmBase = 0x60006090;
const DWORD kPllmOut = 0x60006094;
const DWORD kPllpBase = 0x600060A0;
const DWORD kPllpOutA = 0x600060A4;
const DWORD kPllpOutB = 0x600060A8;
const DWORD kPllaBase = 0x600060B0;
const DWORD kPlluBase = 0x600060C0;
const DWORD kPlldBase = 0x600060D0;
const DWORD kPllxBase = 0x600060E0;
const DWORD kPlleBase = 0x600060E8;

// The PLLs are taken to run from a 12 MHz reference; PLLP from its 216 MHz
// output and PLLS from the 32 kHz clock.
const double kPllReference = 12000000.0;
const double kPllpReference = 216000000.0;
const double kPllsReference = 32768.0;

struct OscFrequency {
    DWORD code;  // OSC_FREQ, bits 31:28 of the oscillator control register
    double hz;
};

const OscFrequency kOscFrequencies[] = {
    {0, 13000000.0},
    {1, 16800000.0},
    {4, 19200000.0},
    {5, 38400000.0},
    {8, 12000000.0},
    {9, 48000000.0},
    {12, 26000000.0},
};

// The EMC clock sources as GetEmcClockSource numbers them.
struct EmcSource {
    int src;
    const char* name;
    DWORD pllBase;  // 0: the oscillator
    double fin;
};

const EmcSource kEmcSources[] = {
    {1, "PLLM_OUT0", kPllmBase, kPllReference},
    {2, "PLLC_OUT0", kPllcBase, kPllReference},
    {3, "PLLP_OUT0", kPllpBase, kPllpReference},
    {4, "CLK_M", 0, 0.0},
};

DWORD Field(DWORD reg, int shift, int bits)
{
    return (reg >> shift) & ((1u << bits) - 1);
}

int WholeHertz(double hz)
{
    return static_cast<int>(DoubleToDword(hz));
}

// A 0/0 divider yields NaN, whose sign bit differs between ARM and x86; print it as one NaN.
double Megahertz(double hz)
{
    return std::isnan(hz) ? std::numeric_limits<double>::quiet_NaN() : hz / 1000000.0;
}

void PrintPllLine(const char* name, double hz)
{
    printf("%-12s %10d [%6.1f MHz]\n", name, WholeHertz(hz), Megahertz(hz));
}

// The PLLE register read with the given layout and reference; nothing printed when unreadable.
void PrintPlleRegister(const char* name, const PllLayout& layout, double fin)
{
    DWORD reg = 0;
    if (ReadMemory(PhysicalAddress(kPlleBase), 32, 0xFFFFFFFF, 0, &reg) != 0)
        return;
    PrintPllLine(name, PllFrequency(reg, layout, fin));
}

}  // namespace

double PllFrequency(DWORD reg, const PllLayout& layout, double fin)
{
    double mdiv = Field(reg, layout.mShift, layout.mBits);
    double ndiv = Field(reg, layout.nShift, layout.nBits);
    int pdiv = static_cast<int>(Field(reg, layout.pShift, layout.pBits));
    return (ndiv / mdiv) * fin * (1.0 / std::ldexp(1.0, pdiv));
}

// Each output owns one byte of the register: integer part in its top seven bits, the
// half step in its lowest (bit 8 for the lower output, bit 24 for the upper one).
double PllOutputDivider(DWORD reg, int lower)
{
    DWORD ratio = lower ? Field(reg, 8, 8) : Field(reg, 24, 8);
    return (ratio >> 1) + ((ratio & 1) ? 0.5 : 0.0) + 1.0;
}

bool ClockChipServed(DWORD chip)
{
    return chip == kChipBelk || chip == kChipUnnamed33 || chip == kChipCorv || chip == kChipUnnamed37;
}

int GetOscFreq(double* fout, int verbose)
{
    DWORD code = 0;
    if (ClockChipServed(RunningChip().id) && ReadMemory(PhysicalAddress(kOscControl), 32, 0xF0000000, 0, &code) == 0) {
        for (const OscFrequency& osc : kOscFrequencies) {
            if (osc.code == code >> 28) {
                *fout = osc.hz;
                if (verbose)
                    printf("%-10d [%6.1f MHz]\n", WholeHertz(osc.hz), Megahertz(osc.hz));
                return 0;
            }
        }
    }
    *fout = 0.0;
    if (verbose)
        printf("Error: Failed to obtain OSC frequency on this platform!\n");
    return 1;
}

int GetEmcClockSource(int* src, double* divisor)
{
    DWORD reg = 0;
    if (!ClockChipServed(RunningChip().id) || ReadMemory(PhysicalAddress(kEmcClockSource), 32, 0xFFFFFFFF, 0, &reg) != 0) {
        *src = 0;
        *divisor = 1.0;
        return 2;
    }
    for (const EmcClockSelect& select : kEmcClockSelects)
        if (select.code == reg >> 28)
            *src = select.src;
    // EMC_2X_CLK_DIVISOR is 7.1 fixed point, divide by (field / 2 + 1).
    DWORD field = reg & 0xFF;
    *divisor = (field >> 1) + 1.0 + ((field & 1) ? 0.5 : 0.0);
    return *divisor > 0.0 ? 0 : 1;
}

int GetEmcClockFreq(double* fout, int verbose)
{
    int src = 0;
    double divisor = 1.0;
    double freq = 0.0;
    if (GetEmcClockSource(&src, &divisor) != 0) {
        *fout = 0.0;
        return 1;
    }
    const EmcSource* source = nullptr;
    for (const EmcSource& s : kEmcSources)
        if (s.src == src)
            source = &s;
    if (source == nullptr) {
        if (verbose)
            printf("Error: Failed to obtain EMC frequency on this platform!\n");
        return 1;
    }
    if (source->pllBase != 0)
        GetPllFreqBelk(source->name, source->pllBase, source->fin, &freq);
    else
        GetOscFreq(&freq, verbose);
    freq = freq / divisor;
    if (verbose)
        printf("%-10d [%6.1f MHz] %s\n", WholeHertz(freq), Megahertz(freq), source->name);
    *fout = freq;
    return freq > 0.0 ? 0 : 1;
}

int GetPllFreqBelk(const char*, DWORD addr, double fin, double* fout)
{
    DWORD reg = 0;
    if (ReadMemory(PhysicalAddress(addr), 32, 0xFFFFFFFF, 0, &reg) != 0) {
        *fout = 0.0;
        return 1;
    }
    *fout = PllFrequency(reg, kPllBaseLayout, fin);
    return 0;
}

int GetPllOutNFreqBelk(const char* name, DWORD addr, double fin, int lower, double* fout)
{
    DWORD reg = 0;
    if (ReadMemory(PhysicalAddress(addr), 32, 0xFFFFFFFF, 0, &reg) != 0) {
        *fout = 0.0;
        return 1;
    }
    *fout = fin / PllOutputDivider(reg, lower);
    PrintPllLine(name, *fout);
    return 0;
}

int ListPllClockBelk(const char* pll)
{
    double base = 0.0;
    double out = 0.0;
    if (stricmp(pll, "PLLC") == 0) {
        GetPllFreqBelk("PLLC_OUT0", kPllcBase, kPllReference, &base);
        GetPllOutNFreqBelk("PLLC_OUT1", kPllcOut, base, 1, &out);
    } else if (stricmp(pll, "PLLM") == 0) {
        GetPllFreqBelk("PLLM_OUT0", kPllmBase, kPllReference, &base);
        GetPllOutNFreqBelk("PLLM_OUT1", kPllmOut, base, 1, &out);
    } else if (stricmp(pll, "PLLP") == 0) {
        GetPllFreqBelk("PLLP_OUT0", kPllpBase, kPllpReference, &base);
        GetPllOutNFreqBelk("PLLP_OUT1", kPllpOutA, base, 1, &out);
        GetPllOutNFreqBelk("PLLP_OUT2", kPllpOutA, base, 0, &out);
        GetPllOutNFreqBelk("PLLP_OUT3", kPllpOutB, base, 1, &out);
        GetPllOutNFreqBelk("PLLP_OUT4", kPllpOutB, base, 0, &out);
    } else if (stricmp(pll, "PLLX") == 0) {
        GetPllFreqBelk("PLLX_OUT0", kPllxBase, kPllReference, &base);
    } else if (stricmp(pll, "PLLA") == 0) {
        // PLLA runs from PLLP_OUT1.
        GetPllFreqBelk("PLLP_OUT0", kPllpBase, kPllpReference, &base);
        GetPllOutNFreqBelk("PLLP_OUT1", kPllpOutA, base, 1, &out);
        GetPllFreqBelk("PLLA_OUT0", kPllaBase, out, &base);
    } else if (stricmp(pll, "PLLD") == 0) {
        GetPllFreqBelk("PLLD_OUT0", kPlldBase, kPllReference, &base);
    } else if (stricmp(pll, "PLLU") == 0) {
        GetPllFreqBelk("PLLU", kPlluBase, kPllReference, &base);
    } else if (stricmp(pll, "PLLE") == 0) {
        PrintPlleRegister("PLLE", kPlleLayout, kPllReference);
    } else if (stricmp(pll, "PLLS") == 0) {
        PrintPlleRegister("PLLS", kPllsLayout, kPllsReference);
    } else {
        return 1;
    }
    return 0;
}

int ListPllClocks(DWORD chip)
{
    static const char* const kBelkPlls[] = {"PLLC", "PLLM", "PLLP", "PLLX", "PLLA", "PLLD", "PLLU", "PLLE", "PLLS"};
    if (chip == 0x20) {
        printf("Avin not supported at this time.\n");
        return 1;
    }
    if (chip != 0x30) {
        printf("This operation is not current supported on this platform.\n");
        return 1;
    }
    for (const char* pll : kBelkPlls)
        ListPllClockBelk(pll);
    return 0;
}
