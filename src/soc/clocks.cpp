#include "soc/clocks.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <limits>

#include "bus/mem.h"
#include "soc/chip.h"

const PllLayout kPllsLayout = {0, 4, 8, 10, 20, 3};
const PllLayout kPlleLayout = {0, 8, 8, 8, 16, 6};

namespace {

const PllLayout kPllBaseLayout = {0, 5, 8, 10, 20, 3};  // every PLL base register but PLLE's

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
const double kPllReferenceHertz = 12000000.0;
const double kPllpReferenceHertz = 216000000.0;
const double kPllsReferenceHertz = 32768.0;

struct OscFrequency {
    DWORD code;  // OSC_FREQ, bits 31:28 of the oscillator control register
    double hertz;
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
    double referenceHertz;
};

const EmcSource kEmcSources[] = {
    {1, "PLLM_OUT0", kPllmBase, kPllReferenceHertz},
    {2, "PLLC_OUT0", kPllcBase, kPllReferenceHertz},
    {3, "PLLP_OUT0", kPllpBase, kPllpReferenceHertz},
    {4, "CLK_M", 0, 0.0},
};

DWORD Field(DWORD reg, int shift, int bits)
{
    return (reg >> shift) & ((1u << bits) - 1);
}

int WholeHertz(double hertz)
{
    return static_cast<int>(DoubleToDword(hertz));
}

// A 0/0 divider yields NaN, whose sign bit differs between ARM and x86; print it as one NaN.
double Megahertz(double hertz)
{
    return std::isnan(hertz) ? std::numeric_limits<double>::quiet_NaN() : hertz / 1000000.0;
}

void PrintPllLine(const char* name, double hertz)
{
    printf("%-12s %10d [%6.1f MHz]\n", name, WholeHertz(hertz), Megahertz(hertz));
}

// The PLLE register read with the given layout and reference; nothing printed when unreadable.
void PrintPlleRegister(const char* name, const PllLayout& layout, double referenceHertz)
{
    DWORD reg = 0;
    if (ReadMemory(PhysicalAddress(kPlleBase), 32, 0xFFFFFFFF, 0, &reg) != 0)
        return;
    PrintPllLine(name, PllHertz(reg, layout, referenceHertz));
}

// Each output owns one byte of the register: integer part in its top seven bits, the
// half step in its lowest (bit 8 for the lower output, bit 24 for the upper one).
double PllOutputDivider(DWORD reg, int lower)
{
    DWORD ratio = lower ? Field(reg, 8, 8) : Field(reg, 24, 8);
    return (ratio >> 1) + ((ratio & 1) ? 0.5 : 0.0) + 1.0;
}

// The oscillator and the EMC clock are decoded on Belk and its derivatives only.
bool ClockChipServed(DWORD chip)
{
    return chip == kChipBelk || chip == kChipUnnamed33 || chip == kChipCorv || chip == kChipUnnamed37;
}

// The oscillator's frequency for OSC_FREQ in bits 31:28 of `oscControl`; false for a code
// without one.
bool OscillatorHertz(DWORD oscControl, double* pHertz)
{
    for (const OscFrequency& osc : kOscFrequencies) {
        if (osc.code == oscControl >> 28) {
            *pHertz = osc.hertz;
            return true;
        }
    }
    return false;
}

// Source number and divisor of an EMC clock source register value; a selection without a
// number leaves *src as it was.
void DecodeEmcClockSource(DWORD reg, int* src, double* divisor)
{
    for (const EmcClockSelect& select : kEmcClockSelects)
        if (select.code == reg >> 28)
            *src = select.src;
    // EMC_2X_CLK_DIVISOR is 7.1 fixed point, divide by (field / 2 + 1).
    DWORD field = reg & 0xFF;
    *divisor = (field >> 1) + 1.0 + ((field & 1) ? 0.5 : 0.0);
}

// The EMC clock source register: source number (1 PLLM, 2 PLLC, 3 PLLP, 4 oscillator;
// other selections leave *src as it was) and divisor.
int GetEmcClockSource(int* src, double* divisor)
{
    DWORD reg = 0;
    if (!ClockChipServed(RunningChip().id) || ReadMemory(PhysicalAddress(kEmcClockSource), 32, 0xFFFFFFFF, 0, &reg) != 0) {
        *src = 0;
        *divisor = 1.0;
        return 2;
    }
    DecodeEmcClockSource(reg, src, divisor);
    return *divisor > 0.0 ? 0 : 1;
}

// The output of the PLL whose base register is at `base`; 0 Hz when unreadable.
int ReadPllHertz(DWORD base, double referenceHertz, double* pHertz)
{
    DWORD reg = 0;
    if (ReadMemory(PhysicalAddress(base), 32, 0xFFFFFFFF, 0, &reg) != 0) {
        *pHertz = 0.0;
        return 1;
    }
    *pHertz = PllHertz(reg, kPllBaseLayout, referenceHertz);
    return 0;
}

// One half of the output-divider register at `outputRegister` after a PLL running at
// pllHertz: its frequency, and its line.
int PrintPllOutput(const char* name, DWORD outputRegister, double pllHertz, int lower, double* pHertz)
{
    DWORD reg = 0;
    if (ReadMemory(PhysicalAddress(outputRegister), 32, 0xFFFFFFFF, 0, &reg) != 0) {
        *pHertz = 0.0;
        return 1;
    }
    *pHertz = pllHertz / PllOutputDivider(reg, lower);
    PrintPllLine(name, *pHertz);
    return 0;
}

// The base output of a PLL of Belk, as ClockHertz names it; -pll list goes in this order.
struct PllBaseClock {
    const char* name;
    DWORD base;
    const PllLayout& layout;
    double referenceHertz;  // 0: PLLA, which runs from PLLP_OUT1
};

const PllBaseClock kPllBaseClocks[] = {
    {"PLLC", kPllcBase, kPllBaseLayout, kPllReferenceHertz},
    {"PLLM", kPllmBase, kPllBaseLayout, kPllReferenceHertz},
    {"PLLP", kPllpBase, kPllBaseLayout, kPllpReferenceHertz},
    {"PLLX", kPllxBase, kPllBaseLayout, kPllReferenceHertz},
    {"PLLA", kPllaBase, kPllBaseLayout, 0.0},
    {"PLLD", kPlldBase, kPllBaseLayout, kPllReferenceHertz},
    {"PLLU", kPlluBase, kPllBaseLayout, kPllReferenceHertz},
    {"PLLE", kPlleBase, kPlleLayout, kPllReferenceHertz},  // PLLE and PLLS share one register
    {"PLLS", kPlleBase, kPllsLayout, kPllsReferenceHertz},
};

// A divided output of a PLL: its half of the output register.
struct PllOutputClock {
    const char* name;
    const PllBaseClock& pll;
    DWORD outputRegister;
    int lower;
};

const PllBaseClock& kPllcClock = kPllBaseClocks[0];
const PllBaseClock& kPllmClock = kPllBaseClocks[1];
const PllBaseClock& kPllpClock = kPllBaseClocks[2];

const PllOutputClock kPllOutputClocks[] = {
    {"PLLC_OUT1", kPllcClock, kPllcOut, 1},
    {"PLLM_OUT1", kPllmClock, kPllmOut, 1},
    {"PLLP_OUT1", kPllpClock, kPllpOutA, 1},
    {"PLLP_OUT2", kPllpClock, kPllpOutA, 0},
    {"PLLP_OUT3", kPllpClock, kPllpOutB, 1},
    {"PLLP_OUT4", kPllpClock, kPllpOutB, 0},
};

// The registers a snapshot records, in address order, with the clocks each sets as
// ClockHertz names them.
struct ClockRegister {
    const char* name;
    DWORD address;
    const char* clocks[2];
};

const ClockRegister kClockRegisters[] = {
    {"OSC_CTRL", kOscControl, {"OSC"}},
    {"PLLC_BASE", kPllcBase, {"PLLC"}},
    {"PLLC_OUT", kPllcOut, {"PLLC_OUT1"}},
    {"PLLM_BASE", kPllmBase, {"PLLM"}},
    {"PLLM_OUT", kPllmOut, {"PLLM_OUT1"}},
    {"PLLP_BASE", kPllpBase, {"PLLP"}},
    {"PLLP_OUTA", kPllpOutA, {"PLLP_OUT1", "PLLP_OUT2"}},
    {"PLLP_OUTB", kPllpOutB, {"PLLP_OUT3", "PLLP_OUT4"}},
    {"PLLA_BASE", kPllaBase, {"PLLA"}},
    {"PLLU_BASE", kPlluBase, {"PLLU"}},
    {"PLLD_BASE", kPlldBase, {"PLLD"}},
    {"PLLX_BASE", kPllxBase, {"PLLX"}},
    {"PLLE_BASE", kPlleBase, {"PLLE", "PLLS"}},
    {"CLK_SOURCE_EMC", kEmcClockSource, {"EMC"}},
};

// Reads a 32-bit register: the live one, or a value a snapshot recorded.
typedef std::function<bool(DWORD address, DWORD* value)> RegisterReader;

bool ReadRegister(DWORD address, DWORD* value)
{
    return ReadMemory(PhysicalAddress(address), 32, 0xFFFFFFFF, 0, value) == 0;
}

bool PllBaseHertz(const PllBaseClock& pll, const RegisterReader& read, double* pHertz)
{
    double referenceHertz = pll.referenceHertz;
    DWORD reg = 0;
    if (referenceHertz == 0.0) {
        double pllpHertz = 0.0;
        if (!PllBaseHertz(kPllpClock, read, &pllpHertz) || !read(kPllpOutA, &reg))
            return false;
        referenceHertz = pllpHertz / PllOutputDivider(reg, 1);
    }
    if (!read(pll.base, &reg))
        return false;
    *pHertz = PllHertz(reg, pll.layout, referenceHertz);
    return true;
}

bool PllOutputHertz(const PllOutputClock& output, const RegisterReader& read, double* pHertz)
{
    DWORD reg = 0;
    if (!PllBaseHertz(output.pll, read, pHertz) || !read(output.outputRegister, &reg))
        return false;
    *pHertz /= PllOutputDivider(reg, output.lower);
    return true;
}

bool EmcHertz(const RegisterReader& read, double* pHertz)
{
    DWORD reg = 0;
    int src = 0;
    double divisor = 1.0;
    if (!read(kEmcClockSource, &reg))
        return false;
    DecodeEmcClockSource(reg, &src, &divisor);
    double hertz = 0.0;
    for (const EmcSource& source : kEmcSources) {
        if (source.src != src)
            continue;
        if (source.pllBase == 0 && (!read(kOscControl, &reg) || !OscillatorHertz(reg, &hertz)))
            return false;
        if (source.pllBase != 0 && !read(source.pllBase, &reg))
            return false;
        if (source.pllBase != 0)
            hertz = PllHertz(reg, kPllBaseLayout, source.referenceHertz);
        *pHertz = hertz / divisor;
        return *pHertz > 0.0;
    }
    return false;
}

bool ClockHertzFrom(const char* name, const RegisterReader& read, double* pHertz)
{
    DWORD reg = 0;
    if (stricmp(name, "OSC") == 0)
        return ClockChipServed(RunningChip().id) && read(kOscControl, &reg) && OscillatorHertz(reg, pHertz);
    if (stricmp(name, "EMC") == 0)
        return ClockChipServed(RunningChip().id) && EmcHertz(read, pHertz);
    if (RunningChip().id != kChipBelk)
        return false;
    for (const PllBaseClock& pll : kPllBaseClocks)
        if (stricmp(name, pll.name) == 0)
            return PllBaseHertz(pll, read, pHertz);
    for (const PllOutputClock& output : kPllOutputClocks)
        if (stricmp(name, output.name) == 0)
            return PllOutputHertz(output, read, pHertz);
    return false;
}

}  // namespace

bool ClockHertz(const char* name, double* pHertz)
{
    return ClockHertzFrom(name, ReadRegister, pHertz);
}

std::vector<RegisterRecord> RecordClockRegisters()
{
    std::vector<RegisterRecord> records;
    if (!ClockChipServed(RunningChip().id))
        return records;
    for (const ClockRegister& reg : kClockRegisters) {
        DWORD value = 0;
        ReadRegister(reg.address, &value);
        records.push_back({reg.address, value, reg.name});
    }
    RegisterReader recorded = [&](DWORD address, DWORD* value) {
        for (const RegisterRecord& record : records) {
            if (record.address == address) {
                *value = record.value;
                return true;
            }
        }
        return false;
    };
    for (size_t i = 0; i < records.size(); ++i) {
        std::vector<std::string> readings;
        for (const char* clock : kClockRegisters[i].clocks) {
            double hertz = 0.0;
            if (clock != nullptr && ClockHertzFrom(clock, recorded, &hertz))
                readings.push_back(Printed("%s %.3f MHz", clock, Megahertz(hertz)));
        }
        records[i].comment = RecordComment(kClockRegisters[i].name, readings);
    }
    return records;
}

const char* ClockName(size_t index)
{
    const char* const kNonPllClocks[] = {"OSC", "EMC"};
    if (index < std::size(kNonPllClocks))
        return kNonPllClocks[index];
    index -= std::size(kNonPllClocks);
    if (index < std::size(kPllBaseClocks))
        return kPllBaseClocks[index].name;
    index -= std::size(kPllBaseClocks);
    return index < std::size(kPllOutputClocks) ? kPllOutputClocks[index].name : nullptr;
}

double PllHertz(DWORD reg, const PllLayout& layout, double referenceHertz)
{
    double mdiv = Field(reg, layout.mShift, layout.mBits);
    double ndiv = Field(reg, layout.nShift, layout.nBits);
    int pdiv = static_cast<int>(Field(reg, layout.pShift, layout.pBits));
    return (ndiv / mdiv) * referenceHertz * (1.0 / std::ldexp(1.0, pdiv));
}

int GetOscillatorHertz(double* pHertz, int verbose)
{
    DWORD code = 0;
    if (ClockChipServed(RunningChip().id) && ReadMemory(PhysicalAddress(kOscControl), 32, 0xF0000000, 0, &code) == 0 &&
        OscillatorHertz(code, pHertz)) {
        if (verbose)
            printf("%-10d [%6.1f MHz]\n", WholeHertz(*pHertz), Megahertz(*pHertz));
        return 0;
    }
    *pHertz = 0.0;
    if (verbose)
        printf("Error: Failed to obtain OSC frequency on this platform!\n");
    return 1;
}

int GetEmcClockHertz(double* pHertz, int verbose)
{
    int src = 0;
    double divisor = 1.0;
    double hertz = 0.0;
    if (GetEmcClockSource(&src, &divisor) != 0) {
        *pHertz = 0.0;
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
        ReadPllHertz(source->pllBase, source->referenceHertz, &hertz);
    else
        GetOscillatorHertz(&hertz, verbose);
    hertz = hertz / divisor;
    if (verbose)
        printf("%-10d [%6.1f MHz] %s\n", WholeHertz(hertz), Megahertz(hertz), source->name);
    *pHertz = hertz;
    return hertz > 0.0 ? 0 : 1;
}

// The base outputs (PLLC_OUT0, ...) are computed but not printed; the divided outputs are.
int ListPllClockBelk(const char* pll)
{
    for (const PllBaseClock& base : kPllBaseClocks) {
        if (stricmp(pll, base.name) != 0)
            continue;
        double baseHertz = 0.0;
        double outputHertz = 0.0;
        if (base.base == kPlleBase) {
            PrintPlleRegister(base.name, base.layout, base.referenceHertz);
        } else if (base.referenceHertz == 0.0) {
            // PLLA runs from PLLP_OUT1, whose line it prints.
            ReadPllHertz(kPllpBase, kPllpReferenceHertz, &baseHertz);
            PrintPllOutput("PLLP_OUT1", kPllpOutA, baseHertz, 1, &outputHertz);
            ReadPllHertz(base.base, outputHertz, &baseHertz);
        } else {
            ReadPllHertz(base.base, base.referenceHertz, &baseHertz);
            for (const PllOutputClock& output : kPllOutputClocks)
                if (&output.pll == &base)
                    PrintPllOutput(output.name, output.outputRegister, baseHertz, output.lower, &outputHertz);
        }
        return 0;
    }
    return 1;
}

int ListPllClocks(DWORD chip)
{
    if (chip == kChipAvin) {
        printf("Avin not supported at this time.\n");
        return 1;
    }
    if (chip != kChipBelk) {
        printf("This operation is not current supported on this platform.\n");
        return 1;
    }
    for (const PllBaseClock& pll : kPllBaseClocks)
        ListPllClockBelk(pll.name);
    return 0;
}
