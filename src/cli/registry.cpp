#include "cli/registry.h"

#include "cli/cli.h"
#include "cli/values.h"
#include "pmic/as3720.h"
#include "pmic/ds442x.h"
#include "pmic/lp8755.h"
#include "pmic/max77660.h"
#include "pmic/max77663.h"
#include "pmic/tps51632.h"
#include "pmic/tps6236x.h"
#include "pmic/tps65911.h"
#include "pmic/tps65913.h"
#include "pmic/tps80031.h"
#include "pmic/tps80032.h"
#include "pmic/tps80036.h"
#include "soc/chip.h"
#include "soc/dvfs.h"
#include "soc/fuse.h"

namespace {

// Where each chip sits on the boards of each SoC; chips not listed have no default there.
const BusDefault kAs3720Bus[] = {{kChipBelk, 4, 0x40}, {kChipUnnamed33, 4, 0x40}, {kChipCorv, 4, 0x40}};
const BusDefault kLp8755Bus[] = {{kChipCorvSecondId, 4, 0x60}, {kChipDern, 4, 0x60}};
const BusDefault kMax77660Bus[] = {{kChipDern, 4, 0x23}};
const BusDefault kMax77663Bus[] = {{kChipBelk, 4, 0x3C}, {kChipUnnamed33, 4, 0x3C}, {kChipCorv, 4, 0x3C}};
const BusDefault kTps51632Bus[] = {{kChipCorv, 4, 0x43}};
const BusDefault kTps6236xBus[] = {{kChipBelk, 4, 0x60}, {kChipUnnamed33, 4, 0x60}, {kChipUnnamed37, 4, 0x60}};
const BusDefault kTps65911Bus[] = {{kChipBelk, 4, 0x2D}, {kChipUnnamed33, 4, 0x2D}, {kChipUnnamed37, 4, 0x2D}};
const BusDefault kTps65913Bus[] = {{kChipBelk, 4, 0x49}, {kChipUnnamed33, 4, 0x49}, {kChipCorv, 4, 0x58}};
const BusDefault kTps8003xBus[] = {{kChipBelk, 4, 0x48}, {kChipUnnamed33, 4, 0x48}, {kChipUnnamed37, 4, 0x48}};
const BusDefault kTps80036Bus[] = {
    {kChipCorvSecondId, 4, 0x58}, {kChipDern, 4, 0x58}, {kChipBelk, 4, 0x48}, {kChipCorv, 4, 0x48}};

// chip, defaults, driver, value, failures, read back, bypass
const RegulatorCommand kAs3720 = {"AS3720", kAs3720Bus, kAs3720Driver, TruncatedValue, kIgnoreFailure, false, nullptr};
const RegulatorCommand kLp8755 = {"LP8755", kLp8755Bus, kLp8755Driver, TruncatedValue, kIgnoreFailure, false, nullptr};
const RegulatorCommand kMax77660 = {
    "MAX77660", kMax77660Bus, kMax77660Driver, RealMillivolts, kIgnoreFailure, false, nullptr};
const RegulatorCommand kMax77663 = {
    "MAX77663", kMax77663Bus, kMax77663Driver, RealMillivolts, kIgnoreFailure, false, nullptr};
const RegulatorCommand kTps51632 = {
    "TPS51632", kTps51632Bus, kTps51632Driver, TenMillivoltSteps, kExitOnFailure, false, nullptr};
const RegulatorCommand kTps62361 = {
    "TPS62361", kTps6236xBus, kTps62361Driver, TenMillivoltSteps, kExitOnFailure, false, nullptr};
const RegulatorCommand kTps62365 = {
    "TPS62365", kTps6236xBus, kTps62365Driver, TenMillivoltSteps, kExitOnFailure, false, nullptr};
const RegulatorCommand kTps62366 = {
    "TPS62366", kTps6236xBus, kTps62366Driver, TenMillivoltSteps, kExitOnFailure, false, nullptr};
const RegulatorCommand kTps65911 = {
    "TPS65911", kTps65911Bus, kTps65911Driver, Tps65911StepMillivolts, kIgnoreFailure, true, Tps65911Bypass};
const RegulatorCommand kTps65913 = {
    "TPS65913", kTps65913Bus, kTps65913Driver, NonZeroTenMillivoltSteps, kPrintErrorCode, true, nullptr};
const RegulatorCommand kTps80031 = {
    "TPS80031", kTps8003xBus, kTps80031Driver, WholeMillivolts, kIgnoreFailure, false, nullptr};
const RegulatorCommand kTps80032 = {
    "TPS80032", kTps8003xBus, kTps80032Driver, WholeMillivolts, kIgnoreFailure, false, nullptr};
const RegulatorCommand kTps80036 = {
    "TPS80036", kTps80036Bus, kTps80036Driver, WholeMillivolts, kIgnoreFailure, false, nullptr};

void Version(int, char**)
{
    ShowVersion();
}

void Dvfs(int, char**)
{
    DvfsTable();
}

// The memory commands of one access width.
template <int Bits>
void Read(int argc, char** argv)
{
    MEM_Read(argc, argv, Bits);
}

template <int Bits>
void Write(int argc, char** argv)
{
    MEM_Write(argc, argv, Bits);
}

// The margining DACs sit on different boards per chip, each with its own handler.
void MarginDac(int argc, char** argv)
{
    DWORD chipId = RunningChip().id;
    if (chipId == kChipUnnamed33 || chipId == kChipBelk)
        PmuMaxDS4422N(argc, argv);
    else if (chipId == kChipCorv)
        PmuMaxDS4422N_Corv(argc, argv);
    else
        ExitShowHelp(1);
}

void ChipInfo(int, char**)
{
    PrintChipInfo();
}

void FuseInfo(int, char**)
{
    PrintFuseInfo();
}

void IddqG(int argc, char** argv)
{
    if (argc == 2)
        ShowIddqG();
    else if (argc == 3)
        VerifyIddqLimitG(ParseNumber(argv[2]));
}

void IddqLP(int argc, char** argv)
{
    if (argc == 2)
        ShowIddqLP();
    else if (argc == 3)
        VerifyIddqLimitLP(ParseNumber(argv[2]));
}

// Compared without regard to case; every keyword is unique.
const CommandRow kCommands[] = {
    {"-?", Version, nullptr, nullptr},
    {"-V", Version, nullptr, nullptr},
    {"-VER", Version, nullptr, nullptr},
    {"-VERSION", Version, nullptr, nullptr},
    {"-LIST", MemoryDump, nullptr, nullptr},
    {"-DVFS", Dvfs, nullptr, nullptr},
    {"-RD8", Read<8>, nullptr, nullptr},
    {"-RD16", Read<16>, nullptr, nullptr},
    {"-RD", Read<32>, nullptr, nullptr},
    {"-RD32", Read<32>, nullptr, nullptr},
    {"-WR8", Write<8>, nullptr, nullptr},
    {"-WR16", Write<16>, nullptr, nullptr},
    {"-WR", Write<32>, nullptr, nullptr},
    {"-WR32", Write<32>, nullptr, nullptr},
    {"-I2C", I2C, nullptr, nullptr},
    {"-I2C16", I2C16, nullptr, nullptr},
    {"-AS3720", nullptr, &kAs3720, nullptr},
    {"-LP8755", nullptr, &kLp8755, nullptr},
    {"-TPS51632", nullptr, &kTps51632, nullptr},
    {"-TPS62361", nullptr, &kTps62361, nullptr},
    {"-TPS62365", nullptr, &kTps62365, nullptr},
    {"-TPS62366", nullptr, &kTps62366, nullptr},
    {"-TPS65911", nullptr, &kTps65911, nullptr},
    {"-TPS65913", nullptr, &kTps65913, nullptr},
    {"-TPS80031", nullptr, &kTps80031, nullptr},
    {"-TPS80032", nullptr, &kTps80032, nullptr},
    {"-TPS80036", nullptr, &kTps80036, nullptr},
    {"-DS4422N", MarginDac, nullptr, ds442x_OutputName},
    {"-DS4424N", MarginDac, nullptr, ds442x_OutputName},
    {"-MAX77660", nullptr, &kMax77660, nullptr},
    {"-MAX77663", nullptr, &kMax77663, nullptr},
    {"-MAX77664", nullptr, &kMax77663, nullptr},
    {"-PLL", GetPLL, nullptr, nullptr},
    {"-OSC", GetFrequency, nullptr, nullptr},
    {"-ID", BoardID, nullptr, nullptr},
    {"-FREQ", GetFrequency, nullptr, nullptr},
    {"-CHIP", ChipInfo, nullptr, nullptr},
    {"-FUSE", FuseInfo, nullptr, nullptr},
    {"-IDDQG", IddqG, nullptr, nullptr},
    {"-IDDQLP", IddqLP, nullptr, nullptr},
};

}  // namespace

std::span<const CommandRow> CommandRegistry()
{
    return kCommands;
}
