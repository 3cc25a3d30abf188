// Physical register access through /dev/mem: every call opens, maps, accesses,
// unmaps and closes, so nothing stays mapped between accesses.
#pragma once

#include <sys/types.h>

#include "common.h"

int ReadMemory(off_t address, int io_size, DWORD mask, int bitshift, DWORD* value);
DWORD* ReadMemoryBlock(off_t address, int length, DWORD* buffer);
int WriteMemory(off_t address, int io_size, DWORD value, DWORD mask, DWORD* readValue);

// A failed open or mapping of /dev/mem, thrown to the command layer, which reports it and
// ends the run. Each failing step has a fixed site (a source name and line number) that the
// error line names, whatever the layout of the code today.
struct MemErrorSite {
    const char* file;
    int line;
};

struct MemError {
    MemErrorSite site;
    int err;  // errno of the failing call
};

// Throws MemError for the site with the current errno.
[[noreturn]] void ThrowMemError(MemErrorSite site);

// Physical addresses are 32-bit; widen without sign so the top half of the map stays reachable.
inline off_t PhysicalAddress(DWORD address)
{
    return static_cast<off_t>(address);
}
