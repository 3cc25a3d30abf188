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
#include "pmic/tps80036.h"
#include "pmic/tps8003x.h"
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

void VersionCommand(int, char**)
{
    ShowVersion();
}

void DvfsCommand(int, char**)
{
    DvfsTable();
}

// The memory commands of one access width.
template <int Bits>
void ReadMemoryOfWidth(int argc, char** argv)
{
    ReadMemoryCommand(argc, argv, Bits);
}

template <int Bits>
void WriteMemoryOfWidth(int argc, char** argv)
{
    WriteMemoryCommand(argc, argv, Bits);
}

void ChipCommand(int, char**)
{
    PrintChipInfo();
}

void FuseCommand(int, char**)
{
    PrintFuseInfo();
}

void IddqGCommand(int argc, char** argv)
{
    if (argc == 2)
        ShowIddqG();
    else if (argc == 3)
        VerifyIddqLimitG(ParseNumber(argv[2]));
}

void IddqLpCommand(int argc, char** argv)
{
    if (argc == 2)
        ShowIddqLP();
    else if (argc == 3)
        VerifyIddqLimitLP(ParseNumber(argv[2]));
}

// Compared without regard to case; every keyword is unique. Spelled as completion offers them.
const CommandRow kCommands[] = {
    {"-?", VersionCommand, nullptr, nullptr},
    {"-v", VersionCommand, nullptr, nullptr},
    {"-ver", VersionCommand, nullptr, nullptr},
    {"-version", VersionCommand, nullptr, nullptr},
    {"-list", DumpMemoryCommand, nullptr, nullptr},
    {"-dvfs", DvfsCommand, nullptr, nullptr},
    {"-rd8", ReadMemoryOfWidth<8>, nullptr, nullptr},
    {"-rd16", ReadMemoryOfWidth<16>, nullptr, nullptr},
    {"-rd", ReadMemoryOfWidth<32>, nullptr, nullptr},
    {"-rd32", ReadMemoryOfWidth<32>, nullptr, nullptr},
    {"-wr8", WriteMemoryOfWidth<8>, nullptr, nullptr},
    {"-wr16", WriteMemoryOfWidth<16>, nullptr, nullptr},
    {"-wr", WriteMemoryOfWidth<32>, nullptr, nullptr},
    {"-wr32", WriteMemoryOfWidth<32>, nullptr, nullptr},
    {"-i2c", I2cCommand, nullptr, nullptr},
    {"-i2c16", I2c16Command, nullptr, nullptr},
    {"-as3720", nullptr, &kAs3720, nullptr},
    {"-lp8755", nullptr, &kLp8755, nullptr},
    {"-tps51632", nullptr, &kTps51632, nullptr},
    {"-tps62361", nullptr, &kTps62361, nullptr},
    {"-tps62365", nullptr, &kTps62365, nullptr},
    {"-tps62366", nullptr, &kTps62366, nullptr},
    {"-tps65911", nullptr, &kTps65911, nullptr},
    {"-tps65913", nullptr, &kTps65913, nullptr},
    {"-tps80031", nullptr, &kTps80031, nullptr},
    {"-tps80032", nullptr, &kTps80032, nullptr},
    {"-tps80036", nullptr, &kTps80036, nullptr},
    {"-ds4422n", MarginDacCommand, nullptr, ds442x_OutputName},
    {"-ds4424n", MarginDacCommand, nullptr, ds442x_OutputName},
    {"-max77660", nullptr, &kMax77660, nullptr},
    {"-max77663", nullptr, &kMax77663, nullptr},
    {"-max77664", nullptr, &kMax77663, nullptr},
    {"-pll", PllCommand, nullptr, nullptr},
    {"-osc", FrequencyCommand, nullptr, nullptr},
    {"-id", BoardIdCommand, nullptr, nullptr},
    {"-freq", FrequencyCommand, nullptr, nullptr},
    {"-chip", ChipCommand, nullptr, nullptr},
    {"-fuse", FuseCommand, nullptr, nullptr},
    {"-iddqG", IddqGCommand, nullptr, nullptr},
    {"-iddqLP", IddqLpCommand, nullptr, nullptr},
    {"-check", CheckCommand, nullptr, nullptr},
    // Snapshots of the board's registers; comparing two needs no board.
    {"-snapshot", SnapshotCommand, nullptr, nullptr},
    {"-diff", DiffCommand, nullptr, nullptr, false},
};

}  // namespace

std::span<const CommandRow> CommandRegistry()
{
    return kCommands;
}
