// How the regulator commands read the value typed after a rail name.
#include <gtest/gtest.h>

#include "cli/values.h"
#include "e2e.h"

namespace {

double Parsed(bool (*parse)(const char*, const char*, double*), const char* text)
{
    double voltage = -1;
    EXPECT_TRUE(parse("SD0", text, &voltage)) << text;
    return voltage;
}

}  // namespace

TEST(RegulatorValues, EachParserReadsAsItsCommandsDo)
{
    EXPECT_EQ(Parsed(TenMillivoltSteps, "1239"), 1230);
    EXPECT_EQ(Parsed(TenMillivoltSteps, "0x4B0"), 1200);
    EXPECT_EQ(Parsed(TenMillivoltSteps, "-5"), 4294967290.0);  // strtoul wraps, then steps down
    EXPECT_EQ(Parsed(TenMillivoltSteps, "ON"), 0);

    EXPECT_EQ(Parsed(WholeMillivolts, "1250.9"), 1250);
    EXPECT_EQ(Parsed(WholeMillivolts, "0x4B0"), 0);  // decimal only
    EXPECT_EQ(Parsed(WholeMillivolts, "-5"), 4294967291.0);
    EXPECT_EQ(Parsed(WholeMillivolts, "99999999999"), 2147483647.0);
    EXPECT_EQ(Parsed(WholeMillivolts, "-99999999999"), 2147483648.0);

    EXPECT_EQ(Parsed(TruncatedValue, "1000000.9"), 1000000);
    EXPECT_EQ(Parsed(TruncatedValue, "-3"), 0);
    EXPECT_EQ(Parsed(TruncatedValue, "1e20"), 4294967295.0);
    EXPECT_EQ(Parsed(TruncatedValue, "abc"), 0);

    EXPECT_EQ(Parsed(RealMillivolts, "612.5"), 612.5);
}

TEST(RegulatorValues, RefusedValuesEndTheRunBeforeAnyTransfer)
{
    SimBoard board("belk");
    for (const auto& [args, out] : {std::pair{Lines{"-tps65913", "SMPS12", "9"}, "[VALUE] is not valid [9]\n"},
                                    std::pair{Lines{"-tps65911", "VDD1", "-1"}, "[VALUE] is not valid [-1]\n"},
                                    std::pair{Lines{"-tps65911", "VDD1", "abc"}, "[VALUE] is not valid [abc]\n"}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, out, ""}));
        EXPECT_TRUE(board.Transfers().empty());
    }
}
