#include "bus/mem.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bus/busfault.h"

// The ARM kernels number the synchronous flag 0x1000; /dev/mem honours it by mapping uncached.
static_assert(O_DSYNC == 0x1000);

namespace {

// The source sites the failures of MapPhysical report.
constexpr MemErrorSite kMemRangeSite = {"mem.cpp", 45};
constexpr MemErrorSite kMemSizeSite = {"mem.cpp", 49};
constexpr MemErrorSite kMemOpenSite = {"mem.cpp", 54};
constexpr MemErrorSite kMemMapSite = {"mem.cpp", 56};

const uint64_t kPageSize = 4096;
const uint64_t kPhysicalEnd = uint64_t{1} << 32;  // physical addresses are 32 bits wide

// Register types that carry no alignment promise: a misaligned address is still one access.
typedef uint8_t __attribute__((aligned(1))) Reg8;
typedef uint16_t __attribute__((aligned(1))) Reg16;
typedef uint32_t __attribute__((aligned(1))) Reg32;

struct Mapping {
    int fd;
    void* base;
    size_t length;
    volatile uint8_t* reg;
};

// Maps the pages that hold [address, address + bytes): the single page of the address for
// every access that stays inside it, more only for an access or block that runs past its end.
Mapping MapPhysical(off_t address, uint64_t bytes)
{
    uint64_t physical = static_cast<uint64_t>(address);
    uint64_t offset = physical & (kPageSize - 1);
    uint64_t length = (offset + bytes + kPageSize - 1) & ~(kPageSize - 1);
    if (length == 0)
        length = kPageSize;
    // An access that starts in the last bytes below 4 GiB has no page after it to map.
    if (physical + bytes > kPhysicalEnd) {
        errno = ENXIO;
        ThrowMemError(kMemRangeSite);
    }
    if (length > SIZE_MAX) {
        errno = ENOMEM;
        ThrowMemError(kMemSizeSite);
    }

    Mapping m;
    m.length = static_cast<size_t>(length);
    if ((m.fd = open("/dev/mem", O_RDWR | O_DSYNC)) < 0)
        ThrowMemError(kMemOpenSite);
    m.base = mmap(nullptr, m.length, PROT_READ | PROT_WRITE, MAP_SHARED, m.fd, static_cast<off_t>(physical - offset));
    if (m.base == MAP_FAILED)
        ThrowMemError(kMemMapSite);
    m.reg = static_cast<volatile uint8_t*>(m.base) + offset;
    return m;
}

// Unmaps and closes; returns the result of munmap.
int Unmap(const Mapping& m)
{
    int result = munmap(m.base, m.length);
    close(m.fd);
    return result;
}

// The physical address of the first byte of the mapping that holds address.
uint64_t MappedBase(off_t address)
{
    return static_cast<uint64_t>(address) & ~(kPageSize - 1);
}

// The position of the lowest set bit; 0 for no bit.
int BitsToShift(DWORD mask)
{
    for (int i = 0; i < 32; ++i)
        if (mask & (1u << i))
            return i;
    return 0;
}

// The bytes one access of io_size bits covers; an unknown width maps one byte and accesses nothing.
uint64_t AccessBytes(int io_size)
{
    return io_size == 8 || io_size == 16 || io_size == 32 ? io_size / 8 : 1;
}

// Runs the access on the mapping of address with the bus-fault guard armed.
template <typename Access>
void Guarded(const Mapping& m, off_t address, const Access& access)
{
    GuardBusFault(m.base, m.length, MappedBase(address), static_cast<uint64_t>(address), access);
}

// Calls access with the mapped register typed for an access of io_size bits; false, and
// no access, for another width.
template <typename Access>
bool AtWidth(const Mapping& m, int io_size, const Access& access)
{
    switch (io_size) {
    case 8: access(reinterpret_cast<volatile Reg8*>(m.reg)); return true;
    case 16: access(reinterpret_cast<volatile Reg16*>(m.reg)); return true;
    case 32: access(reinterpret_cast<volatile Reg32*>(m.reg)); return true;
    default: return false;
    }
}

}  // namespace

void ThrowMemError(MemErrorSite site)
{
    throw MemError{site, errno};
}

int ReadMemory(off_t address, int io_size, DWORD mask, int bitshift, DWORD* value)
{
    Mapping m = MapPhysical(address, AccessBytes(io_size));
    DWORD raw = 0;
    int status = 0;
    Guarded(m, address, [&] {
        if (!AtWidth(m, io_size, [&](auto reg) { raw = *reg; }))
            status = 1;
    });
    if (Unmap(m) != 0)
        status = 2;
    *value = bitshift == 1 ? (raw & mask) >> BitsToShift(mask) : raw & mask;
    return status;
}

DWORD* ReadMemoryBlock(off_t address, int length, DWORD* buffer)
{
    uint64_t words = length > 0 ? static_cast<uint64_t>(length) : 0;
    Mapping m = MapPhysical(address, 4 * words);
    Guarded(m, address, [&] {
        for (uint64_t i = 0; i < words; ++i)
            buffer[i] = *reinterpret_cast<volatile Reg32*>(m.reg + 4 * i);
    });
    Unmap(m);
    return buffer;
}

int WriteMemory(off_t address, int io_size, DWORD value, DWORD mask, DWORD* readValue)
{
    Mapping m = MapPhysical(address, AccessBytes(io_size));
    DWORD stored = 0;
    int status = 0;
    Guarded(m, address, [&] {
        // Read-modify-write in one read and one write of the access width.
        bool known = AtWidth(m, io_size, [&](auto reg) {
            auto word = *reg;
            word = static_cast<decltype(word)>((word & ~mask) | (value & mask));
            *reg = word;
            stored = word;
        });
        if (!known)
            status = 2;
    });
    if (Unmap(m) != 0)
        status = 3;
    *readValue = mask & stored;
    return status;
}
