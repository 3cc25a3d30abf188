// Registers where nothing answers. The simulator's buserror rule backs a page with nothing,
// so an access there raises a real SIGBUS, as an unclocked or powered-down block does on a
// board: rigo ends with one error line naming the address and status 1.
#include <gtest/gtest.h>

#include <string>

#include "e2e.h"

namespace {

RunResult BusFault(const std::string& address, const std::string& out = "")
{
    return {1, out,
            "Error: Bus fault at " + address +
                ": nothing answers there (block unclocked, powered down or not present).\n"};
}

TEST(BusFault, EndsTheAccessWithOneLineNamingTheAddress)
{
    SimBoard board("belk");
    board.Fault("mem buserror addr=0x7000F404");
    EXPECT_EQ(board.Rigo({"-wr16", "0x7000F006", "0x1212", "0xFF"}), BusFault("0x7000F006"));
    board.SetFault("mem buserror addr=0x7000F000");
    // The DVFS dump prints its header from the clock registers, then faults on its first
    // EMC register: whole lines only.
    RunResult dvfs = board.Rigo({"-dvfs"});
    EXPECT_TRUE(dvfs.out.starts_with("0x32,\t\t/* Rev 3.2 */\n") && dvfs.out.ends_with("{\n")) << dvfs.out;
    // In a run of several words the address is the one that faulted, from the signal. qemu's
    // user emulation (the cross-built test run) reports it a page off, and rigo falls back to
    // the start of the access there.
#ifdef RIGO_CROSS_BUILD
    EXPECT_TRUE(dvfs.status == 1 && dvfs.err.starts_with("Error: Bus fault at 0x7000F")) << dvfs.err;
#else
    EXPECT_EQ(dvfs, BusFault("0x7000F42C", dvfs.out));  // EMC_RC
    // From a page that answers into the dead one: nothing of what was read is printed.
    EXPECT_EQ(board.Rigo({"-list", "0x7000EFF8", "4"}), BusFault("0x7000F000"));
#endif
}

}  // namespace
