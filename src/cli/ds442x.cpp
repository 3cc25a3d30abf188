#include "cli/cli.h"
#include "pmic/ds442x.h"
#include "cli/registry.h"

namespace {

// The margining DAC sits on bus 0 of every board that has one.
const DWORD kDacBus = 0;

// What differs between the board families: where the DAC answers and how its codes map to
// the rail.
struct MarginModel {
    DWORD address;
    int (*listVolt)(int outputs);
    int (*getVolt)(const char* pName, DWORD* pVolt);
    int (*setVolt)(const char* pName, DWORD Volt);
    bool explicitLimits;  // the forms with the rail limits on the command line act
};

const MarginModel kLimitTableModel = {0x10, ds442Xn_ListVolt, ds442Xn_GetVolt, ds442Xn_SetVolt, true};
const MarginModel kStepModel = {0x70, ds442Xn_ListVolt_Corv, ds442Xn_GetVolt_Corv, ds442Xn_SetVolt_Corv, false};

void SelectBoard(const char* board)
{
    if (IdentifyPlatform(board) != 0)
        ExitShowMessage("This platform does not support Maxim DS4422N+/DS4424N+ I/O.", 1);
}

void RequireAddress(DWORD address)
{
    if (address == 0)
        ExitShowHelp(1);
}

int InitDac(DWORD bus, DWORD address)
{
    return ds442Xn_Init(bus, address, 8, 8, 100);
}

// list <PLATFORM> [<I2C_NODE> <I2C_ADDR>]
void ListOutputs(int argc, char** argv, const MarginModel& model, int outputs)
{
    if (argc != 4 && argc != 6)
        ExitShowHelp(1);
    SelectBoard(argv[3]);
    DWORD bus = kDacBus;
    DWORD address = model.address;
    if (argc == 6) {
        bus = ParseNumber(argv[4]);
        address = ParseNumber(argv[5]);
    }
    RequireAddress(address);
    if (InitDac(bus, address) != 0)
        ExitShowMessage("Failed to initialize the Maxim device.", 1);
    model.listVolt(outputs);
}

// <PLATFORM> [<I2C_NODE> <I2C_ADDR>] <NAME> [VALUE]
void BoardOutput(int argc, char** argv, const MarginModel& model)
{
    DWORD bus = kDacBus;
    DWORD address = model.address;
    if (argc >= 6) {
        bus = ParseNumber(argv[3]);
        address = ParseNumber(argv[4]);
    }
    RequireAddress(address);
    SelectBoard(argv[2]);
    if (InitDac(bus, address) != 0)
        return;
    DWORD volt = 0;
    if (argc % 2 == 0)
        model.getVolt(argv[argc - 1], &volt);
    else
        model.setVolt(argv[argc - 2], ParseNumber(argv[argc - 1]));
}

// <I2C_NODE> <I2C_ADDR> <NAME> <MIN> <NOM> <MAX> <SI> [VALUE]
void ExplicitOutput(int argc, char** argv)
{
    DWORD bus = ParseNumber(argv[2]);
    DWORD address = ParseNumber(argv[3]);
    RequireAddress(address);
    if (InitDac(bus, address) != 0)
        return;
    const char* name = argv[4];
    DWORD vmin = ParseNumber(argv[5]);
    DWORD vnom = ParseNumber(argv[6]);
    DWORD vmax = ParseNumber(argv[7]);
    DWORD signInvert = ParseNumber(argv[8]);
    DWORD volt = 0;
    if (argc == 9)
        ds442Xn_GetVolt2(name, vmin, vnom, vmax, signInvert, &volt);
    else
        ds442Xn_SetVolt2(name, vmin, vnom, vmax, signInvert, ParseNumber(argv[9]));
}

void MarginDac(int argc, char** argv, const MarginModel& model)
{
    int outputs = stricmp(argv[1], "-DS4422N") == 0 ? 2 : 4;
    if (argc < 3)
        ExitShowHelp(1);
    if (stricmp(argv[2], "list") == 0) {
        ListOutputs(argc, argv, model, outputs);
        return;
    }
    if (argc < 4 || argc == 8 || argc > 10)
        ExitShowHelp(1);
    if (argc <= 7)
        BoardOutput(argc, argv, model);
    else if (model.explicitLimits)
        ExplicitOutput(argc, argv);
}

}  // namespace

void PmuMaxDS4422N(int argc, char** argv)
{
    MarginDac(argc, argv, kLimitTableModel);
}

void PmuMaxDS4422N_Corv(int argc, char** argv)
{
    MarginDac(argc, argv, kStepModel);
}
