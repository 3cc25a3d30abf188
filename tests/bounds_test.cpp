// Arguments at and past the edges: the end of the 32-bit physical space, counts that do
// not fit an int, and byte strings, rail names and numbers as long as Linux lets one
// argument be. Memory, mappings and output stay bounded and nothing overflows.
#include <gtest/gtest.h>

#include <string>

#include "cli/registry.h"
#include "e2e.h"

namespace {

// The longest single argument Linux passes to a program (MAX_ARG_STRLEN less the NUL).
const size_t kLongest = 128 * 1024 - 1;

// Status 0 or 1, no sanitizer report, and output no longer than the arguments plus a little.
void ExpectClean(const RunResult& r, const Lines& args)
{
    size_t typed = 0;
    for (const std::string& arg : args)
        typed += arg.size();
    SCOPED_TRACE(args[0] + " " + args[1].substr(0, 16));
    EXPECT_TRUE(r.status == 0 || r.status == 1) << r.status << "\n" << r.err.substr(0, 2000);
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos);
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos);
    EXPECT_LT(r.out.size(), typed + 4096);
}

}  // namespace

TEST(Bounds, AccessesAtTheEndOfThePhysicalSpace)
{
    SimBoard board("belk");
    board.SetWord(0xFFFFFFFC, 0x11223344);
    // Accesses that would run past 4 GiB map nothing beyond the chip ID and end like a failed mapping.
    for (const Lines& args : {Lines{"-rd16", "0xFFFFFFFF"}, Lines{"-rd32", "0xFFFFFFFD"}, Lines{"-wr", "0xFFFFFFFE", "1"}}) {
        RunResult r = board.Rigo(args);
        EXPECT_TRUE(r.status == 1 && r.out.empty() && r.err.starts_with("Error at line ") &&
                    r.err.ends_with(" (6) [No such device or address]\n")) << r.out << r.err;
        EXPECT_EQ(board.Trace().size(), 4u) << args[1];  // only the chip ID read
    }
    EXPECT_EQ(board.RigoOut({"-rd8", "0xFFFFFFFF"}), "0xFFFFFFFF --> 0x11\n");
    EXPECT_EQ(board.Trace()[5], "mmap 0xfffff000 4096");
}

TEST(Bounds, RunCountsBelowZeroAndRunsPastTheRegisters)
{
    SimBoard board("belk");
    for (const char* count : {"0x80000000", "-1", "99999999999999999999"}) {
        EXPECT_EQ(board.RigoOut({"-i2c", "4", "0x56", "0x10", "rd", count}),
                  "[/dev/i2c-4, Addr: 0x56, Initial Offset: 0x10] --> 0x\n") << count;
        EXPECT_EQ(board.Transfers(), Lines{}) << count;
    }

    // 300 bytes: the first goes to offset 0x10 + 299, past the 256 registers, so it lands at 0x3B.
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += "A5";
    RunResult r = board.Rigo({"-i2c", "4", "0x56", "0x10", "wr", "0x" + bytes});
    EXPECT_EQ(r, (RunResult{0, "[/dev/i2c-4, Addr: 0x56, Initial Offset: 0x10] <-- 0x" + bytes +
                                   "\n[/dev/i2c-4, Addr: 0x56, Initial Offset: 0x10] --> 0x" + bytes + "\n", ""}));
    Lines transfers = board.Transfers();
    ASSERT_EQ(transfers.size(), 600u);
    EXPECT_EQ(transfers[0], "i2c-4 0x56 w 3b a5");
    EXPECT_EQ(transfers[299], "i2c-4 0x56 w 10 a5");

    // The longest odd string is refused before the bus is opened.
    EXPECT_EQ(board.Rigo({"-i2c", "4", "0x56", "0x10", "wr", std::string(kLongest, '7')}),
              (RunResult{1, "Error: You must define the value to write as sets of bytes\n", ""}));
    EXPECT_EQ(board.Transfers(), Lines{});
}

TEST(Bounds, RailNamesAndNumbersOfAnyLength)
{
    SimBoard board("belk");
    const std::string name(kLongest, 'L');
    for (const CommandRow& row : CommandRegistry()) {
        const bool dac = std::string(row.keyword).starts_with("-ds442");
        Lines args = dac ? Lines{row.keyword, "BRD01", "0", "0x10", name, "1300"} : Lines{row.keyword, "4", "0x40", name, "1200"};
        if (dac || row.regulator != nullptr)
            ExpectClean(board.Rigo(args), args);
    }

    // Numbers of every length saturate or read as 0, wherever they stand.
    const std::string digits(kLongest, '9'), hex = "0x" + std::string(kLongest - 2, 'F');
    for (const std::string& number : {digits, hex, "1e" + digits.substr(2)})
        for (const Lines& args : {Lines{"-wr8", "0x7000F404", number, number}, Lines{"-list", number, number},
                                  Lines{"-i2c", "4", "0x56", number, "rd", number}, Lines{"-tps65911", "VDD1", number},
                                  Lines{"-max77663", "4", number, "SD1", number}, Lines{"-iddqG", number}})
            ExpectClean(board.Rigo(args), args);
}
