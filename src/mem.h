// Physical register access through /dev/mem: every call opens, maps, accesses,
// unmaps and closes, so nothing stays mapped between accesses.
#pragma once

#include <sys/types.h>

#include "common.h"

int BitsToShift(DWORD mask);
int ReadMemory(off_t address, int io_size, DWORD mask, int bitshift, DWORD* value);
DWORD* ReadMemoryBlock(off_t address, int length, DWORD* buffer);
int WriteMemory(off_t address, int io_size, DWORD value, DWORD mask, DWORD* readValue);

// A failed open or mapping of /dev/mem: the error line on stderr, then exit status 1.
[[noreturn]] void ExitMemError(const char* file, int line);

// The EMC clock source register: source number (1 PLLM, 2 PLLC, 3 PLLP, 4 oscillator;
// other selections leave *src as it was) and divisor.
int GetEmcClockSource(int* src, double* divisor);

// The -dvfs dump of the live EMC and MC timing registers as one DVFS table entry.
int DvfsTable();
void PrintTabbedDvfsEntry(const volatile void* virt_addr, const char* text);
void PrintDvfsEntry(const volatile void* virt_addr, const char* text);

// Physical addresses are 32-bit; widen without sign so the top half of the map stays reachable.
inline off_t PhysicalAddress(DWORD address)
{
    return static_cast<off_t>(address);
}
