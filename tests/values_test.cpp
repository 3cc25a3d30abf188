// How the regulator commands read the value typed after a rail name.
#include <gtest/gtest.h>

#include "cli/values.h"
#include "e2e.h"

TEST(RegulatorValues, EachParserReadsAsItsCommandsDo)
{
    const struct {
        bool (*parse)(const char*, const char*, double*);
        const char* text;
        double value;
    } cases[] = {
        {TenMillivoltSteps, "1239", 1230}, {TenMillivoltSteps, "0x4B0", 1200},
        {TenMillivoltSteps, "-5", 4294967290.0},  // strtoul wraps, then steps down
        {WholeMillivolts, "1250.9", 1250}, {WholeMillivolts, "0x4B0", 0},  // decimal only
        {WholeMillivolts, "99999999999", 2147483647.0}, {WholeMillivolts, "-99999999999", 2147483648.0},
        {TruncatedValue, "-3", 0}, {TruncatedValue, "1e20", 4294967295.0}, {RealMillivolts, "612.5", 612.5},
    };
    for (const auto& c : cases) {
        double value = -1;
        EXPECT_TRUE(c.parse("SD0", c.text, &value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(RegulatorValues, RefusedValuesEndTheRunBeforeAnyTransfer)
{
    SimBoard board("belk");
    for (const Lines& args : {Lines{"-tps65913", "SMPS12", "9"}, Lines{"-tps65911", "VDD1", "abc"}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "[VALUE] is not valid [" + args[2] + "]\n", ""}));
        EXPECT_TRUE(board.Transfers().empty());
    }
}
