#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"
#include "tps65913.h"

namespace {

const std::string kValidNames =
    "Valid Voltage names: \n"
    "SMPS12, SMPS123, SMPS3, SMPS45, SMPS457, SMPS6, SMPS7, SMPS8, SMPS9, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, "
    "LDO7, LDO8, LDO9, LDOLN, LDOUSB, \n";

const std::string kBelkList =
    "SMPS12               AUTO   1200mV\n"
    "SMPS123              AUTO   1200mV\n"
    "SMPS3                 OFF      0mV\n"
    "SMPS45               AUTO   1000mV\n"
    "SMPS457              AUTO   1000mV\n"
    "SMPS6                 ECO    900mV\n"
    "SMPS7                AUTO   1800mV\n"
    "SMPS8          FORCED_PWM   1200mV\n"
    "SMPS9                AUTO   1020mV\n"
    "LDO1                  OFF   1800mV\n"
    "LDO2                  OFF   2800mV\n"
    "LDO3                  OFF   3300mV\n"
    "LDO4                   ON   1000mV\n"
    "LDO5                   ON   1800mV\n"
    "LDO6                   ON   1200mV\n"
    "LDO7                   ON   1800mV\n"
    "LDO8                   ON   1000mV\n"
    "LDO9                  OFF   3300mV\n"
    "LDOLN                  ON   1800mV\n"
    "LDOUSB                 ON   3250mV\n";

}  // namespace

TEST(Tps65913Encoding, SmpsRegisterToMillivolts)
{
    EXPECT_EQ(tps65913_SmpsMillivolts(0x00), 0u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x80), 0u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x01), 450u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x06), 500u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x4C), 1200u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x79), 1650u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x7A), 1650u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x7F), 1650u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0x86), 1000u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0xAE), 1800u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0xF9), 3300u);
    EXPECT_EQ(tps65913_SmpsMillivolts(0xFF), 3300u);
}

TEST(Tps65913Encoding, MillivoltsToSmpsRegister)
{
    EXPECT_EQ(tps65913_SmpsRegister(0), 0x06u);
    EXPECT_EQ(tps65913_SmpsRegister(499), 0x06u);
    EXPECT_EQ(tps65913_SmpsRegister(500), 0x06u);
    EXPECT_EQ(tps65913_SmpsRegister(509), 0x06u);
    EXPECT_EQ(tps65913_SmpsRegister(510), 0x07u);
    EXPECT_EQ(tps65913_SmpsRegister(1200), 0x4Cu);
    EXPECT_EQ(tps65913_SmpsRegister(1650), 0x79u);
    EXPECT_EQ(tps65913_SmpsRegister(1651), 0xA6u);
    EXPECT_EQ(tps65913_SmpsRegister(1800), 0xAEu);
    EXPECT_EQ(tps65913_SmpsRegister(1819), 0xAEu);
    EXPECT_EQ(tps65913_SmpsRegister(1820), 0xAFu);
    EXPECT_EQ(tps65913_SmpsRegister(3300), 0xF9u);
    EXPECT_EQ(tps65913_SmpsRegister(3301), 0xF9u);
    EXPECT_EQ(tps65913_SmpsRegister(0xFFFFFFFF), 0xF9u);
    // Read back: rounded down to 10 mV up to 1650, to 20 mV above.
    for (DWORD volt = 500; volt <= 3300; ++volt) {
        DWORD expected = volt <= 1650 ? volt / 10 * 10 : volt / 20 * 20;
        EXPECT_EQ(tps65913_SmpsMillivolts(tps65913_SmpsRegister(volt)), expected) << volt;
    }
}

TEST(Tps65913Encoding, LdoSelectorBothWays)
{
    EXPECT_EQ(tps65913_LdoMillivolts(0), 0u);
    EXPECT_EQ(tps65913_LdoMillivolts(1), 900u);
    EXPECT_EQ(tps65913_LdoMillivolts(19), 1800u);
    EXPECT_EQ(tps65913_LdoMillivolts(49), 3300u);
    EXPECT_EQ(tps65913_LdoMillivolts(50), 3300u);
    EXPECT_EQ(tps65913_LdoMillivolts(63), 3300u);

    EXPECT_EQ(tps65913_LdoSelector(0), 1u);
    EXPECT_EQ(tps65913_LdoSelector(850), 1u);
    EXPECT_EQ(tps65913_LdoSelector(949), 1u);
    EXPECT_EQ(tps65913_LdoSelector(950), 2u);
    EXPECT_EQ(tps65913_LdoSelector(1800), 19u);
    EXPECT_EQ(tps65913_LdoSelector(3300), 49u);
    EXPECT_EQ(tps65913_LdoSelector(3400), 49u);
    EXPECT_EQ(tps65913_LdoSelector(0xFFFFFFFF), 49u);
    for (DWORD volt = 900; volt <= 3300; ++volt)
        EXPECT_EQ(tps65913_LdoMillivolts(tps65913_LdoSelector(volt)), volt / 50 * 50) << volt;
}

TEST(Tps65913Command, ListsTheRailsAtTheSocsAddress)
{
    SimBoard belk("belk");
    RunResult run = belk.Rigo({"-tps65913", "list"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, kBelkList);
    std::vector<std::string> transfers = belk.Transfers();
    ASSERT_EQ(transfers.size(), 40u);
    EXPECT_EQ(transfers[0], "i2c-4 0x49 w 23 r 4c");
    EXPECT_EQ(transfers[1], "i2c-4 0x49 w 20 r 11");

    SimBoard corv("corv");
    run = corv.Rigo({"-TPS65913", "LIST"});
    EXPECT_EQ(run.out, kBelkList);
    EXPECT_EQ(corv.Transfers()[0], "i2c-4 0x58 w 23 r 4c");

    // No default on this SoC: only the explicit form works.
    SimBoard dern("dern");
    run = dern.Rigo({"-tps65913", "list"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, HelpText());
    dern.SetRegisters(4, 0x49, 0x2F, {0x4C});
    run = dern.Rigo({"-tps65913", "list", "4", "0x49"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(5 * 35, 35), "SMPS6                 OFF   1200mV\n");
}

TEST(Tps65913Command, ReadsVoltageAndState)
{
    SimBoard board("belk");
    RunResult run = board.Rigo({"-tps65913", "smps8"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SMPS8          FORCED_PWM   1200mV\n");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x49 w 37 r 4c", "i2c-4 0x49 w 34 r 33"}));

    board.SetRegisters(4, 0x49, 0x33, {0x7F});
    EXPECT_EQ(board.Rigo({"-tps65913", "4", "0x49", "SMPS7"}).out, "SMPS7                AUTO   1650mV\n");
    board.SetRegisters(4, 0x49, 0x33, {0xFF});
    EXPECT_EQ(board.Rigo({"-tps65913", "SMPS7"}).out, "SMPS7                AUTO   3300mV\n");
    // LDO selectors are bits 5-0; any state bit 4 reads ON.
    board.SetRegisters(4, 0x49, 0x58, {0xEF});
    board.SetRegisters(4, 0x49, 0x59, {0xD3});
    EXPECT_EQ(board.Rigo({"-tps65913", "LDO5"}).out, "LDO5                  OFF   1800mV\n");
}

TEST(Tps65913Command, SetsSmpsAndReadsItBack)
{
    SimBoard board("belk");
    RunResult run = board.Rigo({"-tps65913", "SMPS6", "1200"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SMPS6                 ECO   1200mV\n");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x49 w 2f r 2e", "i2c-4 0x49 w 2f 4c",
                                                           "i2c-4 0x49 w 2f r 4c", "i2c-4 0x49 w 2c r 21"}));
    EXPECT_EQ(board.Pauses(50000), 4);

    const struct {
        const char* value;
        uint8_t expected;
        const char* line;
    } cases[] = {
        {"1800", 0xAE, "SMPS8          FORCED_PWM   1800mV\n"},
        {"1215", 0x4D, "SMPS8          FORCED_PWM   1210mV\n"},
        {"0x4B0", 0x4C, "SMPS8          FORCED_PWM   1200mV\n"},
        {"5000", 0xF9, "SMPS8          FORCED_PWM   3300mV\n"},
    };
    for (const auto& c : cases) {
        run = board.Rigo({"-tps65913", "SMPS8", c.value});
        EXPECT_EQ(run.out, c.line) << c.value;
        EXPECT_EQ(board.Register(4, 0x49, 0x37), c.expected) << c.value;
    }

    // The two names of a pair are one register set.
    run = board.Rigo({"-tps65913", "4", "0x49", "SMPS123", "1000"});
    EXPECT_EQ(run.out, "SMPS123              AUTO   1000mV\n");
    EXPECT_EQ(board.Rigo({"-tps65913", "SMPS12"}).out, "SMPS12               AUTO   1000mV\n");
}

TEST(Tps65913Command, SetsLdoKeepingBits7And6)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x49, 0x59, {0xC1});
    RunResult run = board.Rigo({"-tps65913", "LDO5", "1800"});
    EXPECT_EQ(run.out, "LDO5                   ON   1800mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x59), 0xD3);
    run = board.Rigo({"-tps65913", "LDO5", "850"});
    EXPECT_EQ(run.out, "LDO5                   ON    900mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x59), 0xC1);
    run = board.Rigo({"-tps65913", "LDO5", "3400"});
    EXPECT_EQ(run.out, "LDO5                   ON   3300mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x59), 0xF1);
}

TEST(Tps65913Command, RefusesValuesBelowTenMillivolts)
{
    SimBoard board("belk");
    for (const char* value : {"5", "0", "abc", "9.9"}) {
        RunResult run = board.Rigo({"-tps65913", "SMPS6", value});
        EXPECT_EQ(run.status, 1) << value;
        EXPECT_EQ(run.out, "[VALUE] is not valid [" + std::string(value) + "]\n");
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(board.Transfers().empty());
    }
    // Checked before the rail name.
    RunResult run = board.Rigo({"-tps65913", "NOPE", "5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[VALUE] is not valid [5]\n");
}

TEST(Tps65913Command, SwitchesKeepingTheOtherBits)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x49, 0x20, {0x32});
    RunResult run = board.Rigo({"-tps65913", "SMPS12", "ON"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "SMPS12         FORCED_PWM   1200mV\n");
    EXPECT_EQ(board.Transfers(), (std::vector<std::string>{"i2c-4 0x49 w 20 r 32", "i2c-4 0x49 w 20 31",
                                                           "i2c-4 0x49 w 23 r 4c", "i2c-4 0x49 w 20 r 31"}));
    run = board.Rigo({"-tps65913", "SMPS123", "off"});
    EXPECT_EQ(board.Register(4, 0x49, 0x20), 0x30);

    // LDOs switch bit 0; the state shown is bit 4, which the chip sets itself.
    run = board.Rigo({"-tps65913", "LDOUSB", "OFF"});
    EXPECT_EQ(run.out, "LDOUSB                 ON   3250mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x64), 0x10);
    board.SetRegisters(4, 0x49, 0x50, {0xE0});
    run = board.Rigo({"-tps65913", "LDO1", "On"});
    EXPECT_EQ(run.out, "LDO1                  OFF   1800mV\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x50), 0xE1);
}

TEST(Tps65913Command, UnknownRailsFailWithCode2)
{
    SimBoard board("belk");
    const struct {
        std::vector<std::string> args;
        const char* failure;
    } cases[] = {
        {{"-tps65913", "LDO10"}, "Failed to get voltage [ERR CODE: 2]\n"},
        {{"-tps65913", "LDO10", "1200"}, "Failed to set voltage [ERR CODE: 2]\n"},
        {{"-tps65913", "LDO10", "ON"}, "Failed to turn output ON [ERR CODE: 2]\n"},
        {{"-tps65913", "4", "0x49", "list", "OFF"}, "Failed to turn output OFF [ERR CODE: 2]\n"},
    };
    for (const auto& c : cases) {
        RunResult run = board.Rigo(c.args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, kValidNames + c.failure);
        EXPECT_TRUE(board.Transfers().empty());
    }
}

TEST(Tps65913Command, UsageErrorsShowTheHelp)
{
    SimBoard board("belk");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-tps65913"},
             {"-tps65913", "4", "0", "SMPS6"},
         }) {
        RunResult run = board.Rigo(args);
        EXPECT_EQ(run.status, 1) << args.size();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, HelpText());
    }
    SimBoard other("0x31:1");
    EXPECT_EQ(other.Rigo({"-tps65913", "SMPS6"}).status, 1);
}

TEST(Tps65913Command, AccessFailuresReportTheirCodes)
{
    SimBoard board("belk");
    auto expectOut = [&board](const std::vector<std::string>& args, const std::string& out) {
        RunResult run = board.Rigo(args);
        EXPECT_EQ(run.status, 0) << args.back();
        EXPECT_EQ(run.out, out) << args.back();
    };

    // Bus 0 is refused by the accessors: reads report 2, writes 1, the list nothing.
    expectOut({"-tps65913", "0", "0x49", "SMPS6"}, "Failed to get voltage [ERR CODE: 2]\n");
    expectOut({"-tps65913", "0", "0x49", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 1]\n");
    expectOut({"-tps65913", "0", "0x49", "LDO1", "ON"}, "Failed to turn output ON [ERR CODE: 1]\n");
    expectOut({"-tps65913", "list", "0", "0x49"}, "");
    EXPECT_TRUE(board.Transfers().empty());

    // A bus node that cannot be opened.
    board.Fault("i2c open bus=4");
    expectOut({"-tps65913", "SMPS6"}, "Failed to get voltage [ERR CODE: 2]\n");
    expectOut({"-tps65913", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 3]\n");
    expectOut({"-tps65913", "LDO1", "OFF"}, "Failed to turn output OFF [ERR CODE: 3]\n");
    EXPECT_EQ(board.Pauses(5000), 0);

    // A device that does not answer.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x49");
    expectOut({"-tps65913", "SMPS6"}, "Failed to get voltage [ERR CODE: 2]\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    expectOut({"-tps65913", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 4]\n");
    expectOut({"-tps65913", "LDO1", "ON"}, "Failed to turn output ON [ERR CODE: 4]\n");
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x49 dir=write");
    expectOut({"-tps65913", "SMPS6", "1200"}, "Failed to set voltage [ERR CODE: 4]\n");
    EXPECT_EQ(board.Register(4, 0x49, 0x2F), 0x2E);

    // Voltage read but state not: the state word is UNKNOWN.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x49 after=1");
    expectOut({"-tps65913", "SMPS6"}, "SMPS6             UNKNOWN    900mV\n");

    // A rail whose voltage cannot be read is left out of the list.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x49 count=10");
    expectOut({"-tps65913", "list"}, kBelkList.substr(35));
}
