// Physical register access through /dev/mem: every call opens, maps, accesses,
// unmaps and closes, so nothing stays mapped between accesses.
#pragma once

#include <sys/types.h>

#include "common.h"

int BitsToShift(DWORD mask);
int ReadMemory(off_t address, int io_size, DWORD mask, int bitshift, DWORD* value);
DWORD* ReadMemoryBlock(off_t address, int length, DWORD* buffer);
int WriteMemory(off_t address, int io_size, DWORD value, DWORD mask, DWORD* readValue);

// Physical addresses are 32-bit; widen without sign so the top half of the map stays reachable.
inline off_t PhysicalAddress(DWORD address)
{
    return static_cast<off_t>(address);
}
