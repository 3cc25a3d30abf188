// A register access through a /dev/mem mapping faults when nothing answers at its address:
// the block is unclocked, powered down or not present, the interconnect returns an error
// and the core raises it as SIGBUS (some kernels deliver SIGSEGV). Run inside
// GuardBusFault, such an access throws BusFault to the command layer, which reports the
// physical address, instead of a crash. Callers print only whole lines before an access,
// so the standard output flushed on the way out holds no half line.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>

struct BusFault {
    uint64_t address;  // physical address of the access that faulted
};

namespace busfault {

extern sigjmp_buf g_resume;  // where the signal handler leaves a faulting access

// The mapping a guarded access runs in: its first byte is physical address `physical`.
void Arm(const volatile void* base, size_t length, uint64_t physical, uint64_t accessAddress);
void Disarm();
// Puts the previous handlers back and throws BusFault.
[[noreturn]] void ThrowFault();

}  // namespace busfault

// Runs access(), whose loads and stores stay inside the mapping [base, base + length).
// accessAddress is the physical address named when the fault gives no usable address.
template <typename Access>
void GuardBusFault(const volatile void* base, size_t length, uint64_t physical, uint64_t accessAddress,
                   const Access& access)
{
    if (sigsetjmp(busfault::g_resume, 1) != 0)
        busfault::ThrowFault();
    busfault::Arm(base, length, physical, accessAddress);
    access();
    busfault::Disarm();
}
