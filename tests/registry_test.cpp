// What every regulator command shares, checked once for each row of the command registry,
// and where every command looks for its chip on every SoC.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <sstream>
#include <string>
#include <vector>

#include "cli/registry.h"
#include "e2e.h"

namespace {

std::string LowerCase(std::string word)
{
    for (char& c : word)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return word;
}

std::vector<std::string> RegulatorKeywords()
{
    std::vector<std::string> keywords;
    for (const CommandRow& row : CommandRegistry())
        if (row.regulator != nullptr)
            keywords.push_back(LowerCase(row.keyword));
    return keywords;
}

const CommandRow& Row(const std::string& keyword)
{
    for (const CommandRow& row : CommandRegistry())
        if (LowerCase(row.keyword) == keyword)
            return row;
    throw std::invalid_argument(keyword);
}

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

// The converters without an enable: ON and OFF are not keywords for them, and a failed
// read or write ends their command with status 1 (the others end with 0).
const std::set<std::string> kSteppedCommands = {"-tps51632", "-tps62361", "-tps62365", "-tps62366"};

class RegulatorCommandTest : public testing::TestWithParam<std::string> {
protected:
    const RegulatorCommand& Command() const { return *Row(GetParam()).regulator; }
    std::string Keyword() const { return GetParam(); }
    const BusDefault& Home() const { return Command().defaults.front(); }
    std::string FirstRail() const { return Command().driver.railName(0); }
    bool Stepped() const { return kSteppedCommands.contains(Keyword()); }
    int FailureStatus() const { return Stepped() ? 1 : 0; }
};

TEST_P(RegulatorCommandTest, UnknownRailListsTheValidNames)
{
    SimBoard board(Hex(Home().chipId));
    std::string names = "Valid Voltage names: \n";
    for (size_t i = 0; Command().driver.railName(i) != nullptr; ++i)
        names += std::string(Command().driver.railName(i)) + ", ";
    RunResult r = board.Rigo({Keyword(), "NO_SUCH_RAIL"});
    EXPECT_NE(r.out.find(names + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.status, FailureStatus());
}

TEST_P(RegulatorCommandTest, AbsentDeviceOrBusCostsTheRetriesAndEndsByTheCommandsPolicy)
{
    // A board of no known chip has no devices: only the bus is there.
    SimBoard board("0x99");
    board.AddDevice(static_cast<int>(Home().bus), 0x7F);
    Lines read = {Keyword(), std::to_string(Home().bus), Hex(Home().address), FirstRail()};
    RunResult absent = board.Rigo(read);
    EXPECT_EQ(absent.status, FailureStatus()) << absent.out;
    EXPECT_GE(board.Pauses(5000), 10);
    EXPECT_EQ(board.Pauses(50000), 0);
    if (Stepped()) {
        EXPECT_TRUE(absent.out.ends_with("Error: An error occurred while attempting to read the " +
                                         std::string(Command().chip) + " voltage.\n"))
            << absent.out;
    }

    board.Fault("i2c open bus=" + std::to_string(Home().bus));
    EXPECT_EQ(board.Rigo(read).status, FailureStatus());
    EXPECT_TRUE(board.Transfers().empty());
}

TEST_P(RegulatorCommandTest, OnAndOffAreKeywordsOnlyWhereTheChipSwitchesRails)
{
    auto writes = [&](const std::string& value) {
        SimBoard board(Hex(Home().chipId));
        board.Rigo({Keyword(), FirstRail(), value});
        return board.Transfers();
    };
    if (Stepped()) {
        EXPECT_EQ(writes("ON"), writes("0"));  // read as a voltage
        return;
    }
    Lines off = writes("OFF");
    EXPECT_EQ(writes("off"), off);
    EXPECT_NE(writes("ON"), off);
    EXPECT_EQ(writes("On"), writes("ON"));
}

TEST_P(RegulatorCommandTest, UsageErrorsPrintTheHelpAndExit1)
{
    SimBoard board(Hex(Home().chipId));
    for (const Lines& args : {Lines{Keyword()}, Lines{Keyword(), "list", "4"}, Lines{Keyword(), "list", "4", "0"},
                              Lines{Keyword(), "4", "0", FirstRail()}, Lines{Keyword(), "1", "2", "3", "4", "5"}}) {
        RunResult r = board.Rigo(args);
        EXPECT_EQ(r.status, 1) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, HelpText());
        EXPECT_TRUE(board.Transfers().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, RegulatorCommandTest, testing::ValuesIn(RegulatorKeywords()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param.substr(1); });

// Where each command looks on each SoC: "bus address" of its first transfer. Where it has
// no default, a command prints the help and ends with status 1; -id reads nothing.
const std::map<std::string, std::map<std::string, std::string>> kDefaults = {
    {"-as3720", {{"0x30", "4 0x40"}, {"0x33", "4 0x40"}, {"0x35", "4 0x40"}}},
    {"-lp8755", {{"0x13", "4 0x60"}, {"0x14", "4 0x60"}}},
    {"-max77660", {{"0x14", "4 0x23"}}},
    {"-max77663", {{"0x30", "4 0x3c"}, {"0x33", "4 0x3c"}, {"0x35", "4 0x3c"}}},
    {"-max77664", {{"0x30", "4 0x3c"}, {"0x33", "4 0x3c"}, {"0x35", "4 0x3c"}}},
    {"-tps51632", {{"0x35", "4 0x43"}}},
    {"-tps62361", {{"0x30", "4 0x60"}, {"0x33", "4 0x60"}, {"0x37", "4 0x60"}}},
    {"-tps62365", {{"0x30", "4 0x60"}, {"0x33", "4 0x60"}, {"0x37", "4 0x60"}}},
    {"-tps62366", {{"0x30", "4 0x60"}, {"0x33", "4 0x60"}, {"0x37", "4 0x60"}}},
    {"-tps65911", {{"0x30", "4 0x2d"}, {"0x33", "4 0x2d"}, {"0x37", "4 0x2d"}}},
    {"-tps65913", {{"0x30", "4 0x49"}, {"0x33", "4 0x49"}, {"0x35", "4 0x58"}}},
    // At 0x48; the rail registers sit at its group address 0x12.
    {"-tps80031", {{"0x30", "4 0x12"}, {"0x33", "4 0x12"}, {"0x37", "4 0x12"}}},
    {"-tps80032", {{"0x30", "4 0x12"}, {"0x33", "4 0x12"}, {"0x37", "4 0x12"}}},
    {"-tps80036", {{"0x13", "4 0x58"}, {"0x14", "4 0x58"}, {"0x30", "4 0x48"}, {"0x35", "4 0x48"}}},
    {"-id", {{"0x30", "4 0x56"}, {"0x33", "4 0x56"}, {"0x35", "0 0x56"}}},
    {"-ds4422n", {{"0x30", "0 0x10"}, {"0x33", "0 0x10"}, {"0x35", "0 0x70"}}},
};

// The bus and address of the run's first transfer, "help" or "none".
std::string WhereItLooked(SimBoard& board, const RunResult& r)
{
    if (r.status == 1 && r.err == HelpText())
        return "help";
    for (const std::string& line : board.Trace()) {
        std::istringstream words(line);
        std::string bus, address;
        if (words >> bus >> address && bus.starts_with("i2c-") && address.starts_with("0x"))
            return bus.substr(4) + " " + address;
    }
    return "none";
}

TEST(CommandDefaults, EveryCommandLooksWhereItsChipSitsOnEachSoc)
{
    for (const char* chip : {"0x13", "0x14", "0x20", "0x30", "0x33", "0x35", "0x37", "0x99"}) {
        SimBoard board(chip);
        for (const auto& [keyword, where] : kDefaults) {
            Lines args = {keyword, "BRD01", "OUT0"};
            if (keyword == "-id")
                args = {keyword};
            for (const CommandRow& row : CommandRegistry())
                if (row.regulator != nullptr && LowerCase(row.keyword) == keyword)
                    args = {keyword, row.regulator->driver.railName(0)};
            auto expected = where.find(chip);
            EXPECT_EQ(WhereItLooked(board, board.Rigo(args)), expected != where.end() ? expected->second : keyword == "-id" ? "none" : "help")
                << keyword << " on " << chip;
        }
    }
}

}  // namespace
