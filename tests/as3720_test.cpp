#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "as3720.h"
#include "e2e.h"

namespace {

using Lines = std::vector<std::string>;

const char kReferenceList[] =
    "SD0          ON       1000.0mV\n"
    "SD1          ON       1100.0mV\n"
    "SD2          ON       1350.0mV\n"
    "SD3          ON       1800.0mV\n"
    "SD4          ON       1200.0mV\n"
    "SD5          OFF      3300.0mV\n"
    "SD6          ON        900.0mV\n"
    "LDO0         ON       1200.0mV\n"
    "LDO1         ON       1800.0mV\n"
    "LDO2         ON       1200.0mV\n"
    "LDO3         ON       1000.0mV\n"
    "LDO4         OFF      2800.0mV\n"
    "LDO5         ON       1800.0mV\n"
    "LDO6         OFF      3300.0mV\n"
    "LDO7         ON       1050.0mV\n"
    "LDO8         ON       1800.0mV\n"
    "LDO9         OFF      2850.0mV\n"
    "LDO10        ON       3300.0mV\n"
    "LDO11        OFF      1800.0mV\n";

const char kValidNames[] =
    "Valid Voltage names: \n"
    "SD0, SD1, SD2, SD3, SD4, SD5, SD6, LDO0, LDO1, LDO2, LDO3, LDO4, LDO5, LDO6, LDO7, LDO8, LDO9, LDO10, "
    "LDO11, \n";

std::string Repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

// Runs a list function and returns what it printed; *pVol starts at 7 to show whether
// it was written.
template <typename Decode>
std::string Decoded(Decode decode, DWORD* pVol)
{
    *pVol = 7;
    testing::internal::CaptureStdout();
    decode(pVol);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(As3720Encoding, ListFunctionsDecodeStepsAndRefuseBeyondRange)
{
    DWORD uv = 0;
    EXPECT_EQ(as3720_Ldo0ListVoltage(0, &uv), 0);
    EXPECT_EQ(uv, 825000u);
    EXPECT_EQ(as3720_Ldo0ListVoltage(17, &uv), 0);
    EXPECT_EQ(uv, 1250000u);
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_Ldo0ListVoltage(18, p), 1); }, &uv),
              "Selector 0x12 overflow\n");
    EXPECT_EQ(uv, 7u);

    EXPECT_EQ(as3720_Ldo3ListVoltage(0, &uv), 0);
    EXPECT_EQ(uv, 610000u);
    EXPECT_EQ(as3720_Ldo3ListVoltage(89, &uv), 0);
    EXPECT_EQ(uv, 1500000u);
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_Ldo3ListVoltage(119, p), 1); }, &uv),
              "Selector 0x77 overflow\n");

    EXPECT_EQ(as3720_LdoListVoltage(0, &uv), 0);
    EXPECT_EQ(uv, 825000u);
    EXPECT_EQ(as3720_LdoListVoltage(35, &uv), 0);
    EXPECT_EQ(uv, 1700000u);
    EXPECT_EQ(as3720_LdoListVoltage(99, &uv), 0);
    EXPECT_EQ(uv, 3300000u);
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_LdoListVoltage(100, p), 1); }, &uv),
              "Selector 0x64 overflow\n");

    for (DWORD id : {12u, 13u, 18u}) {
        EXPECT_EQ(as3720_SdListVolt(id, 0, &uv), 0);
        EXPECT_EQ(uv, 610000u);
        EXPECT_EQ(as3720_SdListVolt(id, 89, &uv), 0);
        EXPECT_EQ(uv, 1500000u);
        EXPECT_EQ(Decoded([id](DWORD* p) { EXPECT_EQ(as3720_SdListVolt(id, 90, p), 1); }, &uv),
                  "Selector 0x5a overflow\n");
    }
}

TEST(As3720Encoding, NominalConverterDecodesThreeSegments)
{
    const struct {
        DWORD selector;
        DWORD microvolts;
    } steps[] = {{0, 612500},    {63, 1400000},  {64, 1425000}, {111, 2600000},
                 {112, 2650000}, {126, 3350000}};
    for (DWORD id = 14; id <= 17; ++id)
        for (const auto& step : steps) {
            DWORD uv = 0;
            EXPECT_EQ(as3720_SdListVolt(id, step.selector, &uv), 0);
            EXPECT_EQ(uv, step.microvolts) << "id " << id << " selector " << step.selector;
        }
    DWORD uv = 0;
    // The refusal names the step number, one above the selector.
    EXPECT_EQ(Decoded([](DWORD* p) { EXPECT_EQ(as3720_SdListVolt(15, 127, p), 1); }, &uv),
              "Selector 0x80 overflow\n");
}

TEST(As3720Encoding, CodesGoUpToTheNextStep)
{
    EXPECT_EQ(as3720_Ldo0Code(825000), 1u);
    EXPECT_EQ(as3720_Ldo0Code(1000000), 8u);
    EXPECT_EQ(as3720_Ldo0Code(1000001), 9u);
    EXPECT_EQ(as3720_Ldo0Code(1250000), 18u);

    EXPECT_EQ(as3720_Ldo3Code(610000), 1u);
    EXPECT_EQ(as3720_Ldo3Code(610001), 2u);
    EXPECT_EQ(as3720_Ldo3Code(1800000), 120u);

    EXPECT_EQ(as3720_LdoCode(825000), 1u);
    EXPECT_EQ(as3720_LdoCode(1700000), 36u);
    EXPECT_EQ(as3720_LdoCode(1700001), 64u);
    EXPECT_EQ(as3720_LdoCode(1800000), 67u);
    EXPECT_EQ(as3720_LdoCode(3300000), 127u);

    EXPECT_EQ(as3720_SdLowPowerCode(1000000), 40u);
    EXPECT_EQ(as3720_SdLowPowerCode(1000001), 41u);
    EXPECT_EQ(as3720_SdLowPowerCode(1500000), 90u);

    EXPECT_EQ(as3720_SdNomCode(1000000), 32u);
    EXPECT_EQ(as3720_SdNomCode(1000001), 33u);
    EXPECT_EQ(as3720_SdNomCode(1400000), 64u);
    EXPECT_EQ(as3720_SdNomCode(1400001), 65u);
    EXPECT_EQ(as3720_SdNomCode(2600000), 112u);
    EXPECT_EQ(as3720_SdNomCode(2600001), 113u);
    EXPECT_EQ(as3720_SdNomCode(3350000), 127u);
}

TEST(As3720Encoding, RequestsAtOrBelowTheBaseTakeTheLowestStep)
{
    for (DWORD volt : {50000u, 599999u, 600000u}) {
        EXPECT_EQ(as3720_Ldo3Code(volt), 1u);
        EXPECT_EQ(as3720_SdLowPowerCode(volt), 1u);
        EXPECT_EQ(as3720_SdNomCode(volt), 1u);
    }
    for (DWORD volt : {50000u, 799999u, 800000u}) {
        EXPECT_EQ(as3720_Ldo0Code(volt), 1u);
        EXPECT_EQ(as3720_LdoCode(volt), 1u);
    }
}

TEST(As3720Encoding, EveryReadableCodeEncodesBackToItself)
{
    for (DWORD code = 1; code <= 127; ++code) {
        DWORD uv = 0;
        ASSERT_EQ(as3720_SdListVolt(14, code - 1, &uv), 0);
        EXPECT_EQ(as3720_SdNomCode(uv), code);
        if (code <= 90) {
            ASSERT_EQ(as3720_SdListVolt(12, code - 1, &uv), 0);
            EXPECT_EQ(as3720_SdLowPowerCode(uv), code);
            ASSERT_EQ(as3720_Ldo3ListVoltage(code - 1, &uv), 0);
            EXPECT_EQ(as3720_Ldo3Code(uv), code);
        }
        if (code <= 18) {
            ASSERT_EQ(as3720_Ldo0ListVoltage(code - 1, &uv), 0);
            EXPECT_EQ(as3720_Ldo0Code(uv), code);
        }
        if (code <= 36 || code >= 64) {
            ASSERT_EQ(as3720_LdoListVoltage(code >= 64 ? code - 28 : code - 1, &uv), 0);
            EXPECT_EQ(as3720_LdoCode(uv), code);
        }
    }
}

TEST(As3720Encoding, SetFunctionsRefuseAboveTheirRangeWithoutTraffic)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(as3720_SdLowPowerSetVoltage(0x00, 1500001), 1);
    EXPECT_EQ(as3720_SdNomSetVoltage(0x02, 3350001), 1);
    EXPECT_EQ(as3720_LdoSetVoltage(0x11, 3300001), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Voltage 1500001 overflow\nVoltage 3350001 overflow\nVoltage 3300001 overflow\n");
}

TEST(As3720Command, ListsAndReadsTheReferenceBoards)
{
    SimBoard belk("belk");
    RunResult r = belk.Rigo({"-as3720", "list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kReferenceList);
    EXPECT_EQ(r.err, "");

    // The selector, then the enable register, on one open of the bus.
    r = belk.Rigo({"-as3720", "sd0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "SD0          ON       1000.0mV\n");
    EXPECT_EQ(belk.Transfers(), (Lines{"i2c-4 0x40 w 00 r 28", "i2c-4 0x40 w 4d r 5f"}));
    EXPECT_EQ(belk.Pauses(50000), 2);
    const Lines trace = belk.Trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "open /dev/i2c-4"), 1);

    r = belk.Rigo({"-AS3720", "4", "0x40", "LDO11"});
    EXPECT_EQ(r.out, "LDO11        OFF      1800.0mV\n");
    EXPECT_EQ(belk.Transfers(), (Lines{"i2c-4 0x40 w 1b r 43", "i2c-4 0x40 w 4f r 05"}));

    for (const char* model : {"corv", "0x33"}) {
        SimBoard board(model);
        EXPECT_EQ(board.Rigo({"-as3720", "list"}).out, kReferenceList) << model;
    }
}

TEST(As3720Command, ReadDecodesEachEncoding)
{
    SimBoard board("belk");
    // Code 0 reads as step 1; bit 7 is not part of the selector.
    board.SetRegisters(4, 0x40, 0x00, {0x00});
    board.SetRegisters(4, 0x40, 0x14, {0x00});
    EXPECT_EQ(board.Rigo({"-as3720", "SD0"}).out, "SD0          ON        610.0mV\n");
    EXPECT_EQ(board.Rigo({"-as3720", "LDO4"}).out, "LDO4         OFF       825.0mV\n");
    board.SetRegisters(4, 0x40, 0x00, {0x85});
    EXPECT_EQ(board.Rigo({"-as3720", "SD0"}).out, "SD0          ON        650.0mV\n");

    // The general LDOs skip codes 37-63: code 64 is one step above code 36.
    board.SetRegisters(4, 0x40, 0x11, {36});
    EXPECT_EQ(board.Rigo({"-as3720", "LDO1"}).out, "LDO1         ON       1700.0mV\n");
    board.SetRegisters(4, 0x40, 0x11, {64});
    EXPECT_EQ(board.Rigo({"-as3720", "LDO1"}).out, "LDO1         ON       1725.0mV\n");

    board.SetRegisters(4, 0x40, 0x02, {0x7F});
    EXPECT_EQ(board.Rigo({"-as3720", "SD2"}).out, "SD2          ON       3350.0mV\n");
    board.SetRegisters(4, 0x40, 0x10, {18});
    EXPECT_EQ(board.Rigo({"-as3720", "LDO0"}).out, "LDO0         ON       1250.0mV\n");
}

TEST(As3720Command, CodesBeyondTheReadRangeGiveNoRailLine)
{
    SimBoard board("belk");
    const struct {
        const char* rail;
        int reg;
        uint8_t code;
        const char* out;
    } cases[] = {
        {"LDO0", 0x10, 19, "Selector 0x12 overflow\n"},
        {"LDO3", 0x13, 120, "Selector 0x77 overflow\n"},
        {"SD1", 0x01, 91, "Selector 0x5a overflow\n"},
    };
    for (const auto& c : cases) {
        board.SetRegisters(4, 0x40, c.reg, {c.code});
        RunResult r = board.Rigo({"-as3720", c.rail});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, std::string(c.out) + "Failed: Unable to set the voltage on this output!\n");
        EXPECT_EQ(board.Transfers().size(), 1u) << c.rail;
    }
}

TEST(As3720Command, SetWritesTheSelectorBitsOnlyAndPrintsNothing)
{
    SimBoard board("belk");
    board.SetRegisters(4, 0x40, 0x00, {0x00});
    RunResult r = board.Rigo({"-as3720", "SD0", "1000000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 00 r 00", "i2c-4 0x40 w 00 28"}));
    EXPECT_EQ(board.Rigo({"-as3720", "SD0"}).out, "SD0          ON       1000.0mV\n");

    board.SetRegisters(4, 0x40, 0x00, {0x85});
    board.Rigo({"-as3720", "SD0", "1000000.9"});
    EXPECT_EQ(board.Register(4, 0x40, 0x00), 0xA8);

    // Between two steps the request goes up to the next one.
    board.Rigo({"-as3720", "SD2", "1000000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x02), 32);
    board.Rigo({"-as3720", "SD2", "1000001"});
    EXPECT_EQ(board.Register(4, 0x40, 0x02), 33);
    board.Rigo({"-as3720", "4", "0x40", "SD5", "3350000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x05), 127);

    board.Rigo({"-as3720", "LDO5", "1800000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x15), 67);
    EXPECT_EQ(board.Rigo({"-as3720", "LDO5"}).out, "LDO5         ON       1800.0mV\n");
    board.Rigo({"-as3720", "LDO0", "1250000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x10), 18);
    board.Rigo({"-as3720", "LDO3", "1800000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x13), 120);
    board.Rigo({"-as3720", "SD6", "1500000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x06), 90);

    // At or below the base voltage the lowest step is taken.
    board.Rigo({"-as3720", "SD1", "500000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x01), 1);
    board.Rigo({"-as3720", "LDO8", "800000"});
    EXPECT_EQ(board.Register(4, 0x40, 0x18), 1);
}

TEST(As3720Command, RefusesTooSmallAndOverflowingValues)
{
    SimBoard board("belk");
    const std::vector<uint8_t> before = board.Registers(4, 0x40, 0x00, 256);
    const struct {
        const char* rail;
        const char* typed;
        const char* out;
        size_t transfers;
    } refused[] = {
        {"SD0", "1000", "SetVolt(uV), 1000uV seems too small\n", 0},
        {"SD0", "1212.5", "SetVolt(uV), 1212uV seems too small\n", 0},
        {"SD0", "49999.9", "SetVolt(uV), 49999uV seems too small\n", 0},
        {"SD0", "-1000000", "SetVolt(uV), 0uV seems too small\n", 0},
        {"SD0", "1500001", "Voltage 1500001 overflow\n", 0},
        {"SD3", "3350001", "Voltage 3350001 overflow\n", 0},
        {"LDO0", "1250001", "Voltage 1250001 overflow\n", 0},
        {"LDO3", "1800001", "Voltage 1800001 overflow\n", 0},
        {"LDO11", "3300001", "Voltage 3300001 overflow\n", 0},
    };
    for (const auto& c : refused) {
        RunResult r = board.Rigo({"-as3720", c.rail, c.typed});
        EXPECT_EQ(r.status, 0) << c.typed;
        EXPECT_EQ(r.out, c.out) << c.typed;
        EXPECT_EQ(board.Transfers().size(), c.transfers) << c.typed;
    }
    // The size test comes before the name lookup.
    EXPECT_EQ(board.Rigo({"-as3720", "SD7", "1000"}).out, "SetVolt(uV), 1000uV seems too small\n");
    EXPECT_EQ(board.Registers(4, 0x40, 0x00, 256), before);
}

TEST(As3720Command, OnOffFlipsOneEnableBit)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-as3720", "LDO7", "OFF"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(board.Transfers(), (Lines{"i2c-4 0x40 w 4e r af", "i2c-4 0x40 w 4e 2f"}));
    board.Rigo({"-as3720", "ldo4", "On"});
    EXPECT_EQ(board.Register(4, 0x40, 0x4E), 0x3F);
    board.Rigo({"-as3720", "4", "0x40", "SD5", "on"});
    EXPECT_EQ(board.Register(4, 0x40, 0x4D), 0x7F);
    board.Rigo({"-as3720", "LDO10", "off"});
    EXPECT_EQ(board.Register(4, 0x40, 0x4F), 0x01);
    EXPECT_EQ(board.Rigo({"-as3720", "LDO10"}).out, "LDO10        OFF      3300.0mV\n");
}

TEST(As3720Command, UnknownRailListsTheNames)
{
    SimBoard board("belk");
    RunResult r = board.Rigo({"-as3720", "SD7"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [SD7].\n");
    r = board.Rigo({"-as3720", "4", "0x40", "list"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [list].\n");
    r = board.Rigo({"-as3720", "ldo12", "1000000"});
    EXPECT_EQ(r.out, std::string(kValidNames) + "Failed: Unable to find the PMU output [ldo12].\n");
    r = board.Rigo({"-as3720", "LDO12", "ON"});
    EXPECT_EQ(r.out, kValidNames);
    EXPECT_TRUE(board.Transfers().empty());
}

TEST(As3720Command, DeviceThatDoesNotAnswer)
{
    SimBoard board("belk");
    board.Fault("i2c nack bus=4 addr=0x40");
    RunResult r = board.Rigo({"-as3720", "SD0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to read from PMU.\n");
    EXPECT_EQ(board.Pauses(5000), 10);
    r = board.Rigo({"-as3720", "list"});
    EXPECT_EQ(r.out, Repeated("Failed: Unable to read from PMU.\n", 19));
    for (const char* value : {"1000000", "OFF"}) {
        r = board.Rigo({"-as3720", "SD0", value});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
    }

    // Only the enable register fails: the line shows the state as ERR.
    board.ClearFaults();
    board.Fault("i2c nack bus=4 addr=0x40 after=1");
    r = board.Rigo({"-as3720", "SD0"});
    EXPECT_EQ(r.out, "SD0          ERR      1000.0mV\n");
}

TEST(As3720Command, BusThatCannotBeOpened)
{
    SimBoard board("belk");
    board.Fault("i2c open bus=4");
    RunResult r = board.Rigo({"-as3720", "SD0"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = board.Rigo({"-as3720", "SD0", "1000000"});
    EXPECT_EQ(r.out, "Failed: Unable to open I2C device.\n");
    r = board.Rigo({"-as3720", "SD0", "ON"});
    EXPECT_EQ(r.out, "");
    r = board.Rigo({"-as3720", "list"});
    EXPECT_EQ(r.out, Repeated("Failed: Unable to open I2C device.\n", 19));
    EXPECT_TRUE(board.Transfers().empty());
}

TEST(As3720Command, NoDefaultOffBelkAndCorv)
{
    for (const char* model : {"avin", "dern"}) {
        SimBoard board(model);
        RunResult r = board.Rigo({"-as3720", "SD0"});
        EXPECT_EQ(r.status, 1) << model;
        EXPECT_EQ(r.out, "") << model;
        EXPECT_EQ(r.err, HelpText()) << model;
    }
    SimBoard dern("dern");
    dern.AddDevice(2, 0x41);
    RunResult r = dern.Rigo({"-as3720", "2", "0x41", "SD6", "900000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dern.Transfers(), (Lines{"i2c-2 0x41 w 06 r 00", "i2c-2 0x41 w 06 1e"}));
}
