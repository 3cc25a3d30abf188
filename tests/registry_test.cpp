// What every regulator command shares, checked once for each row of the command registry,
// and where every command looks for its chip on every SoC.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/registry.h"
#include "e2e.h"

namespace {

// Every regulator command by its keyword.
std::map<std::string, const RegulatorCommand*> RegulatorCommands()
{
    std::map<std::string, const RegulatorCommand*> commands;
    for (const CommandRow& row : CommandRegistry())
        if (row.regulator != nullptr)
            commands[row.keyword] = row.regulator;
    return commands;
}

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

class RegulatorCommandTest : public testing::TestWithParam<std::string> {
protected:
    const RegulatorCommand& Command() const { return *RegulatorCommands().at(GetParam()); }
    const BusDefault& Home() const { return Command().defaults.front(); }
    std::string FirstRail() const { return Command().driver.railName(0); }
    // The converters without an enable: ON and OFF are not keywords for them, and a failed
    // read or write ends their command with status 1 (the others end with 0).
    bool Stepped() const
    {
        return std::set<std::string>{"-tps51632", "-tps62361", "-tps62365", "-tps62366"}.contains(GetParam());
    }
    int FailureStatus() const { return Stepped() ? 1 : 0; }
};

TEST_P(RegulatorCommandTest, UnknownRailsAndUsageErrors)
{
    SimBoard board(Hex(Home().chipId));
    std::string names = "Valid Voltage names: \n";
    for (size_t i = 0; Command().driver.railName(i) != nullptr; ++i)
        names += std::string(Command().driver.railName(i)) + ", ";
    // Then the line some drivers add, then the command's failure report.
    if (std::set<std::string>{"-as3720", "-lp8755", "-max77660", "-max77663", "-max77664"}.contains(GetParam()))
        names += "\nFailed: Unable to find the PMU output [NO_SUCH_RAIL].";
    if (Command().failures == kExitOnFailure)
        names += "\nError: An error occurred while attempting to read the " + std::string(Command().chip) + " voltage.";
    if (Command().failures == kPrintErrorCode)
        names += "\nFailed to get voltage [ERR CODE: 2]";
    EXPECT_EQ(board.Rigo({GetParam(), "NO_SUCH_RAIL"}), (RunResult{FailureStatus(), names + "\n", ""}));

    for (const Lines& args : {Lines{GetParam()}, Lines{GetParam(), "list", "4"}, Lines{GetParam(), "4", "0", FirstRail()},
                              Lines{GetParam(), "1", "2", "3", "4", "5"}}) {
        EXPECT_EQ(board.Rigo(args), (RunResult{1, "", HelpText()})) << args.size();
        EXPECT_TRUE(board.Transfers().empty());
    }
}

TEST_P(RegulatorCommandTest, AbsentDeviceOrBusCostsTheRetriesAndEndsByTheCommandsPolicy)
{
    // A board of no known chip has no devices: only the bus is there.
    SimBoard board("0x99");
    board.AddDevice(static_cast<int>(Home().bus), 0x7F);
    Lines read = {GetParam(), std::to_string(Home().bus), Hex(Home().address), FirstRail()};
    RunResult absent = board.Rigo(read);
    EXPECT_EQ(absent.status, FailureStatus()) << absent.out;
    EXPECT_GE(board.Pauses(5000), 10);
    EXPECT_EQ(board.Pauses(50000), 0);
    if (Stepped()) {
        EXPECT_TRUE(absent.out.ends_with("Error: An error occurred while attempting to read the " +
                                         std::string(Command().chip) + " voltage.\n")) << absent.out;
    }
    board.Fault("i2c open bus=" + std::to_string(Home().bus));
    EXPECT_EQ(board.Rigo(read).status, FailureStatus());
    EXPECT_TRUE(board.Transfers().empty());
}

TEST_P(RegulatorCommandTest, OnAndOffAreKeywordsOnlyWhereTheChipSwitchesRails)
{
    auto writes = [&](const std::string& value) {
        SimBoard board(Hex(Home().chipId));
        board.Rigo({GetParam(), FirstRail(), value});
        return board.Transfers();
    };
    if (Stepped()) {
        EXPECT_EQ(writes("ON"), writes("0"));  // read as a voltage
        return;
    }
    Lines off = writes("OFF");
    EXPECT_EQ(writes("off"), off);
    EXPECT_NE(writes("On"), off);
}

std::vector<std::string> RegulatorKeywords()
{
    std::vector<std::string> keywords;
    for (const auto& [keyword, command] : RegulatorCommands())
        keywords.push_back(keyword);
    return keywords;
}

INSTANTIATE_TEST_SUITE_P(Registry, RegulatorCommandTest, testing::ValuesIn(RegulatorKeywords()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param.substr(1); });

// Where each command looks on each SoC: "bus address" of its first transfer. Where it has
// no default, a command prints the help and ends with status 1; -id reads nothing.
struct Default {
    const char* keyword;
    std::set<std::string> chips;
    const char* where;
};
const Default kDefaults[] = {
    {"-as3720", {"0x30", "0x33", "0x35"}, "4 0x40"},   {"-lp8755", {"0x13", "0x14"}, "4 0x60"},
    {"-max77660", {"0x14"}, "4 0x23"},                 {"-max77663", {"0x30", "0x33", "0x35"}, "4 0x3c"},
    {"-max77664", {"0x30", "0x33", "0x35"}, "4 0x3c"}, {"-tps51632", {"0x35"}, "4 0x43"},
    {"-tps62361", {"0x30", "0x33", "0x37"}, "4 0x60"}, {"-tps62365", {"0x30", "0x33", "0x37"}, "4 0x60"},
    {"-tps62366", {"0x30", "0x33", "0x37"}, "4 0x60"}, {"-tps65911", {"0x30", "0x33", "0x37"}, "4 0x2d"},
    {"-tps65913", {"0x30", "0x33"}, "4 0x49"},         {"-tps65913", {"0x35"}, "4 0x58"},
    // At 0x48; the rail registers sit at its group address 0x12.
    {"-tps80031", {"0x30", "0x33", "0x37"}, "4 0x12"}, {"-tps80032", {"0x30", "0x33", "0x37"}, "4 0x12"},
    {"-tps80036", {"0x13", "0x14"}, "4 0x58"},         {"-tps80036", {"0x30", "0x35"}, "4 0x48"},
    {"-id", {"0x30", "0x33"}, "4 0x56"},               {"-id", {"0x35"}, "0 0x56"},
    {"-ds4422n", {"0x30", "0x33"}, "0 0x10"},          {"-ds4422n", {"0x35"}, "0 0x70"},
};

TEST(CommandDefaults, EveryCommandLooksWhereItsChipSitsOnEachSoc)
{
    const auto regulators = RegulatorCommands();
    std::set<std::string> keywords;
    for (const Default& d : kDefaults)
        keywords.insert(d.keyword);
    for (const char* chip : {"0x13", "0x14", "0x20", "0x30", "0x33", "0x35", "0x37", "0x99"}) {
        SimBoard board(chip);
        for (const std::string& k : keywords) {
            Lines args = k == "-id" ? Lines{k} : Lines{k, "BRD01", "OUT0"};
            if (regulators.contains(k))
                args = {k, regulators.at(k)->driver.railName(0)};
            std::string expected = k == "-id" ? "none" : "help";
            for (const Default& d : kDefaults)
                if (d.keyword == k && d.chips.contains(chip))
                    expected = d.where;
            RunResult r = board.Rigo(args);
            Lines transfers = board.Transfers();  // "i2c-<bus> <address> ..."
            std::string looked = r == RunResult{1, "", HelpText()} ? "help" : transfers.empty() ? "none" : transfers[0].substr(4);
            EXPECT_EQ(looked.substr(0, looked.find(' ', looked.find(' ') + 1)), expected) << k << " on " << chip;
        }
    }
}

}  // namespace
