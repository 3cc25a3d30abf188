// A register access through a /dev/mem mapping faults when nothing answers at its address:
// the block is unclocked, powered down or not present, the interconnect returns an error
// and the core raises it as SIGBUS (some kernels deliver SIGSEGV). Run inside
// GuardBusFault, such an access ends the program with one error line naming the physical
// address and status 1 instead of a crash. Callers print only whole lines before an access,
// so the standard output flushed on the way out holds no half line.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>

namespace busfault {

extern sigjmp_buf g_resume;  // where the signal handler leaves a faulting access

// The mapping a guarded access runs in: its first byte is physical address `physical`.
void Arm(const volatile void* base, size_t length, uint64_t physical, uint64_t accessAddress);
void Disarm();
// Flushes the standard output, prints the error line and exits with status 1.
[[noreturn]] void ExitOnFault();

}  // namespace busfault

// Runs access(), whose loads and stores stay inside the mapping [base, base + length).
// accessAddress is the physical address named when the fault gives no usable address.
template <typename Access>
void GuardBusFault(const volatile void* base, size_t length, uint64_t physical, uint64_t accessAddress,
                   const Access& access)
{
    if (sigsetjmp(busfault::g_resume, 1) != 0)
        busfault::ExitOnFault();
    busfault::Arm(base, length, physical, accessAddress);
    access();
    busfault::Disarm();
}
