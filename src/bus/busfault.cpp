#include "bus/busfault.h"

#include <signal.h>


namespace busfault {

sigjmp_buf g_resume;

namespace {

// Written by the guarded code, read by the handler; the access between them is volatile.
volatile sig_atomic_t g_armed = 0;
const volatile char* g_base = nullptr;
size_t g_length = 0;
uint64_t g_physical = 0;
uint64_t g_accessAddress = 0;
// The physical address of the faulting access, set by the handler.
volatile uint64_t g_faultAddress = 0;
// The handlers in place before the guard (the default, or a fuzzer's or sanitizer's).
struct sigaction g_previousBus;
struct sigaction g_previousSegv;

bool InWindow(const void* address)
{
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    uintptr_t base = reinterpret_cast<uintptr_t>(g_base);
    return at >= base && at - base < g_length;
}

void RestoreHandlers()
{
    sigaction(SIGBUS, &g_previousBus, nullptr);
    sigaction(SIGSEGV, &g_previousSegv, nullptr);
}

// A SIGBUS the kernel raises during a guarded access is the access's (its address may be
// withheld: the kernel reports 0 when the core did not latch it); a SIGSEGV only counts
// inside the mapping. Anything else goes to the handler that was there before: a fault
// by returning, so that the instruction runs again, a signal sent with kill() by raising it.
void OnFault(int signal, siginfo_t* info, void*)
{
    bool inside = InWindow(info->si_addr);
    bool fault = info->si_code > 0;
    if (g_armed && fault && (inside || signal == SIGBUS)) {
        g_armed = 0;
        g_faultAddress = inside ? g_physical + (reinterpret_cast<uintptr_t>(info->si_addr) -
                                                reinterpret_cast<uintptr_t>(g_base))
                                : g_accessAddress;
        siglongjmp(g_resume, 1);
    }
    RestoreHandlers();
    if (!fault)
        raise(signal);
}

}  // namespace

void Arm(const volatile void* base, size_t length, uint64_t physical, uint64_t accessAddress)
{
    g_base = static_cast<const volatile char*>(base);
    g_length = length;
    g_physical = physical;
    g_accessAddress = accessAddress;
    struct sigaction action = {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previousBus);
    sigaction(SIGSEGV, &action, &g_previousSegv);
    g_armed = 1;
}

void Disarm()
{
    g_armed = 0;
    RestoreHandlers();
}

void ThrowFault()
{
    RestoreHandlers();
    throw BusFault{g_faultAddress};
}

}  // namespace busfault
